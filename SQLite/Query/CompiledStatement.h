#pragma once

#include <string>
#include <utility>

#include "SQLite/Query/Expression.h"

namespace sql {

// A compiled statement: its SQL template with "?" placeholders and the bindings in placeholder
// order. The kind tag keeps INSERT, UPDATE, DELETE and SELECT apart so that running each gives
// its own answer (row id, change count, rows). Plain value.
template <class Kind>
class CompiledStatement {
 public:
  explicit CompiledStatement(Expression<void> compiled) : compiled_(std::move(compiled)) {}
  CompiledStatement(std::string templateText, Bindings bindings)
      : compiled_(std::move(templateText), std::move(bindings)) {}

  const std::string& template_() const { return compiled_.template_(); }
  const Bindings& bindings() const { return compiled_.bindings(); }
  Expression<void> expression() const { return compiled_; }

  // The statement with its values written in as literals.
  std::string asSQL() const { return compiled_.asSQL(); }
  std::string description() const { return asSQL(); }

 private:
  Expression<void> compiled_;
};

struct InsertKind {};
struct UpdateKind {};
struct DeleteKind {};
template <class T>
struct SelectKind {};

using Insert = CompiledStatement<InsertKind>;
using Update = CompiledStatement<UpdateKind>;
using Delete = CompiledStatement<DeleteKind>;

// A compiled SELECT yielding values of T.
template <class T>
using Select = CompiledStatement<SelectKind<T>>;

}  // namespace sql
