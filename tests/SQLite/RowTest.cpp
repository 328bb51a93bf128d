#include "SQLite/Query/Row.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace sql {
namespace {

Row rowOf(ColumnNames names, Bindings values) {
  return Row(std::make_shared<const ColumnNames>(std::move(names)), std::move(values));
}

const Expression<Int64> id("id");
const Expression<std::optional<Int64>> maybeId("id");
const Expression<std::string> name("name");

TEST(RowTest, AnExactKeyIsFound) {
  auto row = rowOf({{"\"id\"", 0}, {"\"name\"", 1}}, {Binding{Int64{7}}, Binding{std::string("x")}});
  EXPECT_EQ(row.get(id), 7);
  EXPECT_EQ(row.get(name), "x");
  EXPECT_EQ(row.get(maybeId), std::optional<Int64>(7));
  EXPECT_EQ(row[name], "x");
}

TEST(RowTest, APlainColumnFindsTheOneQualifiedKey) {
  auto row = rowOf({{"\"jobs\".\"id\"", 0}, {"\"jobs\".\"name\"", 1}, {"\"conversations\".\"name\"", 2}},
                   {Binding{Int64{3}}, Binding{std::string("job")}, Binding{std::string("conversation")}});
  EXPECT_EQ(row.get(id), 3);
  EXPECT_EQ(row.get(Expression<std::string>("\"conversations\".\"name\"", {})), "conversation");
}

TEST(RowTest, TwoQualifiedKeysMakeTheColumnAmbiguous) {
  auto row = rowOf({{"\"jobs\".\"name\"", 0}, {"\"conversations\".\"name\"", 1}},
                   {Binding{std::string("a")}, Binding{std::string("b")}});
  if (const auto error = testsupport::thrown<QueryError>([&] { row.get(name); })) {
    EXPECT_EQ(error->kind(), QueryError::Kind::ambiguousColumn);
    EXPECT_EQ(error->columns(),
              (std::vector<std::string>{"\"conversations\".\"name\"", "\"jobs\".\"name\""}));
    EXPECT_EQ(error->description(),
              "Ambiguous column `\"name\"` (please disambiguate: [\"\\\"conversations\\\".\\\"name\\\"\", "
              "\"\\\"jobs\\\".\\\"name\\\"\"])");
  }
}

TEST(RowTest, AMissingColumnListsAllKeysSorted) {
  // "x""name" ends with the column's text, but not after a ".": it is another column.
  auto row =
      rowOf({{"\"z\"", 0}, {"\"a\"", 1}, {"\"x\"\"name\"", 2}}, {std::nullopt, std::nullopt, std::nullopt});
  if (const auto error = testsupport::thrown<QueryError>([&] { row.get(name); })) {
    EXPECT_EQ(error->kind(), QueryError::Kind::noSuchColumn);
    EXPECT_EQ(error->columns(), (std::vector<std::string>{"\"a\"", "\"x\"\"name\"", "\"z\""}));
    EXPECT_EQ(
        error->description(),
        "No such column `\"name\"` in columns [\"\\\"a\\\"\", \"\\\"x\\\"\\\"name\\\"\", \"\\\"z\\\"\"]");
  }
  if (const auto error = testsupport::thrown<QueryError>([&] { rowOf({}, {}).get(name); })) {
    EXPECT_EQ(error->description(), "No such column `\"name\"` in columns []");
  }
}

TEST(RowTest, NullReadsAbsentOrRaisesForARequiredColumn) {
  auto row = rowOf({{"\"id\"", 0}}, {std::nullopt});
  EXPECT_EQ(row.get(maybeId), std::nullopt);
  if (const auto error = testsupport::thrown<QueryError>([&] { row.get(id); })) {
    EXPECT_EQ(error->kind(), QueryError::Kind::unexpectedNullValue);
    EXPECT_EQ(error->description(), "Unexpected null value for column `\"id\"`");
  }
}

TEST(RowTest, AValueOfAnotherStorageTypeIsATypeErrorNotANull) {
  auto row = rowOf({{"\"name\"", 0}, {"\"id\"", 1}}, {Binding{Int64{5}}, Binding{std::string("5")}});
  if (const auto error = testsupport::thrown<ColumnTypeError>([&] { row.get(name); })) {
    EXPECT_EQ(error->column(), "\"name\"");
    EXPECT_EQ(error->expected(), "TEXT");
    EXPECT_EQ(error->found(), "INTEGER");
    EXPECT_STREQ(error->what(), "Column `\"name\"` holds INTEGER data where TEXT was expected");
  }
  EXPECT_THROW(row.get(maybeId), ColumnTypeError);
}

// Keys are compared word by word, the last word overlapping, and the shortest byte by byte: a
// key that differs from another of the same size in any one byte is told apart at every size.
TEST(RowTest, KeysOfOneSizeDifferingInOneByteAreToldApart) {
  for (std::size_t size = 1; size <= 40; ++size) {
    const std::string key(size, 'k');
    for (std::size_t at = 0; at < size; ++at) {
      std::string other = key;
      other[at] = 'o';
      std::string missing = key;
      missing[at] = 'm';
      auto row = rowOf({{key, 0}, {other, 1}}, {Binding{Int64{0}}, Binding{Int64{1}}});
      EXPECT_EQ(row.position(key), 0) << "size " << size << ", byte " << at;
      EXPECT_EQ(row.position(other), 1) << "size " << size << ", byte " << at;
      EXPECT_THROW(row.position(missing), QueryError) << "size " << size << ", byte " << at;
    }
  }
}

}  // namespace
}  // namespace sql
