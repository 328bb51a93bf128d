#pragma once

#include <string>
#include <string_view>

#include "SQLite/Query/Module.h"
#include "SQLite/Query/QueryType.h"
#include "SQLite/Query/SchemaCompiler.h"

namespace sql {

// A virtual table of a schema, backed by a module.
class VirtualTable : public QueryType<VirtualTable> {
 public:
  static constexpr std::string_view identifier = "VIRTUAL TABLE";
  using QueryType<VirtualTable>::QueryType;

  // CREATE VIRTUAL TABLE [IF NOT EXISTS] name USING module(arguments).
  std::string create(const Module& module, bool ifNotExists = false) const {
    return schema::createVirtualTable(clauses().from, module, ifNotExists);
  }

  // ALTER TABLE name RENAME TO "new name".
  std::string rename(const VirtualTable& renamed) const {
    return schema::rename(clauses().from, renamed.clauses().from);
  }
};

}  // namespace sql
