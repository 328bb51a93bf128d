#pragma once

#include "Platform/Http/HttpClient.h"

namespace platform {

// The HTTP client on libcurl. Each request runs on its own easy handle, driven by a multi
// handle on the calling thread so that the idle limit and cancellation are checked between
// socket waits (libcurl's own low-speed limit counts whole seconds only). Stateless apart from
// libcurl's process-wide initialisation, which the first instance performs.
class CurlHttpClient final : public HttpClient {
 public:
  CurlHttpClient();

  HttpStreamResult stream(const HttpRequest& request, HttpStreamHandler& handler,
                          HttpCancellation* cancellation = nullptr) override;
};

}  // namespace platform
