#pragma once

#include "SQLite/ColumnDefinition.h"
#include "SQLite/ForeignKeyError.h"
#include "SQLite/IndexDefinition.h"
#include "SQLite/SQLiteVersion.h"
#include "SQLite/SchemaReader.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sql {

class Connection;

// Alters existing tables: adds, drops and renames columns, drops and renames tables. A change
// the engine can make with one ALTER TABLE statement at its version is made so; otherwise the
// table is rebuilt: a "tmp_" copy is created with the change applied, the rows are copied,
// the old table dropped and the copy renamed, in one transaction, with foreign-key
// enforcement switched off around it (so that dropping the old table cascades nowhere) and a
// foreign-key check at the end. The table's indexes (under their own names), UNIQUE
// constraints and triggers are carried over, and views naming it keep working. Engine
// failures throw Result.
class SchemaChanger {
 public:
  class Error : public std::exception {
   public:
    enum class Kind { invalidColumnDefinition, foreignKeyError };

    static Error invalidColumnDefinition(std::string message);
    static Error foreignKeyError(std::vector<ForeignKeyError> violations);

    Kind kind() const noexcept { return kind_; }
    const std::vector<ForeignKeyError>& violations() const noexcept { return violations_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

   private:
    Error(Kind kind, std::vector<ForeignKeyError> violations, std::string description)
        : kind_(kind), violations_(std::move(violations)), description_(std::move(description)) {}
    Kind kind_;
    std::vector<ForeignKeyError> violations_;
    std::string description_;
  };

  // One change to a table.
  struct Operation {
    enum class Kind { addColumn, dropColumn, renameColumn, renameTable };
    Kind kind;
    ColumnDefinition column;  // addColumn
    std::string name;         // dropColumn and renameColumn: the column; renameTable: the new name
    std::string newName;      // renameColumn

    static Operation addColumn(ColumnDefinition column) {
      return {Kind::addColumn, std::move(column), {}, {}};
    }
    static Operation dropColumn(std::string name) { return {Kind::dropColumn, {}, std::move(name), {}}; }
    static Operation renameColumn(std::string from, std::string to) {
      return {Kind::renameColumn, {}, std::move(from), std::move(to)};
    }
    static Operation renameTable(std::string to) { return {Kind::renameTable, {}, std::move(to), {}}; }

    // The single ALTER TABLE statement for this change at `version`, or absent when the table
    // must be rebuilt.
    std::optional<std::string> nativeSQL(const std::string& table, const SQLiteVersion& version) const;
  };

  // Collects the changes of one alter() call, applied in the order added.
  class AlterTableDefinition {
   public:
    explicit AlterTableDefinition(std::string name) : name_(std::move(name)) {}
    void add(ColumnDefinition column) { operations_.push_back(Operation::addColumn(std::move(column))); }
    void drop(std::string column) { operations_.push_back(Operation::dropColumn(std::move(column))); }
    void rename(std::string column, std::string to) {
      operations_.push_back(Operation::renameColumn(std::move(column), std::move(to)));
    }
    const std::string& name() const noexcept { return name_; }
    const std::vector<Operation>& operations() const noexcept { return operations_; }

   private:
    std::string name_;
    std::vector<Operation> operations_;
  };

  // Reads the engine's version once, now.
  explicit SchemaChanger(std::shared_ptr<Connection> connection);
  // Chooses between ALTER TABLE and rebuilding as if the engine were at `version`.
  SchemaChanger(std::shared_ptr<Connection> connection, SQLiteVersion version);

  // Applies the changes `block` adds, in order; the first failure stops and is thrown, the
  // changes before it staying made. Throws Error for an invalid added column or foreign-key
  // violations left by a rebuild (which is then undone), std::logic_error when a rebuild is asked for inside
  // an open transaction with foreign keys on (where they cannot be switched off), and Result.
  void alter(const std::string& table, const std::function<void(AlterTableDefinition&)>& block);
  // DROP TABLE [IF EXISTS] "table"
  void drop(const std::string& table, bool ifExists);
  // ALTER TABLE "table" RENAME TO "to"
  void rename(const std::string& table, const std::string& to);

  const SQLiteVersion& version() const noexcept { return version_; }
  // "SQLiteSchemaChanger: " and the main database's file name.
  std::string description() const;

 private:
  struct TableDefinition;

  void validate(const ColumnDefinition& column) const;
  void rebuild(const std::string& table, const Operation& operation);
  std::vector<std::string> triggerSQL(const std::string& table);
  void renameKeepingViews(const std::string& table, const std::string& to);
  std::vector<IndexDefinition> copyTable(const std::string& from, const std::string& to,
                                         const Operation& operation);
  void createIndexes(const std::vector<IndexDefinition>& indexes);
  void run(const std::string& sql);

  std::shared_ptr<Connection> connection_;
  SchemaReader schemaReader_;
  SQLiteVersion version_;
};

}  // namespace sql
