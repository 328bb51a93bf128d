#include <gtest/gtest.h>

#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <vector>

#include "Platform/Http/CurlHttpClient.h"
#include "Platform/Http/HttpStatusPhrase.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/StandInProcess.h"

namespace {

using nlohmann::json;
using platform::HttpErrorKind;

// Records the order of what the client hands over and can act on each complete line.
class RecordingHandler : public platform::HttpStreamHandler {
 public:
  bool onHead(const platform::HttpResponseHead& head) override {
    steps.push_back("head");
    status = head.status;
    contentType = head.header("content-type").value_or("");
    return keepAfterHead;
  }
  bool onBody(std::string_view bytes) override {
    steps.push_back("body");
    body.append(bytes);
    for (std::size_t end; (end = body.find('\n', scanned)) != std::string::npos; scanned = end + 1) {
      const std::string line = body.substr(scanned, end - scanned);
      if (!line.empty()) onLine(line);
    }
    return true;
  }

  std::vector<std::string> steps;
  long status = 0;
  std::string contentType;
  std::string body;
  bool keepAfterHead = true;
  std::function<void(const std::string&)> onLine = [](const std::string&) {};

 private:
  std::size_t scanned = 0;
};

platform::HttpRequest postTo(const testsupport::StandInProcess& service, const std::string& path) {
  platform::HttpRequest request;
  request.method = "POST";
  request.url = service.baseURL() + path;
  request.headers = {{"Content-Type", "application/json"}, {"Accept", "text/event-stream"}};
  request.body = R"({"messages":[{"role":"user","content":"hello"}]})";
  return request;
}

std::size_t countOf(const std::string& text, const std::string& fragment) {
  std::size_t count = 0;
  for (auto at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) ++count;
  return count;
}

class CurlHttpClientIntegration : public ::testing::Test {
 protected:
  testsupport::StandInProcess service;
  platform::CurlHttpClient client;
};

TEST_F(CurlHttpClientIntegration, PlainRequestReturnsHeadAndWholeBody) {
  platform::HttpRequest request;
  request.url = service.baseURL() + "/Appcast.xml";
  const auto result = client.send(request);
  ASSERT_FALSE(result.error) << result.error->description;
  ASSERT_TRUE(result.head);
  EXPECT_EQ(result.head->status, 200);
  EXPECT_EQ(result.head->header("Content-Type"), "application/xml");
  EXPECT_NE(result.body.find("<rss"), std::string::npos);
}

TEST_F(CurlHttpClientIntegration, SendsMethodHeadersAndBody) {
  platform::HttpRequest request = postTo(service, "/api/processText");
  ASSERT_FALSE(client.send(request).error);
  const json received = service.requests().at(0);
  EXPECT_EQ(received["method"], "POST");
  EXPECT_EQ(received["body"], json::parse(*request.body));
  std::map<std::string, std::string> headers;
  for (const auto& pair : received["headers"]) headers[pair[0]] = pair[1];
  EXPECT_EQ(headers["Content-Type"], "application/json");
  EXPECT_EQ(headers["Accept"], "text/event-stream");
  EXPECT_FALSE(headers.count("Expect"));
}

// A name or value with a line break would put text of its own on the wire as more header lines.
TEST_F(CurlHttpClientIntegration, AHeaderWithALineBreakOrANulIsNotSent) {
  const std::vector<platform::HttpHeader> headers = {{"Authorization", "Bearer a\r\nX-Injected: 1"},
                                                     {"Authorization", "Bearer a\nX-Injected: 1"},
                                                     {"Authorization", "Bearer a\r"},
                                                     {"Authorization", std::string("Bearer a\0b", 10)},
                                                     {"X-Injected: 1\r\nAccept", "text/plain"}};
  for (const auto& header : headers) {
    platform::HttpRequest request = postTo(service, "/api/processText");
    request.headers.push_back(header);
    const auto result = client.send(request);
    ASSERT_TRUE(result.error) << header.name;
    EXPECT_EQ(result.error->kind, HttpErrorKind::other);
    EXPECT_FALSE(result.head);
  }
  EXPECT_TRUE(service.requests().empty());
}

TEST_F(CurlHttpClientIntegration, StreamDeliversTheHeadBeforeAnyBody) {
  RecordingHandler handler;
  const auto result = client.stream(postTo(service, "/api/processText"), handler);
  ASSERT_FALSE(result.error);
  ASSERT_GE(handler.steps.size(), 2u);
  EXPECT_EQ(handler.steps.front(), "head");
  EXPECT_EQ(std::count(handler.steps.begin(), handler.steps.end(), "head"), 1);
  EXPECT_EQ(handler.status, 200);
  EXPECT_EQ(handler.contentType, "text/event-stream");
  EXPECT_NE(handler.body.find("workflow_finished"), std::string::npos);
}

TEST_F(CurlHttpClientIntegration, EachLineArrivesBeforeTheServiceSendsTheNextOne) {
  // In lockstep the service sends the next event only once the client has seen this one, one
  // byte per write; a client that waited for more data would leave the stream unfinished.
  service.queueFault({{"lockstep", true}, {"drip", true}});
  RecordingHandler handler;
  std::size_t lines = 0;
  handler.onLine = [&](const std::string&) {
    ++lines;
    service.release();
  };
  const auto result = client.stream(postTo(service, "/api/processText"), handler);
  ASSERT_FALSE(result.error) << result.error->description;
  EXPECT_EQ(lines, countOf(handler.body, "data: "));
  EXPECT_NE(handler.body.find("workflow_finished"), std::string::npos);
}

// The idle limit bounds silence, before the head or after some events, not the whole exchange:
// a slow drip that takes longer in all is read whole.
TEST_F(CurlHttpClientIntegration, TheIdleLimitBoundsSilenceNotTheWholeExchange) {
  const struct {
    const char* what;
    nlohmann::json fault;
    bool timesOut;
    long status;  // of the head, 0 for none
    std::size_t events;
  } cases[] = {
      {"a drip never silent for long",
       {{"drip", true}, {"dripDelayMs", 5}, {"lines", {std::string(60, 'a'), std::string(60, 'b')}}},
       false,
       200,
       0},
      {"a stall after one event", {{"stallAfterEvents", 1}, {"stallMs", 3000}}, true, 200, 1},
      {"silence before the head", {{"delayHeadMs", 2000}}, true, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    service.queueFault(c.fault);
    platform::HttpRequest request = postTo(service, "/api/processText");
    request.idleTimeout = std::chrono::milliseconds(c.timesOut ? 200 : 300);
    RecordingHandler handler;
    const auto result = client.stream(request, handler);
    ASSERT_EQ(result.error.has_value(), c.timesOut);
    if (c.timesOut) {
      EXPECT_EQ(result.error->kind, HttpErrorKind::timedOut);
      EXPECT_FALSE(result.error->description.empty());
    } else {
      EXPECT_EQ(handler.body, std::string(60, 'a') + "\n" + std::string(60, 'b') + "\n");
    }
    EXPECT_EQ(result.head ? result.head->status : 0, c.status);
    EXPECT_EQ(handler.steps.empty(), c.status == 0);
    EXPECT_EQ(countOf(handler.body, "data: "), c.events);
  }
}

TEST_F(CurlHttpClientIntegration, ADisconnectPartWayIsATransportFailureAfterTheEventsSoFar) {
  service.queueFault({{"disconnectAfterEvents", 2}});
  RecordingHandler handler;
  const auto result = client.stream(postTo(service, "/api/processText"), handler);
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, HttpErrorKind::other);
  EXPECT_FALSE(result.error->description.empty());
  EXPECT_EQ(countOf(handler.body, "data: "), 2u);
}

TEST_F(CurlHttpClientIntegration, CancellingIsReportedAsCancelledNotAsAFailure) {
  service.queueFault({{"lockstep", true}});
  platform::HttpCancellation cancellation;
  RecordingHandler handler;
  std::thread canceller;
  handler.onLine = [&](const std::string&) {
    if (!canceller.joinable()) canceller = std::thread([&] { cancellation.cancel(); });
  };
  const auto result = client.stream(postTo(service, "/api/processText"), handler, &cancellation);
  canceller.join();
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, HttpErrorKind::cancelled);
  EXPECT_EQ(countOf(handler.body, "data: "), 1u);

  // A cancelled token cancels later requests before they start.
  RecordingHandler later;
  const auto again = client.stream(postTo(service, "/api/processText"), later, &cancellation);
  ASSERT_TRUE(again.error);
  EXPECT_EQ(again.error->kind, HttpErrorKind::cancelled);
  EXPECT_TRUE(later.steps.empty());
}

TEST_F(CurlHttpClientIntegration, AHandlerThatStopsEndsTheExchangeWithoutAnError) {
  service.queueFault({{"status", 403}, {"errorCode", 1}});
  RecordingHandler handler;
  handler.keepAfterHead = false;
  const auto result = client.stream(postTo(service, "/api/processText"), handler);
  EXPECT_FALSE(result.error);
  ASSERT_TRUE(result.head);
  EXPECT_EQ(result.head->status, 403);
  EXPECT_EQ(handler.steps, std::vector<std::string>{"head"});
}

// Throws from one callback and counts every call, including any that comes after the throw.
class ThrowingHandler : public platform::HttpStreamHandler {
 public:
  enum class Where { head, body };
  explicit ThrowingHandler(Where where) : where_(where) {}
  bool onHead(const platform::HttpResponseHead&) override { return step(Where::head); }
  bool onBody(std::string_view) override { return step(Where::body); }
  int callsAfterTheThrow = 0;

 private:
  bool step(Where where) {
    if (thrown_) ++callsAfterTheThrow;
    if (where != where_ || thrown_) return true;
    thrown_ = true;
    throw std::runtime_error(where == Where::head ? "thrown from onHead" : "thrown from onBody");
  }
  Where where_;
  bool thrown_ = false;
};

TEST_F(CurlHttpClientIntegration, AHandlerExceptionStopsTheTransferAndReachesTheCaller) {
  const struct {
    ThrowingHandler::Where where;
    const char* message;
  } cases[] = {{ThrowingHandler::Where::head, "thrown from onHead"},
               {ThrowingHandler::Where::body, "thrown from onBody"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    // One byte per write: a transfer that went on after the throw would call the handler again.
    service.queueFault({{"drip", true}, {"lines", {std::string(40, 'a'), std::string(40, 'b')}}});
    ThrowingHandler handler(c.where);
    platform::HttpCancellation cancellation;
    try {
      client.stream(postTo(service, "/api/processText"), handler, &cancellation);
      ADD_FAILURE() << "the exception did not reach the caller";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(handler.callsAfterTheThrow, 0);
    // The exchange left nothing registered behind: cancelling now wakes no freed transfer.
    cancellation.cancel();
  }
  // The client is still whole afterwards.
  RecordingHandler handler;
  EXPECT_FALSE(client.stream(postTo(service, "/api/processText"), handler).error);
}

using testsupport::answerOneRequest;
using testsupport::LoopbackListener;

// Serves one request on a raw loopback socket with a 204 and returns what arrived, head and
// body. The stand-in's HTTP library drops empty headers when parsing, so some checks need this.
std::string rawExchange(const platform::HttpRequest& prototype) {
  LoopbackListener listener;
  std::string received;
  std::thread server([&] { received = answerOneRequest(listener, "HTTP/1.1 204 No Content\r\n\r\n"); });
  platform::HttpRequest request = prototype;
  request.url = listener.url();
  const auto result = platform::CurlHttpClient().send(request);
  server.join();
  EXPECT_FALSE(result.error);
  EXPECT_EQ(result.head ? result.head->status : 0, 204);
  return received;
}

TEST(CurlHttpClientRawIntegration, AHeaderWithAnEmptyValueIsSentWithItsName) {
  platform::HttpRequest request;
  request.headers = {{"X-Encrypted-String", ""}, {"Accept", "text/event-stream"}};
  const std::string received = rawExchange(request);
  EXPECT_NE(received.find("\r\nX-Encrypted-String:\r\n"), std::string::npos) << received;
  EXPECT_NE(received.find("\r\nAccept: text/event-stream\r\n"), std::string::npos) << received;
}

TEST(CurlHttpClientRawIntegration, EveryMethodKeepsItsNameWithOrWithoutABody) {
  platform::HttpRequest request;
  request.body = "payload";
  for (const char* method : {"GET", "POST", "PUT", "DELETE"}) {
    request.method = method;
    const std::string received = rawExchange(request);
    EXPECT_TRUE(received.starts_with(std::string(method) + " / HTTP/1.1\r\n")) << received;
    EXPECT_TRUE(received.ends_with("\r\n\r\npayload")) << received;
  }
  request.method = "POST";
  request.body.reset();
  EXPECT_NE(rawExchange(request).find("Content-Length: 0\r\n"), std::string::npos);
}

TEST(CurlHttpClientRawIntegration, AClosedPortIsNotConnected) {
  LoopbackListener listener;
  const std::string url = listener.url();
  listener.close();

  platform::CurlHttpClient client;
  platform::HttpRequest request;
  request.url = url;
  const auto result = client.send(request);
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, HttpErrorKind::notConnected);
  EXPECT_FALSE(result.head);
}

TEST(CurlHttpClientRawIntegration, AnAnswerWithoutAValidStatusLineIsNotHTTP) {
  for (const char* answer :
       {"garbage that is not HTTP\r\n\r\n", "HTTP/1.1 abc\r\n\r\n", "\x16\x03\x01 tls"}) {
    SCOPED_TRACE(answer);
    LoopbackListener listener;
    std::thread server([&] { answerOneRequest(listener, answer); });
    platform::HttpRequest request;
    request.url = listener.url();
    request.method = "POST";
    request.body = "{}";
    const auto result = platform::CurlHttpClient().send(request);
    server.join();
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->kind, HttpErrorKind::notHTTP) << result.error->description;
    EXPECT_FALSE(result.head);
  }
}

TEST(HttpStatusPhrase, NamesKnownCodesAndFallsBackToTheClass) {
  EXPECT_EQ(platform::httpStatusPhrase(404), "not found");
  EXPECT_EQ(platform::httpStatusPhrase(204), "no content");
  EXPECT_EQ(platform::httpStatusPhrase(503), "service unavailable");
  EXPECT_EQ(platform::httpStatusPhrase(299), "success");
  EXPECT_EQ(platform::httpStatusPhrase(399), "redirected");
  EXPECT_EQ(platform::httpStatusPhrase(499), "client error");
  EXPECT_EQ(platform::httpStatusPhrase(599), "server error");
  EXPECT_EQ(platform::httpStatusPhrase(0), "unknown");
  EXPECT_EQ(platform::httpStatusPhrase(700), "unknown");
}

}  // namespace
