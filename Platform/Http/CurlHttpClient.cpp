#include "Platform/Http/CurlHttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct EasyFree {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiFree {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyFree>;
using Multi = std::unique_ptr<CURLM, MultiFree>;
using HeaderList = std::unique_ptr<curl_slist, ListFree>;

// Larger receive buffers mean fewer callbacks on a fast stream.
constexpr long kReceiveBufferBytes = 256 * 1024;
// The longest single wait between checks when no idle limit is closer.
constexpr std::chrono::milliseconds kLongestWait{1000};

// The exchange's state, shared with libcurl's callbacks.
struct Exchange {
  HttpStreamHandler& handler;
  HttpResponseHead pendingHead;
  std::optional<HttpResponseHead> deliveredHead;
  bool stoppedByHandler = false;
  // What a callback threw; the transfer is aborted and stream() rethrows it once libcurl has
  // returned, so that no exception unwinds through libcurl's frames.
  std::exception_ptr failure;
  SteadyClock::time_point lastActivity = SteadyClock::now();
};

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

// Delivers the head once; false when the handler stopped the exchange.
bool deliverHead(Exchange& exchange, CURL* easy) {
  if (exchange.deliveredHead) return true;
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  exchange.pendingHead.status = status;
  exchange.deliveredHead = exchange.pendingHead;
  if (!exchange.handler.onHead(*exchange.deliveredHead)) {
    exchange.stoppedByHandler = true;
    return false;
  }
  return true;
}

struct HeaderContext {
  Exchange* exchange;
  CURL* easy;
};

// Runs a callback's work; what it throws is kept in the exchange and aborts the transfer
// (libcurl aborts when a callback returns anything but the length it was handed).
template <class Work>
size_t keepingFailure(Exchange& exchange, Work&& work) {
  try {
    return work();
  } catch (...) {
    exchange.failure = std::current_exception();
    exchange.stoppedByHandler = true;
    return 0;
  }
}

size_t headerLine(HeaderContext& context, char* data, size_t length) {
  Exchange& exchange = *context.exchange;
  exchange.lastActivity = SteadyClock::now();
  const std::string_view line = trimmed(std::string_view(data, length));
  if (line.starts_with("HTTP/")) {
    exchange.pendingHead.headers.clear();  // a new header block (after a 1xx answer, say)
  } else if (line.empty()) {
    long status = 0;
    curl_easy_getinfo(context.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200 && !deliverHead(exchange, context.easy)) return 0;
  } else if (const auto colon = line.find(':'); colon != std::string_view::npos && !exchange.deliveredHead) {
    exchange.pendingHead.headers.push_back(
        {std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1)))});
  }
  return length;
}

size_t bodyBytes(HeaderContext& context, char* data, size_t length) {
  Exchange& exchange = *context.exchange;
  exchange.lastActivity = SteadyClock::now();
  if (!deliverHead(exchange, context.easy)) return 0;
  if (!exchange.handler.onBody(std::string_view(data, length))) {
    exchange.stoppedByHandler = true;
    return 0;
  }
  return length;
}

extern "C" size_t onHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& context = *static_cast<HeaderContext*>(user);
  return keepingFailure(*context.exchange, [&] { return headerLine(context, data, size * count); });
}

extern "C" size_t onBodyBytes(char* data, size_t size, size_t count, void* user) {
  auto& context = *static_cast<HeaderContext*>(user);
  return keepingFailure(*context.exchange, [&] { return bodyBytes(context, data, size * count); });
}

void initialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// `requestSent`: the request went out, so a protocol failure is the server's answer.
HttpError errorFor(CURLcode code, const char* detail, bool requestSent) {
  std::string description = curl_easy_strerror(code);
  if (detail != nullptr && detail[0] != '\0') description += std::string(": ") + std::string(trimmed(detail));
  // libcurl refuses an answer without a valid status line with CURLE_UNSUPPORTED_PROTOCOL (as
  // HTTP/0.9 or an unsupported version) or CURLE_WEIRD_SERVER_REPLY. CURLE_UNSUPPORTED_PROTOCOL
  // before anything was sent means an unknown URL scheme instead.
  if (code == CURLE_WEIRD_SERVER_REPLY || (code == CURLE_UNSUPPORTED_PROTOCOL && requestSent))
    return {HttpErrorKind::notHTTP, description};
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
      return {HttpErrorKind::notConnected, "Could not connect to the server. " + description};
    case CURLE_OPERATION_TIMEDOUT:
      return {HttpErrorKind::timedOut, "The request timed out. " + description};
    default:
      return {HttpErrorKind::other, description};
  }
}

HttpError timedOutError(std::chrono::milliseconds idleTimeout) {
  return {HttpErrorKind::timedOut,
          "The request timed out: no data arrived for " + std::to_string(idleTimeout.count()) + " ms."};
}

HttpError cancelledError() { return {HttpErrorKind::cancelled, "The request was cancelled."}; }

void setMethodAndBody(CURL* easy, const HttpRequest& request) {
  if (request.method == "GET" && !request.body) {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else if (request.method == "POST") {
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
  } else {
    // Any other method, and a GET that carries a body, which libcurl would otherwise turn into
    // a POST.
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }
  if (request.body || request.method == "POST") {
    const std::string* body = request.body ? &*request.body : nullptr;
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body ? body->size() : 0));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body ? body->data() : "");
  }
}

// libcurl sends each header line as it stands: a line break inside a name or value would end
// the line early and make the rest another header (or the body), and a NUL would cut it short.
bool headersAreSendable(const HttpRequest& request) {
  constexpr std::string_view kBreaking("\r\n\0", 3);
  return std::none_of(request.headers.begin(), request.headers.end(), [&](const HttpHeader& header) {
    return header.name.find_first_of(kBreaking) != std::string::npos ||
           header.value.find_first_of(kBreaking) != std::string::npos;
  });
}

HeaderList headerListFor(const HttpRequest& request) {
  HeaderList list;
  auto append = [&list](const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown != nullptr) {
      (void)list.release();
      list.reset(grown);
    }
  };
  for (const auto& header : request.headers) {
    // "Name;" is libcurl's way of sending a header with an empty value.
    append(header.value.empty() ? header.name + ";" : header.name + ": " + header.value);
  }
  append("Expect:");  // no "100-continue" round trip before a body
  return list;
}

}  // namespace

CurlHttpClient::CurlHttpClient() { initialiseCurlOnce(); }

HttpStreamResult CurlHttpClient::stream(const HttpRequest& request, HttpStreamHandler& handler,
                                        HttpCancellation* cancellation) {
  if (cancellation != nullptr && cancellation->isCancelled()) return {std::nullopt, cancelledError()};
  if (!headersAreSendable(request)) {
    return {std::nullopt, HttpError{HttpErrorKind::other,
                                    "A request header holds a line break or a NUL; nothing was sent."}};
  }

  Easy easy(curl_easy_init());
  Multi multi(curl_multi_init());
  if (!easy || !multi)
    return {std::nullopt, HttpError{HttpErrorKind::other, "libcurl could not start a request."}};

  Exchange exchange{handler, {}, std::nullopt, false, nullptr, SteadyClock::now()};
  HeaderContext context{&exchange, easy.get()};
  char errorDetail[CURL_ERROR_SIZE] = {};
  const HeaderList headers = headerListFor(request);

  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorDetail);
  curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, onHeaderLine);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &context);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, onBodyBytes);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &context);
  setMethodAndBody(handle, request);

  curl_multi_add_handle(multi.get(), handle);
  // Detaches the transfer and the wake-up on every way out, a rethrown failure included, so that
  // a later cancel() never reaches the freed multi handle.
  struct Attachment {
    CURLM* multi;
    CURL* easy;
    HttpCancellation* cancellation;
    ~Attachment() {
      if (cancellation != nullptr) cancellation->setWake({});
      curl_multi_remove_handle(multi, easy);
    }
  } attachment{multi.get(), handle, cancellation};
  if (cancellation != nullptr) {
    CURLM* toWake = multi.get();
    cancellation->setWake([toWake] { curl_multi_wakeup(toWake); });
  }

  std::optional<HttpError> error;
  exchange.lastActivity = SteadyClock::now();
  for (int running = 1;;) {
    curl_multi_perform(multi.get(), &running);
    if (exchange.failure) std::rethrow_exception(exchange.failure);
    if (running == 0) break;
    if (cancellation != nullptr && cancellation->isCancelled()) {
      error = cancelledError();
      break;
    }
    const auto idle =
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - exchange.lastActivity);
    if (idle >= request.idleTimeout) {
      error = timedOutError(request.idleTimeout);
      break;
    }
    const auto wait = std::min(request.idleTimeout - idle, kLongestWait);
    curl_multi_poll(multi.get(), nullptr, 0,
                    static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 1)), nullptr);
  }

  if (!error) {
    int pending = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &pending)) {
      if (message->msg != CURLMSG_DONE || message->data.result == CURLE_OK) continue;
      if (exchange.stoppedByHandler) continue;
      long sentBytes = 0;
      curl_easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &sentBytes);
      error = errorFor(message->data.result, errorDetail, sentBytes > 0);
    }
  }
  if (!error && !exchange.stoppedByHandler) {
    // A response without a body (a 204, or a HEAD request) still has a head to hand over.
    deliverHead(exchange, handle);
  }
  return {exchange.deliveredHead, error};
}

}  // namespace platform
