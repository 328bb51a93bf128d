// URL texts (the login callback, the service address): a URL either splits or is refused; its
// query items agree with its query text, the name-to-value map agrees with the items, and the
// items, percent-encoded into a URL of their own, read back the same.
#include "Platform/Http/URLComponents.h"
#include "Quellorin/Common/URLQueryParameters.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

std::string percentEncoded(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
        byte == '-' || byte == '.' || byte == '_' || byte == '~') {
      out += c;
    } else {
      out += '%';
      out += kDigits[byte >> 4];
      out += kDigits[byte & 15];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto url = platform::URLComponents::parse(text);
  const auto parameters = quellorin::urlQueryParameters(text);
  // A NUL would cut the text short inside the parser: such a text is no URL.
  if (text.find('\0') != std::string_view::npos) require(!url);
  require(parameters.has_value() == (url && url->percentEncodedQuery().has_value()));
  if (!url) return 0;
  const auto items = url->queryItems();
  require(items.has_value() == url->percentEncodedQuery().has_value());
  if (!items) return 0;

  const std::string& query = *url->percentEncodedQuery();
  const auto fields =
      query.empty() ? 0 : static_cast<std::size_t>(std::count(query.begin(), query.end(), '&')) + 1;
  require(items->size() == fields);
  std::map<std::string, std::string> expected;
  for (const auto& item : *items) {
    if (item.value) {
      expected[item.name] = *item.value;
    } else {
      expected.erase(item.name);
    }
  }
  require(*parameters == expected);

  std::string rebuilt = "quellorin://callback/?";
  for (std::size_t i = 0; i < items->size(); ++i) {
    if (i > 0) rebuilt += '&';
    rebuilt += percentEncoded((*items)[i].name);
    if ((*items)[i].value) rebuilt += "=" + percentEncoded(*(*items)[i].value);
  }
  const auto reread = platform::URLComponents::parse(rebuilt);
  require(reread && reread->scheme() == "quellorin" && reread->host() == "callback");
  require(reread->queryItems() == items);
  return 0;
}
