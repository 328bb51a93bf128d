// The connection's attach and detach, pragma accessors and checks.

#include "SQLite/Connection.h"
#include "SQLite/FatalError.h"
#include "SQLite/Quote.h"
#include "SQLite/Result.h"

#include <charconv>
#include <climits>

namespace sql {
namespace {

// A decimal 64-bit integer: an optional sign, then at least one digit, nothing else.
std::optional<std::int64_t> decimal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "3.43.2" as three numbers; anything else gives the zero version.
SQLiteVersion parseVersion(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (int splits = 0; splits < 3; ++splits) {
    const auto dot = text.find('.', start);
    if (dot == std::string_view::npos) break;
    pieces.push_back(text.substr(start, dot - start));
    start = dot + 1;
  }
  pieces.push_back(text.substr(start));
  std::erase_if(pieces, [](std::string_view piece) { return piece.empty(); });
  if (pieces.size() != 3) return {};
  const auto major = decimal(pieces[0]), minor = decimal(pieces[1]), point = decimal(pieces[2]);
  if (!major || !minor || !point) return {};
  return {*major, *minor, *point};
}

// The value when it is present and of type T.
template <class T>
std::optional<T> holding(const std::optional<Binding>& value) {
  if (!value) return std::nullopt;
  if (const auto* held = std::get_if<T>(&*value)) return *held;
  return std::nullopt;
}

std::string withTable(std::string pragma, const std::optional<std::string>& table) {
  if (table) pragma += "(" + quote(*table) + ")";
  return pragma;
}

}  // namespace

void Connection::attach(const Location& location, const std::string& schemaName) {
  run("ATTACH DATABASE ? AS ?", {location.description(), schemaName});
}

void Connection::detach(const std::string& schemaName) { run("DETACH DATABASE ?", {schemaName}); }

std::optional<std::int32_t> Connection::userVersion() {
  try {
    const auto version = holding<std::int64_t>(scalar("PRAGMA user_version"));
    if (!version) return std::nullopt;
    return static_cast<std::int32_t>(*version);
  } catch (const Result&) {
    return std::nullopt;
  }
}

void Connection::setUserVersion(std::optional<std::int32_t> version) {
  try {
    run("PRAGMA user_version = " + std::to_string(version.value_or(0)));
  } catch (const Result&) {
  }
}

SQLiteVersion Connection::sqliteVersion() {
  try {
    const auto text = holding<std::string>(scalar("SELECT sqlite_version()"));
    return text ? parseVersion(*text) : SQLiteVersion{};
  } catch (const Result&) {
    return {};
  }
}

bool Connection::readSwitch(const std::string& pragma) {
  try {
    const auto value = holding<std::int64_t>(scalar("PRAGMA " + pragma));
    return value && *value == 1;
  } catch (const Result&) {
    return false;
  }
}

void Connection::writeSwitch(const std::string& pragma, bool on) {
  try {
    run("PRAGMA " + pragma + " = " + (on ? "1" : "0"));
  } catch (const Result&) {
  }
}

bool Connection::foreignKeys() { return readSwitch("foreign_keys"); }
void Connection::setForeignKeys(bool on) { writeSwitch("foreign_keys", on); }
bool Connection::deferForeignKeys() { return readSwitch("defer_foreign_keys"); }
void Connection::setDeferForeignKeys(bool on) { writeSwitch("defer_foreign_keys", on); }

std::vector<ForeignKeyError> Connection::foreignKeyCheck(const std::optional<std::string>& table) {
  std::vector<ForeignKeyError> violations;
  const auto statement = prepare(withTable("PRAGMA foreign_key_check", table));
  for (const auto& row : *statement) {
    const auto from = holding<std::string>(row[0]);
    const auto to = holding<std::string>(row[2]);
    const auto rowId = holding<std::int64_t>(row[1]);
    // A table without row ids reports its violations with a NULL row id.
    if (!from || !to || (row[1] && !rowId)) continue;
    violations.push_back({*from, rowId, *to});
  }
  return violations;
}

std::vector<std::string> Connection::integrityCheck(const std::optional<std::string>& table) {
  if (table && sqliteVersion() < SQLiteVersion{3, 33, 0})
    fatalError("checking the integrity of one table needs SQLite 3.33.0 or later");
  std::vector<std::string> problems;
  const auto statement = prepare(withTable("PRAGMA integrity_check", table));
  for (const auto& row : *statement) {
    const auto message = holding<std::string>(row[0]);
    if (message && *message != "ok") problems.push_back(*message);
  }
  return problems;
}

}  // namespace sql
