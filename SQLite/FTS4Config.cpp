#include "SQLite/FTS4Config.h"

namespace sql {

std::optional<FTS4Config::MatchInfo> FTS4Config::matchInfo(std::string_view text) noexcept {
  if (text == "fts3") return MatchInfo::fts3;
  return std::nullopt;
}

std::optional<FTS4Config::Order> FTS4Config::order(std::string_view text) noexcept {
  if (text == "asc") return Order::asc;
  if (text == "desc") return Order::desc;
  return std::nullopt;
}

FTS4Config& FTS4Config::compress(std::string function) {
  compressFunction_ = std::move(function);
  return *this;
}

FTS4Config& FTS4Config::uncompress(std::string function) {
  uncompressFunction_ = std::move(function);
  return *this;
}

FTS4Config& FTS4Config::languageId(std::string column) {
  languageId_ = std::move(column);
  return *this;
}

FTS4Config& FTS4Config::matchInfo(MatchInfo matchInfo) {
  matchInfo_ = matchInfo;
  return *this;
}

FTS4Config& FTS4Config::order(Order order) {
  order_ = order;
  return *this;
}

std::vector<Expression<void>> FTS4Config::moduleArguments() const {
  auto arguments = FTSConfig::moduleArguments();
  for (const auto& column : columns_)
    if (!column.options.empty()) arguments.push_back(option("notindexed", column.expression));
  if (languageId_) arguments.push_back(quotedOption("languageid", *languageId_));
  if (compressFunction_) arguments.push_back(quotedOption("compress", *compressFunction_));
  if (uncompressFunction_) arguments.push_back(quotedOption("uncompress", *uncompressFunction_));
  if (matchInfo_) arguments.push_back(quotedOption("matchinfo", "fts3"));
  if (order_) arguments.push_back(quotedOption("order", *order_ == Order::asc ? "asc" : "desc"));
  return arguments;
}

}  // namespace sql
