#include "SQLite/Query/QueryClauses.h"

#include <array>
#include <utility>

namespace sql {

namespace {

template <class E, std::size_t N>
std::optional<E> fromRawText(const std::array<std::string_view, N>& texts, std::string_view text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (texts[i] == text) return static_cast<E>(i);
  }
  return std::nullopt;
}

constexpr std::array<std::string_view, 3> joinTexts{"CROSS", "INNER", "LEFT OUTER"};
constexpr std::array<std::string_view, 5> conflictTexts{"REPLACE", "ROLLBACK", "ABORT", "FAIL", "IGNORE"};
constexpr std::array<std::string_view, 2> hintTexts{"MATERIALIZED", "NOT MATERIALIZED"};

}  // namespace

std::string_view rawText(JoinType type) { return joinTexts[static_cast<std::size_t>(type)]; }
std::string_view rawText(OnConflict resolution) {
  return conflictTexts[static_cast<std::size_t>(resolution)];
}
std::string_view rawText(MaterializationHint hint) { return hintTexts[static_cast<std::size_t>(hint)]; }

std::optional<JoinType> joinTypeFromRawText(std::string_view text) {
  return fromRawText<JoinType>(joinTexts, text);
}
std::optional<OnConflict> onConflictFromRawText(std::string_view text) {
  return fromRawText<OnConflict>(conflictTexts, text);
}
std::optional<MaterializationHint> materializationHintFromRawText(std::string_view text) {
  return fromRawText<MaterializationHint>(hintTexts, text);
}

QueryClauses::QueryClauses(std::string name, std::optional<std::string> database)
    : select{false, {Expression<void>::literal("*")}},
      from{std::move(name), std::nullopt, std::move(database)} {}

}  // namespace sql
