#include "Quellorin/Services/EventStreamReader.h"

#include "Platform/Core/Log.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using quellorin::EventStreamReader;
using quellorin::StreamEvent;

std::optional<StreamEvent> lineEvent(std::string_view line) {
  return EventStreamReader::handleStreamLine(line);
}

class EventStreamReaderTest : public ::testing::Test {
 protected:
  std::vector<StreamEvent> events;
  EventStreamReader reader{[this](const StreamEvent& event) { events.push_back(event); }};
};

TEST(EventStreamLine, TakesEachKindsTextFromItsOwnTopLevelMemberTheLastOfARepeatedOne) {
  EXPECT_EQ(lineEvent(R"(data: {"event":"message","answer":"Hi","message":"not this"})"),
            (StreamEvent{"message", "Hi"}));
  EXPECT_EQ(lineEvent(R"(data: {"event":"workflow_started","message":"go","answer":"x"})"),
            (StreamEvent{"workflow_started", "go"}));
  EXPECT_EQ(lineEvent(R"(data: {"event":"workflow_finished","message":"done"})"),
            (StreamEvent{"workflow_finished", "done"}));
  EXPECT_EQ(lineEvent(R"(data: {"event":"message","answer":""})"), (StreamEvent{"message", ""}));

  EXPECT_EQ(lineEvent(R"(data: {"meta":{"answer":"inner","event":"x"},"event":"message","answer":"outer"})"),
            (StreamEvent{"message", "outer"}));
  EXPECT_EQ(lineEvent(R"(data: {"event":"message","answer":7,"answer":"last"})"),
            (StreamEvent{"message", "last"}));
  EXPECT_EQ(lineEvent(R"(data: {"list":[{"answer":"no"}],"answer":"yes","event":"message"})"),
            (StreamEvent{"message", "yes"}));
}

TEST(EventStreamLine, SkipsLinesThatAreNotExactlyAnEventObject) {
  EXPECT_FALSE(lineEvent(R"(data:{"event":"message","answer":"no space"})"));
  EXPECT_FALSE(lineEvent(R"(Data: {"event":"message","answer":"case"})"));
  EXPECT_FALSE(lineEvent(R"( data: {"event":"message","answer":"indented"})"));
  EXPECT_FALSE(lineEvent("data: not json"));
  EXPECT_FALSE(lineEvent(R"(data: ["event","message"])"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"message","answer":"cut)"));
  EXPECT_FALSE(lineEvent(R"(data: {"answer":"no kind"})"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":1,"answer":"kind is a number"})"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"message","answer":42})"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"message","answer":null})"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"workflow_started"})"));
  EXPECT_FALSE(lineEvent(R"(data: "message")"));
  EXPECT_FALSE(lineEvent(R"(data: {"nested":{"event":"message","answer":"inner"}})"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"message","answer":"x"} trailing)"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"message","answer":"x","answer":7})"));
  EXPECT_FALSE(lineEvent(""));
  EXPECT_FALSE(lineEvent(": comment"));
}

TEST(EventStreamLine, LogsErrorsAndUnknownKinds) {
  platform::LogCapture log;
  EXPECT_EQ(lineEvent(R"(data: {"event":"error","message":"quota"})"), (StreamEvent{"error", "quota"}));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"error","code":3})"));
  EXPECT_FALSE(lineEvent(R"(data: {"event":"ping"})"));
  EXPECT_EQ(log.text(),
            "接收到错误：{\"event\":\"error\",\"message\":\"quota\"}\n"
            "接收到错误：{\"code\":3,\"event\":\"error\"}\n"
            "接收到事件：ping\n");
}

TEST(EventStreamLine, ReadsInvalidUTF8AsReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  // One U+FFFD per maximal ill-formed part: a stray byte, or the cut-off start of a sequence.
  EXPECT_EQ(lineEvent("data: {\"event\":\"message\",\"answer\":\"a\xff"
                      "b\xe4\xb8\"}"),
            (StreamEvent{"message", "a" + replacement + "b" + replacement}));
  // Overlong forms, surrogates and code points past U+10FFFF are ill formed byte by byte.
  EXPECT_EQ(
      lineEvent("data: {\"event\":\"message\",\"answer\":\"\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80\"}"),
      (StreamEvent{"message", replacement + replacement + "|" + replacement + replacement + replacement +
                                  "|" + replacement + replacement + replacement + replacement}));
  EXPECT_EQ(lineEvent("data: {\"event\":\"message\",\"answer\":\"\xf0\x9f\x98\x80\xf0\x9f\x98\"}"),
            (StreamEvent{"message", "\xf0\x9f\x98\x80" + replacement}));
  EXPECT_EQ(lineEvent("data: {\"event\":\"message\",\"answer\":\"\xe4\xbd\xa0\xe5\xa5\xbd\"}"),
            (StreamEvent{"message", "你好"}));
}

TEST_F(EventStreamReaderTest, DeliversEachEventAsSoonAsItsLineIsComplete) {
  const std::string stream =
      "data: {\"event\":\"workflow_started\",\"message\":\"s\"}\n\n"
      "data: {\"event\":\"message\",\"answer\":\"你好\"}\r\n"
      "data: {\"event\":\"message\",\"answer\":\"!\"}\r"
      "data: {\"event\":\"workflow_finished\",\"message\":\"f\"}\n";
  const std::vector<StreamEvent> expected = {
      {"workflow_started", "s"}, {"message", "你好"}, {"message", "!"}, {"workflow_finished", "f"}};
  // One byte at a time: an event appears exactly when the byte ending its line arrives.
  for (std::size_t i = 0; i < stream.size(); ++i) {
    const std::size_t before = events.size();
    reader.feed(std::string_view(&stream[i], 1));
    if (events.size() != before) {
      EXPECT_EQ(events.size(), before + 1);
      EXPECT_TRUE(stream[i] == '\n' || stream[i] == '\r') << "event at byte " << i;
    }
  }
  reader.finish();
  EXPECT_EQ(events, expected);
  EXPECT_EQ(reader.eventsDelivered(), 4u);
}

TEST_F(EventStreamReaderTest, GivesTheSameEventsWhereverThePiecesAreCut) {
  const std::string stream =
      "data: {\"event\":\"message\",\"answer\":\"é\"}\r\n"
      ": comment\r\n"
      "data: {\"event\":\"message\",\"answer\":\"ü\"}\r"
      "\n"
      "data: {\"event\":\"message\",\"answer\":\"日本\"}\n";
  const std::vector<StreamEvent> expected = {{"message", "é"}, {"message", "ü"}, {"message", "日本"}};
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    for (std::size_t second = cut; second <= stream.size(); second += 7) {
      events.clear();
      EventStreamReader split([this](const StreamEvent& event) { events.push_back(event); });
      split.feed(std::string_view(stream).substr(0, cut));
      split.feed(std::string_view(stream).substr(cut, second - cut));
      split.feed(std::string_view(stream).substr(second));
      split.finish();
      ASSERT_EQ(events, expected) << "cut at " << cut << " and " << second;
    }
  }
}

TEST_F(EventStreamReaderTest, HandlesALastLineWithoutALineBreakButJoinsNoLines) {
  reader.feed("data: {\"event\":\"message\",\n");  // an object spread over two lines is not joined
  reader.feed("data: \"answer\":\"x\"}\n");
  reader.feed("data: {\"event\":\"message\",\"answer\":\"tail\"}");
  EXPECT_TRUE(events.empty());
  reader.finish();
  EXPECT_EQ(events, (std::vector<StreamEvent>{{"message", "tail"}}));
  reader.finish();
  EXPECT_EQ(events.size(), 1u);
}

// The limit holds for a line however it is split: whole, or one byte at a time, with either
// line break. A line of exactly the limit still reads.
TEST(EventStreamReaderLimit, ALineLongerThanTheLimitStopsTheReaderWhereverThePiecesAreCut) {
  const std::string atLimit = R"(data: {"event":"message","answer":"0123456789"})";
  const std::size_t limit = atLimit.size();
  const std::string overLimit = R"(data: {"event":"message","answer":"0123456789!"})";
  const std::string before = R"(data: {"event":"message","answer":"before"})";
  const struct {
    const char* what;
    std::string stream;
    std::vector<StreamEvent> expected;
    bool overflows;
  } cases[] = {
      {"at the limit",
       before + "\n" + atLimit + "\r\n" + atLimit,
       {{"message", "before"}, {"message", "0123456789"}, {"message", "0123456789"}},
       false},
      {"one byte over, ended",
       before + "\n" + overLimit + "\n" + atLimit + "\n",
       {{"message", "before"}},
       true},
      {"one byte over, never ended", before + "\r" + overLimit, {{"message", "before"}}, true},
      {"endless", before + "\n" + std::string(10 * limit, 'x'), {{"message", "before"}}, true},
  };
  for (const auto& entry : cases) {
    for (const std::size_t pieceSize : {entry.stream.size(), std::size_t{1}, std::size_t{7}}) {
      SCOPED_TRACE(std::string(entry.what) + ", pieces of " + std::to_string(pieceSize));
      std::vector<StreamEvent> events;
      EventStreamReader reader([&](const StreamEvent& event) { events.push_back(event); }, limit);
      bool reading = true;
      for (std::size_t at = 0; at < entry.stream.size() && reading; at += pieceSize) {
        reading = reader.feed(std::string_view(entry.stream).substr(at, pieceSize));
      }
      reader.finish();
      EXPECT_EQ(events, entry.expected);
      EXPECT_EQ(reader.overflowed(), entry.overflows);
      EXPECT_EQ(reading, !entry.overflows);
      EXPECT_FALSE(entry.overflows && reader.feed("\n" + atLimit + "\n"));  // nothing more is read
      EXPECT_EQ(events, entry.expected);
    }
  }
}

}  // namespace
