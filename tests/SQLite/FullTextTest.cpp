#include "SQLite/Connection.h"
#include "SQLite/FullTextMatch.h"
#include "SQLite/Query/Table.h"
#include "SQLite/Result.h"
#include "SQLite/VirtualTableModules.h"
#include "tests/support/Thrown.h"

#include <gtest/gtest.h>

namespace {

using sql::Binding;
using sql::Expression;
using sql::FTS4Config;
using sql::FTS5Config;
using sql::Int64;
using sql::Tokenizer;
using sql::VirtualTable;

const Expression<std::string> title("title");
const Expression<std::string> body("body");

std::vector<std::string> texts(const std::vector<Expression<void>>& arguments) {
  std::vector<std::string> rendered;
  for (const auto& argument : arguments) rendered.push_back(argument.asSQL());
  return rendered;
}

class FullTextTest : public ::testing::Test {
 protected:
  // Creates the table and gives back how many rows `pattern` finds after inserting `rows`.
  Int64 found(const std::string& createText, const std::vector<std::string>& rows,
              const VirtualTable& query) {
    db->execute(createText);
    for (const auto& row : rows) db->run("INSERT INTO docs (title) VALUES (?)", {row});
    const auto compiled = query.expression();
    return std::get<Int64>(
        *db->scalar("SELECT count(*) FROM (" + compiled.template_() + ")", compiled.bindings()));
  }
  std::shared_ptr<sql::Connection> db = sql::Connection::open(sql::Location::inMemory());
  VirtualTable docs{"docs"};
};

TEST(Tokenizer, TextForms) {
  EXPECT_EQ(Tokenizer::simple().description(), "simple");
  EXPECT_EQ(Tokenizer::porter().description(), "porter");
  EXPECT_EQ(Tokenizer::unicode61(false).description(), "unicode61 \"remove_diacritics=0\"");
  EXPECT_EQ(Tokenizer::unicode61(true, "-_", "x\"").description(),
            "unicode61 \"remove_diacritics=1\" \"tokenchars=-_\" \"separators=x\"\"\"");
  EXPECT_EQ(Tokenizer::unicode61().description(), "unicode61");
  EXPECT_EQ(Tokenizer::trigram(true).description(), "trigram case_sensitive 1");
  EXPECT_EQ(Tokenizer::custom("mine").description(), "\"Brenquavorel\" \"mine\"");
  EXPECT_EQ(Tokenizer::porter().fts5Text(), "porter");
  EXPECT_EQ(Tokenizer::unicode61(false).fts5Text(), "'''unicode61'' ''remove_diacritics'' ''0'''");
  EXPECT_EQ(Tokenizer::trigram(false).fts5Text(), "'''trigram'' ''case_sensitive'' ''0'''");
}

TEST(FTSConfig, FTS4ArgumentsInOrder) {
  FTS4Config config;
  config.columns(title, body).tokenizer(Tokenizer::porter());
  EXPECT_EQ(texts(config.moduleArguments()),
            (std::vector<std::string>{"\"title\"", "\"body\"", "tokenize=porter"}));
  EXPECT_EQ(sql::modules::fts4(Tokenizer::porter(), title, body).expression().asSQL(),
            "fts4(\"title\", \"body\", tokenize=porter)");

  FTS4Config full;
  full.column(title)
      .column(body, {FTS4Config::ColumnOption::unindexed})
      .prefix({3, 2})
      .languageId("lid")
      .compress("zip")
      .uncompress("unzip")
      .matchInfo(FTS4Config::MatchInfo::fts3)
      .order(FTS4Config::Order::desc)
      .tokenizer(Tokenizer::unicode61(false));
  EXPECT_EQ(texts(full.moduleArguments()),
            (std::vector<std::string>{"\"title\"", "\"body\"", "tokenize=unicode61 \"remove_diacritics=0\"",
                                      "prefix=\"2,3\"", "notindexed=\"body\"", "languageid=\"lid\"",
                                      "compress=\"zip\"", "uncompress=\"unzip\"", "matchinfo=\"fts3\"",
                                      "order=\"desc\""}));
  EXPECT_EQ(FTS4Config::order("asc"), FTS4Config::Order::asc);
  EXPECT_FALSE(FTS4Config::matchInfo("fts4"));
}

TEST(FTSConfig, ContentSources) {
  FTS4Config external;
  external.column(title).externalContent(sql::Table("posts", "main"));
  EXPECT_EQ(texts(external.moduleArguments()).back(), "content=\"main\".\"posts\"");
  FTS4Config both;
  both.column(title).externalContent(sql::Table("posts")).contentless();
  EXPECT_EQ(texts(both.moduleArguments()), (std::vector<std::string>{"\"title\"", "content=\"\""}));
}

TEST(FTSConfig, FTS5ArgumentsInOrder) {
  FTS5Config config;
  config.column(title)
      .column(body, {FTS5Config::ColumnOption::unindexed})
      .contentRowId(Expression<Int64>("id"))
      .columnSize(0)
      .detail(FTS5Config::Detail::none);
  EXPECT_EQ(texts(config.moduleArguments()),
            (std::vector<std::string>{"\"title\"", "\"body\" UNINDEXED", "content_rowid=\"id\"",
                                      "columnsize=0", "detail=\"none\""}));
  EXPECT_EQ(FTS5Config::detail("column"), FTS5Config::Detail::column);
  EXPECT_FALSE(FTS5Config::detail("Full"));
}

TEST(FTSConfig, RTreeArguments) {
  const Expression<Int64> id("id");
  const Expression<double> minX("minX"), maxX("maxX"), minY("minY"), maxY("maxY");
  EXPECT_EQ(
      sql::modules::rtree(
          id, std::vector<std::pair<Expression<double>, Expression<double>>>{{minX, maxX}, {minY, maxY}})
          .expression()
          .asSQL(),
      "rtree(\"id\", \"minX\", \"maxX\", \"minY\", \"maxY\")");
}

TEST_F(FullTextTest, EveryFTS4ConfigurationIsAcceptedByTheEngine) {
  FTS4Config config;
  config.column(title)
      .column(body, {FTS4Config::ColumnOption::unindexed})
      .prefix({2, 3})
      .tokenizer(Tokenizer::unicode61(true, "-", "'"))
      .languageId("lid")
      .matchInfo(FTS4Config::MatchInfo::fts3)
      .order(FTS4Config::Order::desc);
  EXPECT_EQ(found(docs.create(sql::modules::fts4(config)), {"well-known fact", "other"},
                  sql::match(docs, "well-known")),
            1);
}

TEST_F(FullTextTest, EveryFTS5TokenizerIsAcceptedByTheEngine) {
  // Each tokenizer is told apart by what its options make of one stored title.
  const struct {
    Tokenizer tokenizer;
    std::string storedTitle;
    std::vector<std::pair<std::string, Int64>> found;  // a MATCH pattern and its row count
  } cases[] = {
      {Tokenizer::porter(), "running fast", {{"run", 1}, {"fas", 0}}},
      {Tokenizer::unicode61(false, "-'", "x"),
       "well-known taxis caf\u00e9",
       {{"\"well-known\"", 1}, {"known", 0}, {"ta", 1}, {"cafe", 0}}},
      {Tokenizer::trigram(false), "Hello World", {{"\"LLO W\"", 1}, {"\"low\"", 0}}},
      {Tokenizer::trigram(true), "Hello World", {{"\"LLO W\"", 0}, {"\"llo W\"", 1}}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tokenizer.fts5Text());
    FTS5Config config;
    config.column(title)
        .column(body, {FTS5Config::ColumnOption::unindexed})
        .tokenizer(c.tokenizer)
        .prefix({2})
        .detail(FTS5Config::Detail::full)
        .columnSize(1);
    const std::string name = "docs" + std::to_string(n++);
    ASSERT_NO_THROW(db->execute(VirtualTable(name).create(sql::modules::fts5(config))));
    db->run("INSERT INTO " + name + " (title) VALUES (?)", {c.storedTitle});
    for (const auto& [pattern, rows] : c.found) {
      EXPECT_EQ(db->scalar("SELECT count(*) FROM " + name + " WHERE " + name + " MATCH ?", {pattern}),
                Binding(rows))
          << pattern;
    }
  }
}

TEST_F(FullTextTest, TheSimpleTokenizerExistsOnlyForFTS4AndFTS5SaysSo) {
  FTS5Config config;
  config.column(title).tokenizer(Tokenizer::simple());
  if (const auto error =
          testsupport::thrown<sql::Result>([&] { db->execute(docs.create(sql::modules::fts5(config))); })) {
    EXPECT_EQ(error->message(), "no such tokenizer: simple");
  }
}

TEST_F(FullTextTest, MatchConditionsBindTheirPattern) {
  const auto condition = sql::matchCondition(docs, "fox");
  EXPECT_EQ(condition.template_(), "(\"docs\" MATCH ?)");
  EXPECT_EQ(condition.bindings(), (sql::Bindings{Binding(std::string("fox"))}));
  EXPECT_EQ(sql::matchCondition(docs, title).template_(), "(\"docs\" MATCH \"title\")");
  EXPECT_EQ(sql::matchCondition(docs, Expression<std::optional<std::string>>("q")).template_(),
            "(\"docs\" MATCH \"q\")");
  EXPECT_EQ(sql::match(docs, "a").filter(Expression<bool>::literal("1")).expression().template_(),
            "SELECT * FROM \"docs\" WHERE ((\"docs\" MATCH ?) AND 1)");
}

TEST_F(FullTextTest, MatchWorksThroughAnAliasAndADatabaseName) {
  FTS5Config config;
  config.column(title);
  db->execute(docs.create(sql::modules::fts5(config)));
  db->run("INSERT INTO docs (title) VALUES ('quick fox')");
  const auto aliased = sql::match(docs.alias("d"), "fox");
  EXPECT_EQ(aliased.expression().template_(),
            "SELECT * FROM \"docs\" AS \"d\" WHERE (\"d\".\"docs\" MATCH ?)");
  const VirtualTable qualified("docs", "main");
  const auto inMain = sql::match(qualified, "fox");
  EXPECT_EQ(inMain.expression().template_(),
            "SELECT * FROM \"main\".\"docs\" WHERE (\"main\".\"docs\".\"docs\" MATCH ?)");
  for (const auto& query : {aliased, inMain}) {
    const auto compiled = query.expression();
    EXPECT_EQ(db->prepare(compiled.template_(), compiled.bindings())->allRows().size(), 1u);
  }
}

TEST_F(FullTextTest, AnRTreeTableAnswersRangeQueries) {
  const Expression<Int64> id("id");
  const Expression<double> minX("minX"), maxX("maxX");
  db->execute(VirtualTable("boxes").create(
      sql::modules::rtree(id, std::vector<std::pair<Expression<double>, Expression<double>>>{{minX, maxX}})));
  db->execute("INSERT INTO boxes VALUES (1, 0, 10), (2, 20, 30)");
  EXPECT_EQ(db->scalar("SELECT id FROM boxes WHERE minX <= 5 AND maxX >= 5"), Binding(Int64{1}));
}

}  // namespace
