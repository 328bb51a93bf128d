#include "SQLite/SchemaChanger.h"

#include "SQLite/Connection.h"
#include "SQLite/FatalError.h"
#include "SQLite/IndexDefinition.h"
#include "SQLite/Quote.h"
#include "SQLite/SchemaSQL.h"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>

namespace sql {
namespace {

bool isCurrentTimeKeyword(const LiteralValue& value) {
  return value.kind == LiteralValue::Kind::CURRENT_TIME || value.kind == LiteralValue::Kind::CURRENT_DATE ||
         value.kind == LiteralValue::Kind::CURRENT_TIMESTAMP;
}

}  // namespace

// A table as it is copied: its name, columns, indexes and UNIQUE constraints.
struct SchemaChanger::TableDefinition {
  std::string name;
  std::vector<ColumnDefinition> columns;
  std::vector<IndexDefinition> indexes;
  std::vector<std::vector<std::string>> unique;

  TableDefinition apply(const std::optional<Operation>& operation) const {
    if (!operation) return *this;
    TableDefinition changed = *this;
    switch (operation->kind) {
      case Operation::Kind::addColumn:
        fatalError("Use 'ALTER TABLE ADD COLUMN (...)'");
      case Operation::Kind::dropColumn:
        std::erase_if(changed.columns, [&](const auto& column) { return column.name == operation->name; });
        std::erase_if(changed.indexes, [&](const auto& index) {
          return std::find(index.columns.begin(), index.columns.end(), operation->name) !=
                 index.columns.end();
        });
        std::erase_if(changed.unique, [&](const auto& names) {
          return std::find(names.begin(), names.end(), operation->name) != names.end();
        });
        break;
      case Operation::Kind::renameColumn:
        for (auto& column : changed.columns)
          if (column.name == operation->name) column.name = operation->newName;
        for (auto& index : changed.indexes)
          std::replace(index.columns.begin(), index.columns.end(), operation->name, operation->newName);
        for (auto& names : changed.unique)
          std::replace(names.begin(), names.end(), operation->name, operation->newName);
        break;
      case Operation::Kind::renameTable:
        changed.name = operation->name;
        for (auto& index : changed.indexes) index.table = operation->name;
        break;
    }
    return changed;
  }
};

SchemaChanger::Error SchemaChanger::Error::invalidColumnDefinition(std::string message) {
  return Error(Kind::invalidColumnDefinition, {}, "Invalid column definition: " + message);
}

SchemaChanger::Error SchemaChanger::Error::foreignKeyError(std::vector<ForeignKeyError> violations) {
  std::string text = "Foreign key errors: [";
  for (std::size_t i = 0; i < violations.size(); ++i)
    text += (i > 0 ? ", " : "") + violations[i].description();
  return Error(Kind::foreignKeyError, std::move(violations), text + "]");
}

std::optional<std::string> SchemaChanger::Operation::nativeSQL(const std::string& table,
                                                               const SQLiteVersion& version) const {
  const std::string alter = "ALTER TABLE " + quote(table);
  switch (kind) {
    case Kind::addColumn:
      return alter + " ADD COLUMN " + column.definitionSQL();
    case Kind::dropColumn:
      if (version >= SQLiteVersion{3, 35, 0}) return alter + " DROP COLUMN " + quote(name);
      return std::nullopt;
    case Kind::renameColumn:
      if (version >= SQLiteVersion{3, 25, 0})
        return alter + " RENAME COLUMN " + quote(name) + " TO " + quote(newName);
      return std::nullopt;
    case Kind::renameTable:
      return std::nullopt;
  }
  return std::nullopt;
}

SchemaChanger::SchemaChanger(std::shared_ptr<Connection> connection)
    : SchemaChanger(connection, connection->sqliteVersion()) {}

SchemaChanger::SchemaChanger(std::shared_ptr<Connection> connection, SQLiteVersion version)
    : connection_(std::move(connection)), schemaReader_(connection_), version_(version) {}

std::string SchemaChanger::description() const {
  return "SQLiteSchemaChanger: " + connection_->description();
}

void SchemaChanger::run(const std::string& sql) { connection_->prepare(sql)->run(); }

void SchemaChanger::drop(const std::string& table, bool ifExists) {
  run(std::string("DROP TABLE ") + (ifExists ? "IF EXISTS" : "") + " " + quote(table));
}

void SchemaChanger::rename(const std::string& table, const std::string& to) {
  run("ALTER TABLE " + quote(table) + " RENAME TO " + quote(to));
}

void SchemaChanger::validate(const ColumnDefinition& column) const {
  if (column.primaryKey) throw Error::invalidColumnDefinition("can not add primary key column");
  if (isCurrentTimeKeyword(column.defaultValue))
    throw Error::invalidColumnDefinition("Invalid default value");
  if (!column.nullable && column.defaultValue.kind == LiteralValue::Kind::NULL_)
    throw Error::invalidColumnDefinition("NOT NULL columns must have a default value other than NULL");
}

void SchemaChanger::alter(const std::string& table, const std::function<void(AlterTableDefinition&)>& block) {
  AlterTableDefinition definition(table);
  block(definition);
  for (const auto& operation : definition.operations()) {
    if (operation.kind == Operation::Kind::addColumn) validate(operation.column);
    if (const auto native = operation.nativeSQL(table, version_))
      run(*native);
    else
      rebuild(table, operation);
  }
}

// The foreign-key switches are ignored inside a transaction, so they are set before it begins
// and restored after it ends.
void SchemaChanger::rebuild(const std::string& table, const Operation& operation) {
  const bool foreignKeys = connection_->foreignKeys();
  const bool deferForeignKeys = connection_->deferForeignKeys();
  if (foreignKeys && !sqlite3_get_autocommit(connection_->handle()))
    throw std::logic_error(
        "cannot rebuild table " + table +
        " inside an open transaction while foreign keys are on: dropping it would cascade");
  connection_->setDeferForeignKeys(true);
  connection_->setForeignKeys(false);
  try {
    connection_->transaction(Connection::TransactionMode::deferred, [&] {
      const std::string copy = "tmp_" + table;
      const auto triggers = triggerSQL(table);
      const auto indexes = copyTable(table, copy, operation);
      drop(table, true);
      renameKeepingViews(copy, table);  // legacy_alter_table, so that views naming it do not block it
      createIndexes(indexes);
      for (const auto& trigger : triggers) run(trigger);
      if (auto violations = connection_->foreignKeyCheck(); !violations.empty())
        throw Error::foreignKeyError(std::move(violations));
    });
  } catch (...) {
    connection_->setDeferForeignKeys(deferForeignKeys);
    connection_->setForeignKeys(foreignKeys);
    throw;
  }
  connection_->setDeferForeignKeys(deferForeignKeys);
  connection_->setForeignKeys(foreignKeys);
}

// Dropping the table drops its triggers; their stored texts recreate them on the copy.
std::vector<std::string> SchemaChanger::triggerSQL(const std::string& table) {
  std::vector<std::string> texts;
  for (const auto& object :
       schemaReader_.objectDefinitions(std::nullopt, ObjectDefinition::ObjectType::trigger))
    if (object.tableName == table && object.sql) texts.push_back(*object.sql);
  return texts;
}

// The last step of a rebuild renames the copy to the dropped table's name under
// `PRAGMA legacy_alter_table = 1`. Without it the engine re-parses every view and trigger of
// the schema during a rename, finds the views that name the dropped table unresolved, and
// refuses the rename, so any rebuild of a table that a view names would fail. The legacy rename
// leaves views alone; they resolve again once the copy has the old name. The connection's own
// setting is put back afterwards, also when the rename fails.
void SchemaChanger::renameKeepingViews(const std::string& table, const std::string& to) {
  const bool legacy = connection_->scalar("PRAGMA legacy_alter_table") == Binding(std::int64_t{1});
  const std::string restore = std::string("PRAGMA legacy_alter_table = ") + (legacy ? "1" : "0");
  run("PRAGMA legacy_alter_table = 1");
  try {
    rename(table, to);
  } catch (...) {
    run(restore);
    throw;
  }
  run(restore);
}

// Creates `to` with the change applied and copies the rows; gives back the indexes to create
// once the copy has taken the table's name, so that they keep their own names.
std::vector<IndexDefinition> SchemaChanger::copyTable(const std::string& from, const std::string& to,
                                                      const Operation& operation) {
  TableDefinition source{from, {}, {}, {}};
  source.columns = schemaReader_.columnDefinitions(from);
  source.indexes = schemaReader_.indexDefinitions(from);
  source.unique = schemaReader_.uniqueConstraints(from);
  const auto changed = source.apply(operation);
  const auto target = changed.apply(Operation::renameTable(to));
  run(createTableSQL(false, target.name, target.columns, target.unique));
  const auto& sourceSide = operation.kind == Operation::Kind::dropColumn ? changed : source;
  run(copyRowsSQL(target.name, target.columns, sourceSide.name, sourceSide.columns));
  return changed.indexes;
}

void SchemaChanger::createIndexes(const std::vector<IndexDefinition>& indexes) {
  for (const auto& index : indexes) run(index.createSQL(false));
}

}  // namespace sql
