#include "SQLite/ColumnDefinition.h"

#include "SQLite/Quote.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace sql {
namespace {

constexpr std::array<std::string_view, 5> affinityTexts{"INTEGER", "NUMERIC", "REAL", "TEXT", "BLOB"};
constexpr std::array<std::string_view, 5> onConflictTexts{"ROLLBACK", "ABORT", "FAIL", "IGNORE", "REPLACE"};

// Keeps the present pieces and joins them with single blanks.
std::string joinPieces(const std::vector<std::optional<std::string>>& pieces) {
  std::string text;
  for (const auto& piece : pieces) {
    if (!piece) continue;
    if (!text.empty()) text += ' ';
    text += *piece;
  }
  return text;
}

std::string upperCased(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  return upper;
}

bool containsAny(const std::string& text, std::initializer_list<std::string_view> parts) {
  return std::any_of(parts.begin(), parts.end(),
                     [&](std::string_view part) { return text.find(part) != std::string::npos; });
}

std::string definition(const ColumnDefinition& column, bool withPrimaryKey) {
  return joinPieces({
      quote(column.name),
      column.type ? std::optional(std::string(ColumnDefinition::rawText(*column.type))) : std::nullopt,
      column.defaultValue.kind == LiteralValue::Kind::NULL_
          ? std::nullopt
          : std::optional("DEFAULT " + column.defaultValue.description()),
      withPrimaryKey && column.primaryKey ? std::optional(column.primaryKey->clauseSQL()) : std::nullopt,
      column.nullable ? std::nullopt : std::optional<std::string>("NOT NULL"),
      column.collation ? std::optional("COLLATE " + quote(*column.collation)) : std::nullopt,
      column.references ? std::optional(column.references->clauseSQL()) : std::nullopt,
  });
}

}  // namespace

std::string_view ColumnDefinition::rawText(Affinity affinity) noexcept {
  return affinityTexts[static_cast<std::size_t>(affinity)];
}

std::optional<ColumnDefinition::Affinity> ColumnDefinition::affinity(std::string_view text) noexcept {
  for (auto each : allAffinities)
    if (rawText(each) == text) return each;
  return std::nullopt;
}

ColumnDefinition::Affinity ColumnDefinition::affinityOf(std::string_view declaredType) {
  const auto upper = upperCased(declaredType);
  if (containsAny(upper, {"INT"})) return Affinity::INTEGER;
  if (containsAny(upper, {"CHAR", "CLOB", "TEXT"})) return Affinity::TEXT;
  if (containsAny(upper, {"BLOB"})) return Affinity::BLOB;
  if (containsAny(upper, {"REAL", "FLOA", "DOUB"})) return Affinity::REAL;
  return Affinity::NUMERIC;
}

std::string_view ColumnDefinition::rawText(OnConflict onConflict) noexcept {
  return onConflictTexts[static_cast<std::size_t>(onConflict)];
}

std::optional<ColumnDefinition::OnConflict> ColumnDefinition::onConflict(std::string_view text) noexcept {
  for (auto each : allOnConflicts)
    if (rawText(each) == text) return each;
  return std::nullopt;
}

std::string ColumnDefinition::PrimaryKey::clauseSQL() const {
  return joinPieces({
      "PRIMARY KEY",
      autoIncrement ? std::optional<std::string>("AUTOINCREMENT") : std::nullopt,
      onConflict ? std::optional("ON CONFLICT " + std::string(rawText(*onConflict))) : std::nullopt,
  });
}

std::string ColumnDefinition::ForeignKey::clauseSQL() const {
  return joinPieces({
      "REFERENCES",
      quote(table),
      primaryKey ? std::optional("(" + quote(*primaryKey) + ")") : std::nullopt,
      onUpdate ? std::optional("ON UPDATE " + *onUpdate) : std::nullopt,
      onDelete ? std::optional("ON DELETE " + *onDelete) : std::nullopt,
  });
}

std::string ColumnDefinition::definitionSQL() const { return definition(*this, true); }

std::string ColumnDefinition::definitionSQLWithoutPrimaryKey() const { return definition(*this, false); }

}  // namespace sql
