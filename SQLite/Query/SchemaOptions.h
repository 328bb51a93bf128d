#pragma once

namespace sql {

// How a CREATE TABLE statement with column definitions is written; every option off by default.
// Name the ones wanted: table.create({.ifNotExists = true}, ...).
struct TableCreateOptions {
  bool temporary = false;     // CREATE TEMPORARY TABLE
  bool ifNotExists = false;   // ... IF NOT EXISTS
  bool withoutRowid = false;  // ... WITHOUT ROWID
};

// How a CREATE TABLE or CREATE VIEW ... AS <query> statement is written.
struct CreateOptions {
  bool temporary = false;    // CREATE TEMPORARY TABLE|VIEW
  bool ifNotExists = false;  // ... IF NOT EXISTS
};

// How a CREATE INDEX statement is written.
struct IndexCreateOptions {
  bool unique = false;       // CREATE UNIQUE INDEX
  bool ifNotExists = false;  // ... IF NOT EXISTS
};

}  // namespace sql
