#pragma once

#include "SQLite/FTSConfig.h"

#include <optional>
#include <string>

namespace sql {

// The configuration of an fts4 table. An unindexed column stays in the column list and is
// named again in a notindexed= option.
class FTS4Config : public FTSConfigBuilder<FTS4Config> {
 public:
  enum class MatchInfo { fts3 };
  enum class Order { asc, desc };
  static std::optional<MatchInfo> matchInfo(std::string_view rawText) noexcept;
  static std::optional<Order> order(std::string_view rawText) noexcept;

  FTS4Config& compress(std::string function);
  FTS4Config& uncompress(std::string function);
  FTS4Config& languageId(std::string column);
  FTS4Config& matchInfo(MatchInfo matchInfo);
  FTS4Config& order(Order order);

  std::vector<Expression<void>> moduleArguments() const override;

 private:
  std::optional<std::string> compressFunction_;
  std::optional<std::string> uncompressFunction_;
  std::optional<std::string> languageId_;
  std::optional<MatchInfo> matchInfo_;
  std::optional<Order> order_;
};

}  // namespace sql
