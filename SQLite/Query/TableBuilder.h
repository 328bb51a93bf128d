#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "SQLite/Query/Collation.h"
#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Optionality.h"
#include "SQLite/Query/QueryType.h"

namespace sql {

enum class PrimaryKey { default_, autoincrement };

// The action of a foreign key on update or delete.
enum class Dependency { noAction, restrict, setNull, setDefault, cascade };
std::string_view rawText(Dependency dependency);
// Exact, case-sensitive match of a raw text only.
std::optional<Dependency> dependencyFromRawText(std::string_view text);

// A CHECK condition of Boolean or optional-Boolean type.
struct Check {
  template <ConditionType C>
  Check(const Expression<C>& predicate)  // NOLINT: implicit, so options read {.check = n > 0}
      : condition(predicate.expression()) {}
  Expression<void> condition;
};

// A DEFAULT for a column of value type V: a plain value (written as a literal when the
// statement text is made) or an expression of V. A column of optional V also takes an
// expression of optional V.
template <class V>
struct Default {
  Default(const Unwrapped<V>& value)  // NOLINT: implicit by design
      : expression(Expression<Unwrapped<V>>::value(value).expression()) {}
  template <class T>
  requires std::same_as<T, Unwrapped<V>> || std::same_as<T, V> Default(
      const Expression<T>& given)  // NOLINT: implicit by design
      : expression(given.expression()) {}
  Expression<void> expression;
};

// REFERENCES table (column): the referenced column has the referencing column's value type.
template <class V>
struct Reference {
  Expression<void> table;  // the quoted alias or name, never a database
  Expression<void> column;
};

template <QueryValue Q, class V>
Reference<V> references(const Q& table, const Expression<V>& column) {
  return Reference<V>{table.tableNameQualified(false), column.expression()};
}

// The options of one column. V is the column's value type without optionality.
template <class V>
struct ColumnOptions {
  std::optional<PrimaryKey> primaryKey = std::nullopt;
  bool unique = false;
  std::optional<Check> check = std::nullopt;
  std::optional<Default<V>> defaultValue = std::nullopt;
  std::optional<Reference<V>> references = std::nullopt;
  std::optional<Collation> collate = std::nullopt;
};

template <class V>
struct OptionalColumnOptions {
  std::optional<PrimaryKey> primaryKey = std::nullopt;
  bool unique = false;
  std::optional<Check> check = std::nullopt;
  std::optional<Default<std::optional<V>>> defaultValue = std::nullopt;
  std::optional<Reference<V>> references = std::nullopt;
  std::optional<Collation> collate = std::nullopt;
};

namespace detail {
// One column definition: name, type word, PRIMARY KEY, NOT NULL, UNIQUE, CHECK, DEFAULT,
// REFERENCES, COLLATE, the absent parts skipped.
struct ColumnDefinition {
  Expression<void> column;
  std::string typeWord;
  std::optional<PrimaryKey> primaryKey = std::nullopt;
  bool nullAllowed = false;
  bool unique = false;
  std::optional<Expression<void>> check;
  std::optional<Expression<void>> defaultValue;
  std::optional<std::pair<Expression<void>, Expression<void>>> references;
  std::optional<Collation> collate = std::nullopt;
};
Expression<void> render(const ColumnDefinition& definition);

template <class Options>
ColumnDefinition definitionOf(Expression<void> column, std::string typeWord, bool nullAllowed,
                              const Options& options) {
  ColumnDefinition definition{std::move(column), std::move(typeWord), options.primaryKey,
                              nullAllowed,       options.unique,      std::nullopt,
                              std::nullopt,      std::nullopt,        options.collate};
  if (options.check) definition.check = options.check->condition;
  if (options.defaultValue) definition.defaultValue = options.defaultValue->expression;
  if (options.references)
    definition.references = std::pair(options.references->table, options.references->column);
  return definition;
}

Expression<void> foreignKey(const std::vector<Expression<void>>& columns, const Expression<void>& table,
                            const std::vector<Expression<void>>& referenced, std::optional<Dependency> update,
                            std::optional<Dependency> delete_);
}  // namespace detail

// Collects the column definitions and table constraints of one CREATE TABLE, in the order
// they are added. Lent to the block of Table::create for the length of the call.
class TableBuilder {
 public:
  // A column of a required value type: NOT NULL.
  template <Value V>
  TableBuilder& column(const Expression<V>& column, const ColumnOptions<V>& options = {}) {
    return add(
        detail::render(detail::definitionOf(column.expression(), declaredTypeOf<V>(), false, options)));
  }

  // A column of an optional value type: no NOT NULL; the same type word as the required type.
  template <Value V>
  TableBuilder& column(const Expression<std::optional<V>>& column,
                       const OptionalColumnOptions<V>& options = {}) {
    return add(detail::render(detail::definitionOf(column.expression(), declaredTypeOf<V>(), true, options)));
  }

  // PRIMARY KEY (a, b, ...), one to four columns.
  template <class... Ts>
  requires(sizeof...(Ts) >= 1 && sizeof...(Ts) <= 4 &&
           (Value<Ts> && ...)) TableBuilder& primaryKey(const Expression<Ts>&... columns) {
    return add(wrap("PRIMARY KEY ", sql::join(", ", {columns.expression()...})));
  }

  // UNIQUE (a, b, ...).
  template <Expressible... Columns>
  TableBuilder& unique(const Columns&... columns) {
    return unique(std::vector<Expression<void>>{columns.expression()...});
  }
  TableBuilder& unique(const std::vector<Expression<void>>& columns) {
    return add(wrap("UNIQUE ", sql::join(", ", columns)));
  }

  // CHECK (condition).
  TableBuilder& check(const Check& condition) { return add(wrap("CHECK ", condition.condition)); }

  // FOREIGN KEY (column) REFERENCES table (column) [ON UPDATE a] [ON DELETE b].
  template <Value V, QueryValue Q>
  TableBuilder& foreignKey(const Expression<V>& column, const Q& table, const Expression<V>& referenced,
                           std::optional<Dependency> update = std::nullopt,
                           std::optional<Dependency> delete_ = std::nullopt) {
    return add(detail::foreignKey({column.expression()}, table.tableNameQualified(false),
                                  {referenced.expression()}, update, delete_));
  }
  template <Value V, QueryValue Q>
  TableBuilder& foreignKey(const Expression<std::optional<V>>& column, const Q& table,
                           const Expression<V>& referenced, std::optional<Dependency> update = std::nullopt,
                           std::optional<Dependency> delete_ = std::nullopt) {
    return add(detail::foreignKey({column.expression()}, table.tableNameQualified(false),
                                  {referenced.expression()}, update, delete_));
  }
  // Composite keys: columns matched by position with the referenced columns.
  template <Value A, Value B, QueryValue Q>
  TableBuilder& foreignKey(const std::tuple<Expression<A>, Expression<B>>& columns, const Q& table,
                           const std::tuple<Expression<A>, Expression<B>>& referenced,
                           std::optional<Dependency> update = std::nullopt,
                           std::optional<Dependency> delete_ = std::nullopt) {
    return add(detail::foreignKey(fragments(columns), table.tableNameQualified(false), fragments(referenced),
                                  update, delete_));
  }
  template <Value A, Value B, Value C, QueryValue Q>
  TableBuilder& foreignKey(const std::tuple<Expression<A>, Expression<B>, Expression<C>>& columns,
                           const Q& table,
                           const std::tuple<Expression<A>, Expression<B>, Expression<C>>& referenced,
                           std::optional<Dependency> update = std::nullopt,
                           std::optional<Dependency> delete_ = std::nullopt) {
    return add(detail::foreignKey(fragments(columns), table.tableNameQualified(false), fragments(referenced),
                                  update, delete_));
  }

  const std::vector<Expression<void>>& definitions() const { return definitions_; }

 private:
  TableBuilder& add(Expression<void> definition) {
    definitions_.push_back(std::move(definition));
    return *this;
  }

  template <class... Ts>
  static std::vector<Expression<void>> fragments(const std::tuple<Expression<Ts>...>& columns) {
    return std::apply(
        [](const auto&... column) { return std::vector<Expression<void>>{column.expression()...}; }, columns);
  }

  std::vector<Expression<void>> definitions_;
};

}  // namespace sql
