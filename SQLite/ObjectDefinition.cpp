#include "SQLite/ObjectDefinition.h"

#include <array>
#include <utility>

namespace sql {
namespace {

constexpr std::array<std::pair<ObjectDefinition::ObjectType, std::string_view>, 4> objectTypes{{
    {ObjectDefinition::ObjectType::table, "table"},
    {ObjectDefinition::ObjectType::index, "index"},
    {ObjectDefinition::ObjectType::view, "view"},
    {ObjectDefinition::ObjectType::trigger, "trigger"},
}};

}  // namespace

std::string_view ObjectDefinition::rawText(ObjectType type) noexcept {
  for (const auto& [entry, text] : objectTypes)
    if (entry == type) return text;
  return {};
}

std::optional<ObjectDefinition::ObjectType> ObjectDefinition::objectType(std::string_view text) noexcept {
  for (const auto& [entry, raw] : objectTypes)
    if (raw == text) return entry;
  return std::nullopt;
}

bool ObjectDefinition::isEngineInternal() const { return name.starts_with("sqlite_") || !sql; }

}  // namespace sql
