#pragma once

#include "SQLite/ColumnDefinition.h"

#include <string>
#include <vector>

namespace sql {

// The statements the schema changer builds from column definitions.

// CREATE [TEMPORARY] TABLE "name" ( "a" INTEGER,<new line>"b" TEXT ). A key over several
// columns is written as a table constraint after them, PRIMARY KEY ("a", "b"), since a column
// constraint may name only one; each list of `unique` columns follows as UNIQUE ("a", "b").
// Throws std::invalid_argument for an empty column list.
std::string createTableSQL(bool temporary, const std::string& name,
                           const std::vector<ColumnDefinition>& columns,
                           const std::vector<std::vector<std::string>>& unique = {});

// "a", "b"
std::string quotedColumnNames(const std::vector<ColumnDefinition>& columns);

// INSERT INTO "target" ("a", "b") SELECT "x", "y" FROM "source", pairing columns by position.
// Throws std::invalid_argument for an empty source list or lists of different lengths.
std::string copyRowsSQL(const std::string& target, const std::vector<ColumnDefinition>& targetColumns,
                        const std::string& source, const std::vector<ColumnDefinition>& sourceColumns);

}  // namespace sql
