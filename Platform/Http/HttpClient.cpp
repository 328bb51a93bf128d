#include "Platform/Http/HttpClient.h"

namespace platform {
namespace {

class CollectingHandler final : public HttpStreamHandler {
 public:
  explicit CollectingHandler(std::string& body) : body_(body) {}
  bool onHead(const HttpResponseHead&) override { return true; }
  bool onBody(std::string_view bytes) override {
    body_.append(bytes);
    return true;
  }

 private:
  std::string& body_;
};

}  // namespace

HttpDataResult HttpClient::send(const HttpRequest& request, HttpCancellation* cancellation) {
  HttpDataResult result;
  CollectingHandler handler(result.body);
  HttpStreamResult streamed = stream(request, handler, cancellation);
  result.head = std::move(streamed.head);
  result.error = std::move(streamed.error);
  return result;
}

}  // namespace platform
