#include "Platform/Http/URLComponents.h"

#include <curl/curl.h>

#include <memory>

namespace platform {
namespace {

struct CurlURLFree {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct CurlStringFree {
  void operator()(char* text) const { curl_free(text); }
};
using CurlString = std::unique_ptr<char, CurlStringFree>;

// Reads one part; nullopt when the URL lacks it.
std::optional<std::string> urlPart(CURLU* url, CURLUPart part) {
  char* raw = nullptr;
  if (curl_url_get(url, part, &raw, 0) != CURLUE_OK) return std::nullopt;
  CurlString owned(raw);
  return std::string(owned.get());
}

std::string percentDecoded(std::string_view text) {
  if (text.empty()) return std::string();  // libcurl reads a zero length as "up to the NUL"
  int length = 0;
  CurlString decoded(curl_easy_unescape(nullptr, text.data(), static_cast<int>(text.size()), &length));
  if (!decoded) return std::string(text);
  return std::string(decoded.get(), static_cast<std::size_t>(length));
}

URLQueryItem queryItemFrom(std::string_view field) {
  const auto equals = field.find('=');
  if (equals == std::string_view::npos) return {percentDecoded(field), std::nullopt};
  return {percentDecoded(field.substr(0, equals)), percentDecoded(field.substr(equals + 1))};
}

}  // namespace

std::optional<URLComponents> URLComponents::parse(std::string_view url) {
  // libcurl reads the text up to its first NUL; a URL with one inside would be read as a
  // shorter one, so it is refused.
  if (url.find('\0') != std::string_view::npos) return std::nullopt;
  std::unique_ptr<CURLU, CurlURLFree> handle(curl_url());
  if (!handle) return std::nullopt;
  const std::string text(url);
  if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
    return std::nullopt;
  }
  URLComponents components;
  components.scheme_ = urlPart(handle.get(), CURLUPART_SCHEME).value_or("");
  components.host_ = urlPart(handle.get(), CURLUPART_HOST).value_or("");
  components.query_ = urlPart(handle.get(), CURLUPART_QUERY);
  // libcurl reports "x:/?" and "x:/" alike; a bare "?" still means an empty query.
  if (!components.query_ && text.find('?') < text.find('#')) components.query_ = std::string();
  return components;
}

std::optional<std::vector<URLQueryItem>> URLComponents::queryItems() const {
  if (!query_) return std::nullopt;
  std::vector<URLQueryItem> items;
  if (query_->empty()) return items;
  // Every "&" separates two items, a last one included: "a=1&" holds "a" and an empty item, as
  // "&a=1" does.
  std::string_view rest(*query_);
  for (;;) {
    const auto ampersand = rest.find('&');
    items.push_back(queryItemFrom(rest.substr(0, ampersand)));
    if (ampersand == std::string_view::npos) break;
    rest.remove_prefix(ampersand + 1);
  }
  return items;
}

}  // namespace platform
