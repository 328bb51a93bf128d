#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "SQLite/Query/Expression.h"
#include "SQLite/Query/QueryClauses.h"
#include "SQLite/Query/Setter.h"

// Compilation of query clauses into SQL templates with their bindings. Pure functions: they
// build text and touch no connection. Nothing is cached; every call renders again.
namespace sql::compiler {

// "name" in double quotes, prefixed by "database". when the source names one.
Expression<void> databaseNamespace(const FromClause& from, std::string_view name);

// With `alias` and an alias present: "db"."name" AS "alias". Otherwise the quoted alias or
// name, database-qualified when the source names a database.
Expression<void> tableName(const FromClause& from, bool alias);
// The same text appended to `out`.
void appendTableName(std::string& out, const FromClause& from, bool alias);

// The text of tableName(from, false).
std::string sourceText(const FromClause& from);
// The same text appended to `out`.
void appendSourceText(std::string& out, const FromClause& from);

// Qualified: tableName(from, false). Unqualified: the quoted alias or name, never a database.
Expression<void> tableNameQualified(const FromClause& from, bool qualified);

// WITH, SELECT ... FROM, JOIN, WHERE, GROUP BY (HAVING), UNION, ORDER BY, LIMIT (OFFSET).
Expression<void> select(const QueryClauses& clauses);

// SELECT EXISTS (select).
Expression<void> exists(const QueryClauses& clauses);

// INSERT [OR resolution] INTO table (columns) VALUES (values) [WHERE].
Expression<void> insert(const QueryClauses& clauses, std::optional<OnConflict> resolution,
                        std::span<const Setter> setters);

// Several rows under the first row's columns. Every row is written in the first row's column
// order; a row that does not set exactly the first row's columns is rejected with
// std::invalid_argument. No rows give the DEFAULT VALUES statement.
Expression<void> insertMany(const QueryClauses& clauses, std::optional<OnConflict> resolution,
                            const std::vector<std::vector<Setter>>& rows);

// INSERT INTO table DEFAULT VALUES.
Expression<void> insertDefaultValues(const QueryClauses& clauses);

// INSERT INTO table <select>.
Expression<void> insertQuery(const QueryClauses& clauses, const Expression<void>& query);

// INSERT ... ON CONFLICT (target) DO UPDATE SET ...; without explicit assignments every setter
// but the target's assigns "excluded"."column".
Expression<void> upsert(const QueryClauses& clauses, const std::vector<Setter>& setters,
                        const Expression<void>& conflictTarget,
                        const std::optional<std::vector<Setter>>& assignments = std::nullopt);

// UPDATE table SET column = value, ... [WHERE] [ORDER BY] [LIMIT].
Expression<void> update(const QueryClauses& clauses, std::span<const Setter> setters);

// DELETE FROM table [WHERE] [ORDER BY] [LIMIT].
Expression<void> delete_(const QueryClauses& clauses);

}  // namespace sql::compiler
