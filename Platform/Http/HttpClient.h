#pragma once

#include "Platform/Http/HttpCancellation.h"
#include "Platform/Http/HttpMessage.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Receives a streamed response, on the thread that called HttpClient::stream, in order: the
// head once, then the body in pieces as they arrive (pieces split anywhere, even inside a
// UTF-8 sequence). Returning false from either stops the exchange; that is not an error.
// Either may throw anything: the exchange is then abandoned (no further call reaches the
// handler, the connection is dropped) and HttpClient::stream rethrows that same exception to its
// caller once the transfer is torn down. Nothing of it unwinds through the transport's frames.
class HttpStreamHandler {
 public:
  virtual ~HttpStreamHandler() = default;
  virtual bool onHead(const HttpResponseHead& head) = 0;
  virtual bool onBody(std::string_view bytes) = 0;
};

// What a streamed exchange came to. No error: the body ended normally, or the handler stopped
// it. `head` is present whenever the head arrived, even if the body then failed.
struct HttpStreamResult {
  std::optional<HttpResponseHead> head;
  std::optional<HttpError> error;
};

// The outcome of a plain request: the head, the whole body, or the failure.
struct HttpDataResult {
  std::optional<HttpResponseHead> head;
  std::string body;
  std::optional<HttpError> error;
};

// Sends HTTP requests. Both calls block the calling thread until the exchange has ended;
// several threads may run requests on one client at once. Redirects are not followed.
class HttpClient {
 public:
  virtual ~HttpClient() = default;

  // Runs `request`, handing the response to `handler` as it arrives. A non-null
  // `cancellation` ends the exchange with HttpErrorKind::cancelled when it is cancelled.
  // Throws only what `handler` threw.
  virtual HttpStreamResult stream(const HttpRequest& request, HttpStreamHandler& handler,
                                  HttpCancellation* cancellation = nullptr) = 0;

  // Runs `request` and collects the whole body.
  HttpDataResult send(const HttpRequest& request, HttpCancellation* cancellation = nullptr);
};

}  // namespace platform
