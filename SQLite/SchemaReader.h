#pragma once

#include "SQLite/ColumnDefinition.h"
#include "SQLite/IndexDefinition.h"
#include "SQLite/ObjectDefinition.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sql {

class Connection;

// Reads the schema of a connection's database: catalogue objects, and the columns, indexes
// and foreign keys of a table. Keeps no state: every call reads the database afresh. Engine
// failures throw Result; a table that does not exist has no columns, indexes or keys.
class SchemaReader {
 public:
  explicit SchemaReader(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

  // The table's columns in their order, with the primary-key options and defaults parsed
  // from the stored CREATE TABLE text and the foreign keys attached.
  std::vector<ColumnDefinition> columnDefinitions(const std::string& table);
  // The catalogue's objects, optionally of one name and one type, from the main catalogue or
  // the temporary one.
  std::vector<ObjectDefinition> objectDefinitions(
      const std::optional<std::string>& name = std::nullopt,
      std::optional<ObjectDefinition::ObjectType> type = std::nullopt, bool temp = false);
  // The table's own indexes (not the engine's automatic ones), as the index list reports them.
  std::vector<IndexDefinition> indexDefinitions(const std::string& table);
  std::vector<ColumnDefinition::ForeignKey> foreignKeys(const std::string& table);
  // The column lists of the table's UNIQUE constraints (which the engine keeps as automatic
  // indexes, left out of indexDefinitions), in the order the index list reports them.
  std::vector<std::vector<std::string>> uniqueConstraints(const std::string& table);
  // The stored CREATE TABLE text, from the main catalogue or else the temporary one.
  std::optional<std::string> tableSQL(const std::string& name);

 private:
  std::optional<std::string> indexSQL(const std::string& name);
  std::vector<std::string> indexColumnNames(const std::string& name);
  std::optional<ColumnDefinition::PrimaryKey> primaryKeyOf(const std::string& table);
  std::optional<std::string> collationOf(const std::string& table, const std::string& column);

  std::shared_ptr<Connection> connection_;
};

}  // namespace sql
