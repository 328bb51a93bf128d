#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One item of a URL's query: "name=value", or "name" alone (no value).
struct URLQueryItem {
  std::string name;
  std::optional<std::string> value;

  friend bool operator==(const URLQueryItem&, const URLQueryItem&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const URLQueryItem& item) {
  return out << item.name << (item.value ? "=" + *item.value : std::string(" (no value)"));
}

// A URL split into its parts with libcurl's URL parser. Any scheme is accepted (the login
// callback arrives under the application's own scheme). Thread-safe; values are copies.
class URLComponents {
 public:
  // nullopt when the text is not an absolute URL that libcurl can split, or holds a NUL.
  static std::optional<URLComponents> parse(std::string_view url);

  const std::string& scheme() const { return scheme_; }
  const std::string& host() const { return host_; }
  // The query without "?", still percent-encoded; nullopt when the URL has no "?".
  const std::optional<std::string>& percentEncodedQuery() const { return query_; }

  // The query split at "&" into items, names and values percent-decoded ("+" stays "+").
  // nullopt when there is no query; an empty query gives no items.
  std::optional<std::vector<URLQueryItem>> queryItems() const;

 private:
  std::string scheme_;
  std::string host_;
  std::optional<std::string> query_;
};

}  // namespace platform
