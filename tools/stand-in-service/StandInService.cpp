#include "StandInService.h"

#include "Credential.h"
#include "EventStream.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <memory>
#include <thread>

namespace standin {
namespace {

using nlohmann::json;

constexpr std::size_t kServerThreads = 32;
constexpr std::size_t kBulkBlockBytes = 64 * 1024;
constexpr auto kReleaseWait = std::chrono::seconds(10);
constexpr const char* kVideoPaths[] = {"/static/videos/tripple-space-translation.mp4",
                                       "/static/videos/tripple-space-pipeline.mp4",
                                       "/static/videos/tripple-space-freeask.mp4"};

const std::string* headerOrNull(const httplib::Request& request, const char* name) {
  const auto found = request.headers.find(name);
  return found == request.headers.end() ? nullptr : &found->second;
}

std::string lastUserMessage(const json& body) {
  std::string last;
  if (!body.contains("messages") || !body["messages"].is_array()) return last;
  for (const auto& message : body["messages"]) {
    if (message.is_object() && message.value("role", "") == "user" && message.contains("content") &&
        message["content"].is_string()) {
      last = message["content"].get<std::string>();
    }
  }
  return last;
}

void sleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Writes one unit of the stream the way the fault asks: whole, in two writes, or byte by byte.
bool writeUnit(httplib::DataSink& sink, const std::string& unit, const Fault& fault) {
  if (fault.drip) {
    for (char byte : unit) {
      if (!sink.write(&byte, 1)) return false;
      sleepMilliseconds(fault.dripDelayMs);
    }
    return true;
  }
  if (fault.splitWrites && unit.size() > 1) {
    const std::size_t half = unit.size() / 2;
    if (!sink.write(unit.data(), half)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));  // let the halves leave separately
    return sink.write(unit.data() + half, unit.size() - half);
  }
  return sink.write(unit.data(), unit.size());
}

bool isEventUnit(const std::string& unit) { return unit != "\n"; }

// The units of the stream in order: the answer's lines (or the fault's own), with noise.
std::vector<std::string> streamUnits(const Fault& fault, const std::string& reply) {
  std::vector<std::string> answer = fault.lines ? std::vector<std::string>() : answerLines(reply);
  if (fault.lines) {
    for (const auto& line : *fault.lines) answer.push_back(line + "\n");
  }
  if (fault.invalidUtf8) {
    // Before the closing event and its blank line; control requests are JSON, so the raw byte
    // cannot come from a test's "lines".
    answer.insert(answer.end() - std::min<std::ptrdiff_t>(2, std::ssize(answer)),
                  "data: {\"event\":\"message\",\"answer\":\"bad \xff byte\"}\n");
  }
  if (!fault.noise) return answer;
  std::vector<std::string> units;
  for (const auto& unit : answer) {
    for (const auto& junk : noiseLines()) units.push_back(junk);
    units.push_back(unit);
  }
  return units;
}

}  // namespace

StandInService::StandInService(std::string videos) : videos_(std::move(videos)) {
  server_.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  installRoutes();
}

int StandInService::bind(const std::string& host, int port) {
  if (port == 0) return server_.bind_to_any_port(host);
  return server_.bind_to_port(host, port) ? port : -1;
}

void StandInService::serve() { server_.listen_after_bind(); }

void StandInService::installRoutes() {
  server_.Post("/api/processText",
               [this](const httplib::Request& q, httplib::Response& r) { answerProcessText(q, r); });
  server_.Post("/api/getUser",
               [this](const httplib::Request& q, httplib::Response& r) { answerGetUser(q, r); });
  server_.Get("/api/getUserSubInfo",
              [this](const httplib::Request& q, httplib::Response& r) { answerGetUserSubInfo(q, r); });

  server_.Get("/auth/login", [this](const httplib::Request& request, httplib::Response& response) {
    record(request);
    const std::string link = "quellorin://login?token=stand-in-session-token";
    response.set_content(
        "<!doctype html><title>Sign in</title><p><a href=\"" + link + "\">Continue to Quellorin</a>",
        "text/html; charset=utf-8");
  });
  server_.Get("/Appcast.xml", [this](const httplib::Request& request, httplib::Response& response) {
    record(request);
    response.set_content(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
        "<channel><title>Quellorin</title><item><title>Version 1.0.0</title>"
        "<sparkle:version>100</sparkle:version><sparkle:shortVersionString>1.0.0</sparkle:shortVersionString>"
        "<enclosure url=\"/downloads/Quellorin-1.0.0.zip\" length=\"0\" type=\"application/octet-stream\"/>"
        "</item></channel></rss>\n",
        "application/xml");
  });
  for (const char* path : kVideoPaths) {
    server_.Get(path, [this, path](const httplib::Request& request, httplib::Response& response) {
      record(request);
      const std::string name = std::string(path).substr(std::string(path).rfind('/') + 1);
      if (!videos_.empty()) {
        std::ifstream file(videos_ + "/" + name, std::ios::binary);
        if (file) {
          std::ostringstream bytes;
          bytes << file.rdbuf();
          response.set_content(bytes.str(), "video/mp4");
          return;
        }
      }
      // The smallest well-formed MP4 start: an "ftyp" box naming the brand.
      static const std::string ftyp(
          "\x00\x00\x00\x14"
          "ftypisom\x00\x00\x02\x00"
          "isom",
          20);
      response.set_content(ftyp, "video/mp4");
    });
  }

  server_.Post("/control/faults", [this](const httplib::Request& request, httplib::Response& response) {
    const std::string path = request.has_param("path") ? request.get_param_value("path") : "/api/processText";
    const json parsed = json::parse(request.body, nullptr, false);
    if (parsed.is_discarded()) {
      response.status = 400;
      return;
    }
    std::lock_guard lock(mutex_);
    for (const auto& fault : parsed.is_array() ? parsed : json::array({parsed})) {
      faults_[path].push_back(Fault::fromJSON(fault));
    }
  });
  server_.Get("/control/requests", [this](const httplib::Request&, httplib::Response& response) {
    std::lock_guard lock(mutex_);
    response.set_content(requests_.dump(), "application/json");
  });
  server_.Post("/control/release", [this](const httplib::Request&, httplib::Response&) {
    std::lock_guard lock(mutex_);
    ++releases_;
    released_.notify_all();
  });
  server_.Post("/control/reset", [this](const httplib::Request&, httplib::Response&) {
    std::lock_guard lock(mutex_);
    faults_.clear();
    requests_ = json::array();
    releases_ = 0;
  });
}

void StandInService::record(const httplib::Request& request) {
  json headers = json::array();
  for (const auto& [name, value] : request.headers) headers.push_back({name, value});
  json entry = {
      {"method", request.method},
      {"path", request.path},
      {"headers", headers},
      {"body", json::parse(request.body, nullptr, false).is_discarded() ? json(request.body)
                                                                        : json::parse(request.body)},
      {"credential", credentialVerdict(headerOrNull(request, "Authorization"),
                                       headerOrNull(request, "X-Encrypted-String"))}};
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(entry));
}

std::optional<Fault> StandInService::nextFault(const std::string& path) {
  std::lock_guard lock(mutex_);
  auto& queue = faults_[path];
  if (queue.empty()) return std::nullopt;
  Fault fault = queue.front();
  queue.pop_front();
  return fault;
}

bool StandInService::awaitRelease() {
  std::unique_lock lock(mutex_);
  if (!released_.wait_for(lock, kReleaseWait, [this] { return releases_ > 0; })) return false;
  --releases_;
  return true;
}

void StandInService::answerProcessText(const httplib::Request& request, httplib::Response& response) {
  record(request);
  const Fault fault = nextFault(request.path).value_or(Fault{});
  sleepMilliseconds(fault.delayHeadMs);
  const json body = json::parse(request.body, nullptr, false);
  if (fault.status == 200 && !body.is_object()) {
    response.status = 400;
    response.set_content(R"({"error":"the body is not a JSON object"})", "application/json");
    return;
  }
  if (fault.status != 200 && fault.disconnectAfterEvents) {
    // A refusal whose body breaks off half-way.
    response.status = fault.status;
    auto half = std::make_shared<std::string>(json{{"errorCode", fault.errorCode.value_or(0)}}.dump());
    half->resize(half->size() / 2);
    response.set_chunked_content_provider("application/json", [half](std::size_t, httplib::DataSink& sink) {
      sink.write(half->data(), half->size());
      return false;
    });
    return;
  }
  if (fault.status != 200) {
    response.status = fault.status;
    if (fault.body) {
      response.set_content(*fault.body, "application/json");
    } else if (fault.errorCode) {
      response.set_content(json{{"errorCode", *fault.errorCode}}.dump(), "application/json");
    } else {
      response.set_content(json{{"error", "refused by the stand-in"}}.dump(), "application/json");
    }
    return;
  }

  const std::string contentType = fault.contentType.value_or("text/event-stream");
  if (fault.body) {  // a whole other answer, such as the page of a captive portal
    response.set_content(*fault.body, contentType);
    return;
  }
  if (fault.bulkBytes) {
    auto events = std::make_shared<std::size_t>(0);
    auto block = std::make_shared<std::string>(bulkBlock(kBulkBlockBytes, *events));
    const std::size_t blocks = (*fault.bulkBytes + block->size() - 1) / block->size();
    response.set_header("X-Stand-In-Events", std::to_string(blocks * *events));
    response.set_chunked_content_provider("text/event-stream",
                                          [block, blocks](std::size_t, httplib::DataSink& sink) {
                                            for (std::size_t i = 0; i < blocks; ++i) {
                                              if (!sink.write(block->data(), block->size())) return false;
                                            }
                                            sink.done();
                                            return true;
                                          });
    return;
  }

  auto units = std::make_shared<std::vector<std::string>>(streamUnits(fault, replyTo(lastUserMessage(body))));
  response.set_chunked_content_provider(
      contentType, [this, units, fault](std::size_t, httplib::DataSink& sink) {
        std::size_t events = 0;
        for (const auto& unit : *units) {
          if (fault.disconnectAfterEvents && events == *fault.disconnectAfterEvents) return false;
          if (fault.stallAfterEvents && events == *fault.stallAfterEvents) sleepMilliseconds(fault.stallMs);
          if (!writeUnit(sink, unit, fault)) return false;
          if (!isEventUnit(unit)) continue;
          ++events;
          if (fault.lockstep && !awaitRelease()) return false;
        }
        sink.done();
        return true;
      });
}

void StandInService::answerGetUser(const httplib::Request& request, httplib::Response& response) {
  record(request);
  if (const auto fault = nextFault(request.path)) {
    response.status = fault->status;
    response.set_content(fault->body.value_or("{}"), "application/json");
    return;
  }
  const std::string* authorization = headerOrNull(request, "Authorization");
  if (authorization == nullptr || *authorization == "Bearer " || *authorization == "Bearer") {
    response.status = 401;
    response.set_content(R"({"error":"no session"})", "application/json");
    return;
  }
  response.set_content(json{{"email", "reader@example.com"},
                            {"id", "user-42"},
                            {"name", "Reader"},
                            {"exp", 1798761600000},
                            {"fastCount", 3},
                            {"qualityCount", 1},
                            {"maxSubCount", 50},
                            {"maxFastCount", 100},
                            {"subscriptionVersion", "pro"},
                            {"period_ends_at", "2027-01-01T00:00:00Z"}}
                           .dump(),
                       "application/json");
}

void StandInService::answerGetUserSubInfo(const httplib::Request& request, httplib::Response& response) {
  record(request);
  if (const auto fault = nextFault(request.path)) {
    response.status = fault->status;
    response.set_content(fault->body.value_or("{}"), "application/json");
    return;
  }
  response.set_content(json{{"subscriptionVersion", "pro"},
                            {"fastCount", 4},
                            {"maxFastCount", "100"},
                            {"maxSubCount", 50},
                            {"qualityCount", 2},
                            {"email", "reader@example.com"},
                            {"name", "Reader"},
                            {"period_ends_at", "2027-01-01T00:00:00Z"}}
                           .dump(),
                       "application/json");
}

}  // namespace standin
