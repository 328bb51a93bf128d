#pragma once

#include "SQLite/FTSConfig.h"

#include <cstdint>
#include <optional>

namespace sql {

// The configuration of an fts5 table. An unindexed column is written once, followed by
// UNINDEXED. A tokenizer with arguments is written in the form version 5 reads (one quoted
// text), since the version 4 form is refused by this module.
class FTS5Config : public FTSConfigBuilder<FTS5Config> {
 public:
  enum class Detail { full, column, none };
  static std::optional<Detail> detail(std::string_view rawText) noexcept;

  template <Expressible E>
  FTS5Config& contentRowId(const E& column) {
    contentRowId_ = column.expression();
    return *this;
  }
  FTS5Config& columnSize(std::int64_t size);
  FTS5Config& detail(Detail detail);

  std::vector<Expression<void>> columnArguments() const override;
  std::vector<Expression<void>> moduleArguments() const override;

 protected:
  std::string tokenizerText(const Tokenizer& tokenizer) const override { return tokenizer.fts5Text(); }

 private:
  std::optional<Expression<void>> contentRowId_;
  std::optional<std::int64_t> columnSize_;
  std::optional<Detail> detail_;
};

}  // namespace sql
