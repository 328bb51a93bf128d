#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct HttpHeader {
  std::string name;
  std::string value;
  friend bool operator==(const HttpHeader&, const HttpHeader&) = default;
};

// One request. Headers are sent in order, each added (never merged). `idleTimeout` bounds the
// time without a received byte (while connecting, waiting for the head, or between body
// bytes), not the length of the whole exchange.
struct HttpRequest {
  std::string method = "GET";
  std::string url;
  std::vector<HttpHeader> headers;
  std::optional<std::string> body;
  std::chrono::milliseconds idleTimeout{std::chrono::seconds(60)};
};

// The status line and headers of a final (non-1xx) response.
struct HttpResponseHead {
  long status = 0;
  std::vector<HttpHeader> headers;

  // The first header of that name, compared without regard to letter case.
  std::optional<std::string> header(std::string_view name) const;
};

enum class HttpErrorKind {
  cancelled,     // the caller cancelled the request
  timedOut,      // no byte arrived within the idle limit
  notConnected,  // the host could not be resolved or reached
  notHTTP,       // the server answered with something that is not an HTTP response
  other,         // any other transport failure (connection lost part-way, protocol error ...)
};

struct HttpError {
  HttpErrorKind kind = HttpErrorKind::other;
  std::string description;  // readable, one line
};

}  // namespace platform
