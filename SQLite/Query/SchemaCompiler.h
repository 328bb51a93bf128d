#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Module.h"
#include "SQLite/Query/QueryClauses.h"
#include "SQLite/Query/TableBuilder.h"

// The text of schema statements. Every function returns the finished statement with its values
// written in as literals; none runs SQL or fails.
namespace sql::schema {

// CREATE [modifier] kind [IF NOT EXISTS] name
Expression<void> createPrefix(std::string_view kind, const Expression<void>& name,
                              std::optional<std::string_view> modifier, bool ifNotExists);

std::string createTable(const FromClause& table, bool temporary, bool ifNotExists, bool withoutRowid,
                        const TableBuilder& builder);

// CREATE [TEMPORARY] TABLE|VIEW [IF NOT EXISTS] name AS <select>
std::string createFromQuery(std::string_view kind, const FromClause& target, const Expression<void>& query,
                            bool temporary, bool ifNotExists);

std::string createVirtualTable(const FromClause& table, const Module& module, bool ifNotExists);

// DROP kind [IF EXISTS] name
std::string drop(std::string_view kind, const Expression<void>& name, bool ifExists);

std::string addColumn(const FromClause& table, const Expression<void>& definition);

// ALTER TABLE name RENAME TO "new name" (the new value's plain name only).
std::string rename(const FromClause& table, const FromClause& renamed);

// "index_<table>_on_<columns>", lower case, characters other than a-z and 0-9 made "_",
// database-qualified when the table names a database.
Expression<void> indexName(const FromClause& table, const std::vector<Expression<void>>& columns);

std::string createIndex(const FromClause& table, const std::vector<Expression<void>>& columns, bool unique,
                        bool ifNotExists);
std::string dropIndex(const FromClause& table, const std::vector<Expression<void>>& columns, bool ifExists);

}  // namespace sql::schema
