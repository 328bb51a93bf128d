#include "SQLite/Query/SQLiteDecoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "SQLite/Query/QueryExecution.h"
#include "SQLite/Query/Table.h"
#include "tests/support/Thrown.h"

namespace sql {
namespace {

struct Step {
  std::string text;
  Int64 weight = 0;
  NLOHMANN_DEFINE_TYPE_INTRUSIVE(Step, text, weight)
};

struct Entry {
  Int64 id = 0;
  std::string title;
  std::optional<std::string> note;
  double score = 0;
  float ratio = 0;
  bool done = false;
  Date createdAt{};
  UUID key{};
  Data payload;
  std::vector<Step> steps;

  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("id", self.id);
    visit("title", self.title);
    visit("note", self.note);
    visit("score", self.score);
    visit("ratio", self.ratio);
    visit("done", self.done);
    visit("createdAt", self.createdAt);
    visit("key", self.key);
    visit("payload", self.payload);
    visit("steps", self.steps);
  }
};

struct JustScore {
  double score = 0;
  std::optional<double> maybeScore;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("score", self.score);
    visit("maybeScore", self.maybeScore);
  }
};

struct OptionalSteps {
  std::optional<std::vector<Step>> absentColumn;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("absentColumn", self.absentColumn);
  }
};

struct Optionals {
  std::optional<std::string> missing;
  std::optional<std::int8_t> narrow;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("missing", self.missing);
    visit("narrow", self.narrow);
  }
};

struct MaybeSteps {
  std::optional<std::vector<Step>> steps;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("steps", self.steps);
  }
};

struct Widths {
  long long wide = 0;
  unsigned long long unsignedWide = 0;
  char letter = 0;
  std::optional<unsigned long long> maybe;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("wide", self.wide);
    visit("unsignedWide", self.unsignedWide);
    visit("letter", self.letter);
    visit("maybe", self.maybe);
  }
};

class SQLiteDecoderIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Connection::open(":memory:");
    db->execute(
        "CREATE TABLE entries (id INTEGER, title TEXT, note TEXT, score REAL, ratio REAL, done INTEGER, "
        "createdAt TEXT, "
        "key TEXT, payload BLOB, steps TEXT)");
  }

  Entry sample() const {
    Entry entry;
    entry.id = 1;
    entry.title = "first";
    entry.score = 2.5;
    entry.ratio = 0.1F;
    entry.done = true;
    entry.createdAt = Date{std::chrono::milliseconds{1709647629250}};
    entry.key = *UUID::fromString("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    entry.payload = Data{std::byte{0}, std::byte{255}};
    entry.steps = {{"a", 1}, {"b", 2}};
    return entry;
  }

  // Stores one complete row whose date and steps are the given SQL expressions, and reads it back.
  Row stored(const std::string& createdAt, const std::string& steps) {
    db->execute("DELETE FROM entries");
    db->execute(
        "INSERT INTO entries (id, title, score, ratio, done, createdAt, key, payload, steps) VALUES (1, 't', "
        "1.0, 1.0, 0, " +
        createdAt + ", 'E621E1F8-C36C-495A-93FC-0C247A3E6E5F', x'00', " + steps + ")");
    return pluck(*db, entries).value();
  }

  std::shared_ptr<Connection> db;
  const Table entries{"entries"};
};

TEST_F(SQLiteDecoderIntegrationTest, ARecordRoundTripsThroughARow) {
  run(*db, entries.insert(sample()));
  auto row = pluck(*db, entries);
  ASSERT_TRUE(row.has_value());
  const auto entry = decode<Entry>(*row);
  const auto expected = sample();
  EXPECT_EQ(entry.id, expected.id);
  EXPECT_EQ(entry.title, expected.title);
  EXPECT_EQ(entry.note, std::nullopt);
  EXPECT_EQ(entry.score, expected.score);
  EXPECT_EQ(entry.ratio, expected.ratio);
  EXPECT_TRUE(entry.done);
  EXPECT_EQ(entry.createdAt, expected.createdAt);
  EXPECT_EQ(entry.key, expected.key);
  EXPECT_EQ(entry.payload, expected.payload);
  ASSERT_EQ(entry.steps.size(), 2U);
  EXPECT_EQ(entry.steps[1].text, "b");
  EXPECT_EQ(entry.steps[1].weight, 2);
  EXPECT_EQ(std::get<std::string>(*db->scalar("SELECT createdAt FROM entries")), "2024-03-05T14:07:09.250");
}

TEST_F(SQLiteDecoderIntegrationTest, NullsAndStoredValuesOfAnotherKind) {
  db->execute("INSERT INTO entries (id, title, steps, score) VALUES (1, NULL, NULL, 3)");
  auto row = pluck(*db, entries);
  ASSERT_TRUE(row.has_value());
  SQLiteDecoder decoder(*row, {});
  EXPECT_FALSE(decoder.contains("title"));
  EXPECT_TRUE(decoder.decodeNil("title"));
  EXPECT_TRUE(decoder.contains("id"));
  if (const auto error = testsupport::thrown<QueryError>([&] { decode<Entry>(*row); })) {
    EXPECT_EQ(error->description(), "Unexpected null value for column `\"title\"`");
  }
  // An integer where a double is asked for is data of another kind, not a NULL.
  db->execute("CREATE TABLE loose (score, maybeScore)");
  db->execute("INSERT INTO loose VALUES (3, 4)");
  auto loose = pluck(*db, Table("loose"));
  ASSERT_TRUE(loose.has_value());
  if (const auto error = testsupport::thrown<ColumnTypeError>([&] { decode<JustScore>(*loose); })) {
    EXPECT_STREQ(error->what(), "Column `\"score\"` holds INTEGER data where REAL was expected");
  }
}

TEST_F(SQLiteDecoderIntegrationTest, JsonFieldsAndMissingColumns) {
  const Row row = stored("'2024-03-05T14:07:09.250'", "NULL");
  if (const auto error = testsupport::thrown<RecordCodingError>([&] { decode<Entry>(row); })) {
    EXPECT_EQ(error->kind(), RecordCodingError::Kind::typeMismatch);
    EXPECT_STREQ(error->what(), "an unsupported type was found");
  }
  const auto optionals = decode<Optionals>(row);
  EXPECT_EQ(optionals.missing, std::nullopt);
  EXPECT_EQ(optionals.narrow, std::nullopt);
  // A missing column is absent for a plain optional field, but an error for a JSON field.
  if (const auto error = testsupport::thrown<QueryError>([&] { decode<OptionalSteps>(row); })) {
    EXPECT_EQ(error->kind(), QueryError::Kind::noSuchColumn);
  }
}

TEST_F(SQLiteDecoderIntegrationTest, BrokenStoredTextIsAnErrorNotACrash) {
  const Row row = stored("'yesterday'", "'[]'");
  if (const auto error = testsupport::thrown<RecordCodingError>([&] { decode<Entry>(row); })) {
    EXPECT_EQ(error->kind(), RecordCodingError::Kind::dataCorrupted);
  }
}

TEST_F(SQLiteDecoderIntegrationTest, QualifiedColumnsAreFoundThroughTheSuffixRule) {
  db->execute("CREATE TABLE other (id INTEGER, score REAL)");
  db->execute("INSERT INTO other VALUES (1, 4.5)");
  db->execute("INSERT INTO entries (id, score) VALUES (1, 1.5)");
  const Table other("other");
  const Expression<Int64> id("id");
  auto row = pluck(
      *db,
      entries.select(entries[id], other[Expression<double>("score")]).join(other, entries[id] == other[id]));
  ASSERT_TRUE(row.has_value());
  const auto score = decode<JustScore>(*row);
  EXPECT_EQ(score.score, 4.5);
  EXPECT_FALSE(SQLiteDecoder(*row, {}).contains("score"));
}

TEST_F(SQLiteDecoderIntegrationTest, JsonTextThatIsNotUTF8IsCorruptedDataBeforeItIsParsed) {
  // Each is invalid UTF-8; the last two are not JSON either.
  for (const char* hex : {"5b22ff225d", "5b22c0af225d", "5b22eda080225d", "5b22e4b8", "ff"}) {
    SCOPED_TRACE(hex);
    const Row row = stored("'2024-03-05T14:07:09.250'", std::string("CAST(x'") + hex + "' AS TEXT)");
    for (const auto& attempt :
         std::vector<std::function<void()>>{[&] { decode<Entry>(row); }, [&] { decode<MaybeSteps>(row); }}) {
      if (const auto error = testsupport::thrown<RecordCodingError>([&] { attempt(); })) {
        EXPECT_EQ(error->kind(), RecordCodingError::Kind::dataCorrupted);
        EXPECT_STREQ(error->what(), "invalid utf8 data found");
      }
    }
  }
  // Well-formed text of two, three and four bytes per character reads as before.
  db->execute("UPDATE entries SET steps = '[{\"text\":\"\u00e9\u4e2d\U0001F600\",\"weight\":1}]'");
  auto row = pluck(*db, entries);
  ASSERT_TRUE(row.has_value());
  const auto steps = decode<MaybeSteps>(*row).steps;
  ASSERT_TRUE(steps.has_value());
  ASSERT_EQ(steps->size(), 1U);
  EXPECT_EQ(steps->at(0).text, "\u00e9\u4e2d\U0001F600");
}

TEST_F(SQLiteDecoderIntegrationTest, EveryAcceptedIntegerWidthIsStoredAsAnIntegerAndReadBack) {
  db->execute("CREATE TABLE widths (wide, unsignedWide, letter, maybe)");
  const Table widths("widths");
  const Widths cases[] = {
      {5, 5, 'a', 7},
      {std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max(), '\0', std::nullopt},
      {-1, 0, static_cast<char>(-1), 0},
  };
  for (const auto& written : cases) {
    db->execute("DELETE FROM widths");
    run(*db, widths.insert(written));
    for (const char* column : {"wide", "unsignedWide", "letter"}) {
      EXPECT_EQ(std::get<std::string>(*db->scalar(std::string("SELECT typeof(") + column + ") FROM widths")),
                "integer")
          << column;
    }
    auto row = pluck(*db, widths);
    ASSERT_TRUE(row.has_value());
    const auto read = decode<Widths>(*row);
    EXPECT_EQ(read.wide, written.wide);
    EXPECT_EQ(read.unsignedWide, written.unsignedWide);
    EXPECT_EQ(read.letter, written.letter);
    EXPECT_EQ(read.maybe, written.maybe);
  }
}

TEST_F(SQLiteDecoderIntegrationTest, StoredIntegersOutsideTheFieldsRangeAreCorruptedData) {
  db->execute("CREATE TABLE widths (wide, unsignedWide, letter, maybe)");
  for (const char* values : {"(1, -1, 0, NULL)", "(1, 1, 300, NULL)", "(1, 1, 0, -5)"}) {
    SCOPED_TRACE(values);
    db->execute("DELETE FROM widths");
    db->execute(std::string("INSERT INTO widths VALUES ") + values);
    auto row = pluck(*db, Table("widths"));
    ASSERT_TRUE(row.has_value());
    if (const auto error = testsupport::thrown<RecordCodingError>([&] { decode<Widths>(*row); })) {
      EXPECT_EQ(error->kind(), RecordCodingError::Kind::dataCorrupted);
    }
  }
}

}  // namespace
}  // namespace sql
