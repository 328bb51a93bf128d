#include "SQLite/Query/SQLiteEncoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "SQLite/Query/Table.h"
#include "tests/support/Thrown.h"

namespace sql {
namespace {

struct Tag {
  std::string label;
  int weight = 0;
  NLOHMANN_DEFINE_TYPE_INTRUSIVE(Tag, label, weight)
};

struct Note {
  Int64 id = 0;
  std::string name;
  std::optional<std::string> comment;
  std::optional<Int64> parentId;
  float ratio = 0;
  bool pinned = false;
  Int count = 0;
  std::vector<Tag> tags;

  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("id", self.id);
    visit("name", self.name);
    visit("comment", self.comment);
    visit("parentId", self.parentId);
    visit("ratio", self.ratio);
    visit("pinned", self.pinned);
    visit("count", self.count);
    visit("tags", self.tags);
  }
};

struct Quoted {
  Int64 value = 0;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("say \"hi\"", self.value);
  }
};

template <class Narrow>
struct NarrowField {
  Narrow value{};
  std::optional<Narrow> maybe;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("maybe", self.maybe);
    visit("value", self.value);
  }
};

struct OnlyAbsentNarrow {
  std::optional<std::int16_t> maybe;
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("maybe", self.maybe);
  }
};

TEST(SQLiteEncoderTest, OneSetterPerWrittenFieldInFieldOrder) {
  Note note{7, "n", std::nullopt, std::nullopt, 0.1F, true, 3, {{"a", 1}}};
  const auto setters = SQLiteEncoder::encode(note, {});
  ASSERT_EQ(setters.size(), 6U);  // the absent optionals write nothing
  EXPECT_EQ(setters[0].expression().asSQL(), "\"id\" = 7");
  EXPECT_EQ(setters[1].expression().asSQL(), "\"name\" = 'n'");
  EXPECT_EQ(setters[2].value().bindings()[0], std::optional<Binding>(static_cast<double>(0.1F)));
  EXPECT_NE(static_cast<double>(0.1F), 0.1);
  EXPECT_EQ(setters[3].expression().asSQL(), "\"pinned\" = 1");
  EXPECT_EQ(setters[4].expression().asSQL(), "\"count\" = 3");
  EXPECT_EQ(setters[5].expression().asSQL(), "\"tags\" = '[{\"label\":\"a\",\"weight\":1}]'");
}

TEST(SQLiteEncoderTest, ForcingWritesNullForAbsentOptionalsButNeverForInt64) {
  Note note{7, "n", std::nullopt, std::nullopt, 0, false, 0, {}};
  const auto setters = SQLiteEncoder::encode(note, {}, true);
  ASSERT_EQ(setters.size(), 7U);
  EXPECT_EQ(setters[2].expression().asSQL(), "\"comment\" = NULL");
  EXPECT_EQ(setters[3].column().template_(), "\"ratio\"");
}

TEST(SQLiteEncoderTest, KeysAreQuotedAsIdentifiers) {
  EXPECT_EQ(SQLiteEncoder::encode(Quoted{1}, {})[0].column().template_(), "\"say \"\"hi\"\"\"");
}

TEST(SQLiteEncoderTest, NarrowIntegersAreRefused) {
  if (const auto error = testsupport::thrown<RecordCodingError>(
          [&] { SQLiteEncoder::encode(NarrowField<std::int8_t>{}, {}); })) {
    EXPECT_EQ(error->kind(), RecordCodingError::Kind::invalidValue);
    EXPECT_STREQ(error->what(), "encoding an Int8 is not supported");
  }
  EXPECT_THROW(SQLiteEncoder::encode(NarrowField<std::uint64_t>{}, {}), RecordCodingError);
  EXPECT_TRUE(SQLiteEncoder::encode(OnlyAbsentNarrow{}, {}, true).empty());
  NarrowField<std::int32_t> present{1, 2};
  EXPECT_THROW(SQLiteEncoder::encode(present, {}, true), RecordCodingError);
}

template <class Integer>
struct OneInteger {
  Integer value{};
  template <class Self, class Visitor>
  static void codingFields(Self& self, Visitor& visit) {
    visit("value", self.value);
  }
};

TEST(SQLiteEncoderTest, EveryAcceptedIntegerWidthBindsAnInteger) {
  const auto boundValue = [](const auto& record) {
    return SQLiteEncoder::encode(record, {}).at(0).value().bindings().at(0);
  };
  EXPECT_EQ(boundValue(OneInteger<long long>{5}), std::optional<Binding>(Int64{5}));
  EXPECT_EQ(boundValue(OneInteger<long long>{std::numeric_limits<long long>::min()}),
            std::optional<Binding>(std::numeric_limits<Int64>::min()));
  EXPECT_EQ(boundValue(OneInteger<unsigned long long>{9'223'372'036'854'775'807ULL}),
            std::optional<Binding>(std::numeric_limits<Int64>::max()));
  EXPECT_EQ(boundValue(OneInteger<char>{'a'}), std::optional<Binding>(Int64{'a'}));
}

TEST(SQLiteEncoderTest, AnUnsignedValueAboveTheIntegerColumnsRangeIsRefused) {
  for (unsigned long long value :
       {9'223'372'036'854'775'808ULL, std::numeric_limits<unsigned long long>::max()}) {
    if (const auto error = testsupport::thrown<RecordCodingError>(
            [&] { SQLiteEncoder::encode(OneInteger<unsigned long long>{value}, {}); })) {
      EXPECT_EQ(error->kind(), RecordCodingError::Kind::invalidValue);
      EXPECT_NE(std::string(error->what()).find(std::to_string(value)), std::string::npos) << error->what();
    }
  }
}

TEST(SQLiteEncoderTest, StatementsFromRecords) {
  Table notes("notes");
  Note note{7, "n", std::string("c"), std::nullopt, 0.5F, false, 1, {}};
  auto extra = std::vector<Setter>{assign(Expression<std::string>("extra"), "e")};
  EXPECT_EQ(notes.insert(note, extra).asSQL(),
            "INSERT INTO \"notes\" (\"id\", \"name\", \"comment\", \"ratio\", \"pinned\", \"count\", "
            "\"tags\", \"extra\") "
            "VALUES (7, 'n', 'c', 0.5, 0, 1, '[]', 'e')");
  EXPECT_EQ(notes.insert(OnConflict::replace, note).template_().substr(0, 26), "INSERT OR REPLACE INTO \"no");
  EXPECT_EQ(notes.filter(Expression<Int64>("id") == 7).update(Quoted{2}).asSQL(),
            "UPDATE \"notes\" SET \"say \"\"hi\"\"\" = 2 WHERE (\"id\" = 7)");
  EXPECT_EQ(notes.upsert(Quoted{2}, Expression<Int64>("say \"hi\"")).asSQL(),
            "INSERT INTO \"notes\" (\"say \"\"hi\"\"\") VALUES (2) ON CONFLICT (\"say \"\"hi\"\"\") DO "
            "UPDATE SET ");
}

TEST(SQLiteEncoderTest, ManyRecordsAreEncodedAgainWithNullsWhenTheirLengthsDiffer) {
  Table notes("notes");
  Note withComment{1, "a", std::string("c"), std::nullopt, 0, false, 0, {}};
  Note without{2, "b", std::nullopt, std::nullopt, 0, false, 0, {}};
  auto insert = notes.insertMany(std::vector<Note>{withComment, without});
  EXPECT_EQ(insert.asSQL(),
            "INSERT INTO \"notes\" (\"id\", \"name\", \"comment\", \"ratio\", \"pinned\", \"count\", "
            "\"tags\") VALUES "
            "(1, 'a', 'c', 0.0, 0, 0, '[]'), (2, 'b', NULL, 0.0, 0, 0, '[]')");
  Note withParent{3, "c", std::nullopt, 9, 0, false, 0, {}};
  // An absent Int64 is never written, so these rows still differ and are refused.
  EXPECT_THROW(notes.insertMany(std::vector<Note>{withParent, without}), std::invalid_argument);
  EXPECT_EQ(notes.insertMany(std::vector<Note>{}).template_(), "INSERT INTO \"notes\" DEFAULT VALUES");
}

}  // namespace
}  // namespace sql
