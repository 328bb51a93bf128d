#pragma once

#include "SQLite/Query/Expression.h"
#include "SQLite/Query/QueryClauses.h"
#include "SQLite/Query/QueryCompiler.h"
#include "SQLite/Tokenizer.h"

#include <optional>
#include <string_view>
#include <vector>

namespace sql {

// The configuration of a full-text-search table: its columns, tokenizer, prefix indexes and
// content source, turned into the module's argument list. FTS4Config and FTS5Config add the
// options of each module version.
class FTSConfig {
 public:
  enum class ColumnOption { unindexed };
  struct Column {
    Expression<void> expression;
    std::vector<ColumnOption> options;
  };

  virtual ~FTSConfig() = default;

  // The column part of the module arguments.
  virtual std::vector<Expression<void>> columnArguments() const;
  // Every module argument: the columns, then tokenize=, prefix= and content= as set.
  virtual std::vector<Expression<void>> moduleArguments() const;

  const std::vector<Column>& columnDefinitions() const noexcept { return columns_; }
  const std::optional<Tokenizer>& tokenizer() const noexcept { return tokenizer_; }
  const std::vector<int>& prefixes() const noexcept { return prefixes_; }
  bool isContentless() const noexcept { return contentless_; }

 protected:
  // key=value with no blanks, keeping the value's bindings.
  static Expression<void> option(std::string_view key, const Expression<void>& value);
  static Expression<void> quotedOption(std::string_view key, std::string_view value);
  // The tokenizer as this module version reads it.
  virtual std::string tokenizerText(const Tokenizer& tokenizer) const { return tokenizer.description(); }

  std::vector<Column> columns_;
  std::optional<Tokenizer> tokenizer_;
  std::vector<int> prefixes_;
  std::optional<Expression<void>> externalContent_;
  bool contentless_ = false;
};

// The setters shared by both versions; each changes the configuration and returns it.
template <class Self>
class FTSConfigBuilder : public FTSConfig {
 public:
  template <Expressible E>
  Self& column(const E& expression, std::vector<ColumnOption> options = {}) {
    columns_.push_back({expression.expression(), std::move(options)});
    return self();
  }
  template <Expressible... E>
  Self& columns(const E&... expressions) {
    (column(expressions), ...);
    return self();
  }
  Self& tokenizer(std::optional<Tokenizer> tokenizer) {
    tokenizer_ = std::move(tokenizer);
    return self();
  }
  Self& prefix(const std::vector<int>& prefixes) {
    prefixes_.insert(prefixes_.end(), prefixes.begin(), prefixes.end());
    return self();
  }
  // The table or view whose rows the index covers; written by its name, database-qualified.
  template <class Q>
  Self& externalContent(const Q& schema) {
    externalContent_ = compiler::tableName(schema.clauses().from, false);
    return self();
  }
  // An index without stored content; it wins over an external content table.
  Self& contentless() {
    contentless_ = true;
    return self();
  }

  using FTSConfig::tokenizer;

 private:
  Self& self() { return static_cast<Self&>(*this); }
};

}  // namespace sql
