// Feeds arbitrary identifiers and values to quoting and literal rendering, and checks that
// every produced statement either is rejected by the engine with an error or, when it runs,
// does exactly what it says: the quoted name comes back as the same name, the literal as the
// same value, and no other object appears in the database.

#include "SQLite/Blob.h"
#include "SQLite/Connection.h"
#include "SQLite/Query/Expression.h"
#include "SQLite/Quote.h"
#include "SQLite/Result.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool holdsNul(const std::string& text) { return text.find('\0') != std::string::npos; }

void require(bool condition) {
  if (!condition) std::abort();
}

// SELECT 'value' AS "name": runs exactly when neither holds a NUL (which cuts the text short
// inside a quote), and then gives back the value under the name.
void checkAliasedLiteral(sql::Connection& db, const std::string& name, const std::string& value) {
  const std::string text = "SELECT " + sql::quote(value, '\'') + " AS " + sql::quote(name);
  try {
    auto statement = db.prepare(text);
    require(!holdsNul(name) && !holdsNul(value));
    require(statement->columnNames() == std::vector<std::string>{name});
    require(statement->scalar() == sql::Binding(value));
  } catch (const sql::Result&) {
    require(holdsNul(name) || holdsNul(value));
  }
}

// CREATE TABLE "name" ("name"): when it runs, the schema holds that one table and nothing else.
// An identifier rendered with its literals in stays the same identifier: a "?" inside it is
// part of the name, not a place for a value.
void checkRenderedIdentifier(const std::string& name) {
  require(sql::Expression<void>(name).asSQL() == sql::quote(name));
}

void checkCreatedTable(sql::Connection& db, const std::string& name) {
  const std::string text = "CREATE TABLE " + sql::quote(name) + " (" + sql::quote(name) + ")";
  try {
    db.execute(text);
  } catch (const sql::Result&) {
    require(db.scalar("SELECT count(*) FROM sqlite_schema") == sql::Binding(std::int64_t{0}));
    return;
  }
  require(!holdsNul(name));
  require(db.prepare("SELECT name FROM sqlite_schema")->allRows() ==
          std::vector<sql::Bindings>{{sql::Binding(name)}});
}

void checkBlobLiteral(sql::Connection& db, const sql::Blob& blob) {
  require(db.scalar("SELECT " + blob.description()) == sql::Binding(blob));
}

// A value written in as a literal reads back as the same value, or is refused (a double that
// is not finite has no literal).
void checkValueLiteral(sql::Connection& db, const sql::Binding& value) {
  try {
    require(db.scalar("SELECT " + sql::literalOf(value)) == value);
  } catch (const sql::Result&) {
    const auto* number = std::get_if<double>(&value);
    require(number && !std::isfinite(*number));
  }
}

// A double's literal is its shortest round-trip text, which a correctly rounded reader turns
// back into the very same double. SQLite 3.40's own text-to-double conversion is not correctly
// rounded for every such text (it reads -1.797693027945259e+308 one unit in the last place
// off), and no text of ours can change that. So the text must read back exactly through the C
// library, and the engine must run the literal to the double it reads from that same text
// when the text is handed to it as a bound value: then the literal carries what was bound.
void checkDoubleLiteral(sql::Connection& db, double value) {
  if (!std::isfinite(value)) {
    checkValueLiteral(db, sql::Binding(value));
    return;
  }
  const std::string text = sql::literalOf(sql::Binding(value));
  require(std::strtod(text.c_str(), nullptr) == value);
  const auto engineReading = db.scalar("SELECT CAST(? AS REAL)", sql::Bindings{sql::Binding(text)});
  require(engineReading.has_value() && std::holds_alternative<double>(*engineReading));
  require(db.scalar("SELECT " + text) == engineReading);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRandomLengthString(64);
  const auto integer = input.ConsumeIntegral<std::int64_t>();
  const auto real = input.ConsumeFloatingPoint<double>();
  const auto bytes = input.ConsumeRemainingBytes<std::uint8_t>();
  auto db = sql::Connection::open(sql::Location::inMemory());
  checkAliasedLiteral(*db, name, value);
  checkRenderedIdentifier(name);
  checkBlobLiteral(*db, sql::Blob(bytes));
  checkValueLiteral(*db, sql::Binding(integer));
  checkDoubleLiteral(*db, real);
  if (!holdsNul(value)) checkValueLiteral(*db, sql::Binding(value));
  checkCreatedTable(*db, name);
  return 0;
}
