#include "SQLite/FTS5Config.h"

namespace sql {
namespace {

std::string_view rawText(FTS5Config::Detail detail) {
  switch (detail) {
    case FTS5Config::Detail::full:
      return "full";
    case FTS5Config::Detail::column:
      return "column";
    case FTS5Config::Detail::none:
      return "none";
  }
  return {};
}

}  // namespace

std::optional<FTS5Config::Detail> FTS5Config::detail(std::string_view text) noexcept {
  for (auto each : {Detail::full, Detail::column, Detail::none})
    if (rawText(each) == text) return each;
  return std::nullopt;
}

FTS5Config& FTS5Config::columnSize(std::int64_t size) {
  columnSize_ = size;
  return *this;
}

FTS5Config& FTS5Config::detail(Detail detail) {
  detail_ = detail;
  return *this;
}

std::vector<Expression<void>> FTS5Config::columnArguments() const {
  std::vector<Expression<void>> arguments;
  for (const auto& column : columns_) {
    if (column.options.empty())
      arguments.push_back(column.expression);
    else
      arguments.push_back(join(" ", {column.expression, Expression<void>::literal("UNINDEXED")}));
  }
  return arguments;
}

std::vector<Expression<void>> FTS5Config::moduleArguments() const {
  auto arguments = FTSConfig::moduleArguments();
  if (contentRowId_) arguments.push_back(option("content_rowid", *contentRowId_));
  if (columnSize_)
    arguments.push_back(option("columnsize", Expression<void>("?", Bindings{Binding(*columnSize_)})));
  if (detail_) arguments.push_back(quotedOption("detail", rawText(*detail_)));
  return arguments;
}

}  // namespace sql
