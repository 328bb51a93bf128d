#include "SQLite/SchemaReader.h"

#include "SQLite/Connection.h"
#include "SQLite/FatalError.h"
#include "SQLite/Quote.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <regex>

namespace sql {
namespace {

// The rows of one statement, read by column name.
class NamedRows {
 public:
  explicit NamedRows(std::shared_ptr<Statement> statement) : statement_(std::move(statement)) {}

  template <class Each>
  void forEach(Each&& each) {
    for (const auto& row : *statement_) {
      row_ = &row;
      each(*this);
    }
  }

  std::optional<Binding> value(const std::string& column) const {
    const auto& map = statement_->columnNameMap();
    const auto found = map.find(quote(column));
    if (found == map.end()) return std::nullopt;
    return (*row_)[static_cast<std::size_t>(found->second)];
  }
  std::optional<std::string> text(const std::string& column) const { return held<std::string>(column); }
  std::int64_t integer(const std::string& column) const { return held<std::int64_t>(column).value_or(0); }

 private:
  template <class T>
  std::optional<T> held(const std::string& column) const {
    const auto stored = value(column);
    if (!stored) return std::nullopt;
    if (const auto* held = std::get_if<T>(&*stored)) return *held;
    return std::nullopt;
  }

  std::shared_ptr<Statement> statement_;
  const Bindings* row_ = nullptr;
};

std::string upperCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

bool isBinary(const char* collation) {
  std::string upper = collation;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  return upper == "BINARY";
}

std::optional<std::string> actionOf(const std::optional<std::string>& action) {
  if (!action || *action == "NO ACTION") return std::nullopt;
  return action;
}

}  // namespace

std::vector<ObjectDefinition> SchemaReader::objectDefinitions(
    const std::optional<std::string>& name, std::optional<ObjectDefinition::ObjectType> type, bool temp) {
  const bool modern = connection_->sqliteVersion() >= SQLiteVersion{3, 33, 0};
  std::string text = "SELECT * FROM ";
  if (modern)
    text += quote(temp ? "temp" : "main") + "." + quote("sqlite_schema");
  else
    text += quote(temp ? "sqlite_temp_master" : "sqlite_master");
  Bindings values;
  std::string condition;
  if (name) {
    condition = "(" + quote("name") + " = ?)";
    values.emplace_back(*name);
  }
  if (type) {
    const std::string typeCondition = "(" + quote("type") + " = ?)";
    condition = condition.empty() ? typeCondition : "(" + condition + " AND " + typeCondition + ")";
    values.emplace_back(std::string(ObjectDefinition::rawText(*type)));
  }
  if (!condition.empty()) text += " WHERE " + condition;

  std::vector<ObjectDefinition> objects;
  NamedRows rows(connection_->prepare(text, values));
  rows.forEach([&](const NamedRows& row) {
    const auto objectType = ObjectDefinition::objectType(row.text("type").value_or(""));
    if (!objectType) fatalError("unexpected type");
    objects.push_back({*objectType, row.text("name").value_or(""), row.text("tbl_name").value_or(""),
                       row.integer("rootpage"), row.text("sql")});
  });
  return objects;
}

std::optional<std::string> SchemaReader::tableSQL(const std::string& name) {
  for (bool temp : {false, true}) {
    for (const auto& object : objectDefinitions(name, ObjectDefinition::ObjectType::table, temp))
      if (object.sql) return object.sql;
  }
  return std::nullopt;
}

std::optional<std::string> SchemaReader::indexSQL(const std::string& name) {
  for (const auto& object : objectDefinitions(name, ObjectDefinition::ObjectType::index, false))
    if (object.sql) return object.sql;
  return std::nullopt;
}

std::vector<ColumnDefinition::ForeignKey> SchemaReader::foreignKeys(const std::string& table) {
  std::vector<ColumnDefinition::ForeignKey> keys;
  NamedRows rows(connection_->prepare("PRAGMA foreign_key_list(" + quote(table) + ")"));
  rows.forEach([&](const NamedRows& row) {
    keys.push_back({row.text("table").value_or(""), row.text("from").value_or(""), row.text("to"),
                    actionOf(row.text("on_update")), actionOf(row.text("on_delete"))});
  });
  return keys;
}

// The options of the first PRIMARY KEY in the stored text, in whatever letter case it was
// written.
std::optional<ColumnDefinition::PrimaryKey> SchemaReader::primaryKeyOf(const std::string& table) {
  static const std::regex pattern(
      "PRIMARY KEY\\s*(?:ASC|DESC)?\\s*(?:ON CONFLICT (\\w+)?)?\\s*(AUTOINCREMENT)?", std::regex::icase);
  const auto stored = tableSQL(table);
  std::smatch match;
  if (!stored || !std::regex_search(*stored, match, pattern)) return std::nullopt;
  ColumnDefinition::PrimaryKey key;
  key.autoIncrement = match[2].matched;
  if (match[1].matched) key.onConflict = ColumnDefinition::onConflict(upperCased(match[1].str()));
  return key;
}

std::vector<ColumnDefinition> SchemaReader::columnDefinitions(const std::string& table) {
  const auto keys = foreignKeys(table);
  std::vector<ColumnDefinition> columns;
  NamedRows rows(connection_->prepare("PRAGMA table_info(" + quote(table) + ")"));
  rows.forEach([&](const NamedRows& row) {
    ColumnDefinition column;
    column.name = row.text("name").value_or("");
    if (row.integer("pk") >= 1) column.primaryKey = primaryKeyOf(table);
    const auto declared = row.text("type").value_or("");
    if (!declared.empty()) column.type = ColumnDefinition::affinityOf(declared);
    column.nullable = row.integer("notnull") == 0;
    column.defaultValue = LiteralValue::fromSQLText(row.text("dflt_value"));
    const auto key =
        std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.column == column.name; });
    if (key != keys.end()) column.references = *key;
    column.collation = collationOf(table, column.name);
    columns.push_back(std::move(column));
  });
  return columns;
}

// The table pragmas do not report collations; the engine's column metadata does.
std::optional<std::string> SchemaReader::collationOf(const std::string& table, const std::string& column) {
  const char* collation = nullptr;
  const int code =
      sqlite3_table_column_metadata(connection_->handle(), nullptr, table.c_str(), column.c_str(), nullptr,
                                    &collation, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK || !collation || isBinary(collation)) return std::nullopt;
  return std::string(collation);
}

std::vector<std::string> SchemaReader::indexColumnNames(const std::string& name) {
  std::vector<std::string> names;
  NamedRows rows(connection_->prepare("PRAGMA index_info(" + quote(name) + ")"));
  rows.forEach([&](const NamedRows& row) {
    if (auto column = row.text("name")) names.push_back(*column);
  });
  return names;
}

std::vector<std::vector<std::string>> SchemaReader::uniqueConstraints(const std::string& table) {
  std::vector<std::string> names;
  NamedRows rows(connection_->prepare("PRAGMA index_list(" + quote(table) + ")"));
  rows.forEach([&](const NamedRows& row) {
    if (row.text("origin") == "u") names.push_back(row.text("name").value_or(""));
  });
  std::vector<std::vector<std::string>> constraints;
  for (const auto& name : names) constraints.push_back(indexColumnNames(name));
  return constraints;
}

std::vector<IndexDefinition> SchemaReader::indexDefinitions(const std::string& table) {
  std::vector<IndexDefinition> indexes;
  NamedRows rows(connection_->prepare("PRAGMA index_list(" + quote(table) + ")"));
  std::vector<std::pair<std::string, bool>> listed;
  rows.forEach([&](const NamedRows& row) {
    const auto name = row.text("name").value_or("");
    if (!name.starts_with("sqlite_")) listed.emplace_back(name, row.integer("unique") == 1);
  });
  for (const auto& [name, unique] : listed) {
    IndexDefinition index{table, name, unique, indexColumnNames(name), std::nullopt, std::nullopt};
    if (const auto stored = indexSQL(name)) {
      index.where = IndexDefinition::whereOf(*stored);
      index.orders = IndexDefinition::ordersOf(*stored);
    }
    indexes.push_back(std::move(index));
  }
  return indexes;
}

}  // namespace sql
