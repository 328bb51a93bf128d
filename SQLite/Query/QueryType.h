#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SQLite/Query/CompiledStatement.h"
#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Operators.h"
#include "SQLite/Query/QueryClauses.h"
#include "SQLite/Query/QueryCompiler.h"
#include "SQLite/Query/SQLiteEncoder.h"
#include "SQLite/Query/Setter.h"

namespace sql {

template <class V>
class ScalarQuery;

// The select-all marker: `query.select(star)`, `table[star]`.
struct Star {};
inline constexpr Star star{};

// A condition usable in WHERE, ON and HAVING.
template <class T>
concept ConditionType = std::same_as<T, bool> || std::same_as<T, std::optional<bool>>;

// The HAVING predicate of a grouping: `query.group(column, having(count > 1))`.
struct Having {
  Expression<std::optional<bool>> predicate;
};

template <ConditionType C>
Having having(const Expression<C>& predicate) {
  return Having{Expression<std::optional<bool>>(predicate)};
}

// A query value: anything with query clauses (Table, View, VirtualTable, ScalarQuery).
template <class Q>
concept QueryValue = requires(const Q& q) {
  { q.clauses() } -> std::same_as<const QueryClauses&>;
};

// The builders shared by every query value. Each returns a changed copy and leaves the value it
// is called on unchanged, so one table value can be the base of many statements. Derived must
// be constructible from (name, database).
template <class Derived>
class QueryType {
 public:
  explicit QueryType(std::string name, std::optional<std::string> database = std::nullopt)
      : clauses_(std::move(name), std::move(database)), qualifier_(qualifierOf(clauses_.from)) {}

  const QueryClauses& clauses() const { return clauses_; }

  // The compiled SELECT.
  Expression<void> expression() const { return compiler::select(clauses_); }
  std::string asSQL() const { return expression().asSQL(); }

  // Select list (replaced, never extended) ---------------------------------------------------
  //
  // Every builder comes twice: on an lvalue it copies the clauses, on an rvalue (the middle of
  // a chain) it changes them in place and moves them on.

  template <ExpressibleArgument First, ExpressibleArgument... Columns>
  Derived select(First&& first, Columns&&... rest) const& {
    return copy().select(std::forward<First>(first), std::forward<Columns>(rest)...);
  }
  template <ExpressibleArgument First, ExpressibleArgument... Columns>
  Derived select(First&& first, Columns&&... rest) && {
    return std::move(*this).withSelect(
        false, fragmentList(std::forward<First>(first), std::forward<Columns>(rest)...));
  }
  Derived select(std::vector<Expression<void>> columns) const& { return copy().select(std::move(columns)); }
  Derived select(std::vector<Expression<void>> columns) && {
    return std::move(*this).withSelect(false, std::move(columns));
  }
  Derived select(Star) const& { return copy().select(star); }
  Derived select(Star) && { return std::move(*this).withSelect(false, {starExpression()}); }

  template <ExpressibleArgument First, ExpressibleArgument... Columns>
  Derived selectDistinct(First&& first, Columns&&... rest) const& {
    return copy().selectDistinct(std::forward<First>(first), std::forward<Columns>(rest)...);
  }
  template <ExpressibleArgument First, ExpressibleArgument... Columns>
  Derived selectDistinct(First&& first, Columns&&... rest) && {
    return std::move(*this).withSelect(
        true, fragmentList(std::forward<First>(first), std::forward<Columns>(rest)...));
  }
  Derived selectDistinct(std::vector<Expression<void>> columns) const& {
    return copy().selectDistinct(std::move(columns));
  }
  Derived selectDistinct(std::vector<Expression<void>> columns) && {
    return std::move(*this).withSelect(true, std::move(columns));
  }
  Derived selectDistinct(Star) const& { return copy().selectDistinct(star); }
  Derived selectDistinct(Star) && { return std::move(*this).withSelect(true, {starExpression()}); }

  // One typed column: a query yielding single values of T.
  template <class T>
  ScalarQuery<T> selectScalar(const Expression<T>& column) const {
    return scalarWith<T>(false, column.expression());
  }
  template <class T>
  ScalarQuery<T> selectDistinctScalar(const Expression<T>& column) const {
    return scalarWith<T>(true, column.expression());
  }

  // SELECT count(*) with every other clause kept.
  // (A template only so that ScalarQuery may still be incomplete where this class is.)
  template <class Count = Int64>
  ScalarQuery<Count> count() const {
    return scalarWith<Count>(false, wrap("count", starExpression()));
  }

  // SELECT EXISTS (this query).
  Select<bool> exists() const { return Select<bool>(compiler::exists(clauses_)); }

  Derived alias(std::string name) const& { return copy().alias(std::move(name)); }
  Derived alias(std::string name) && {
    clauses_.from.alias = std::move(name);
    qualifier_ = qualifierOf(clauses_.from);
    return moved();
  }

  // Joins: the joined query's own filter is ANDed to the condition.

  template <QueryValue Q, ConditionType C>
  Derived join(JoinType type, const Q& other, Expression<C> on) const& {
    return copy().join(type, other, std::move(on));
  }
  template <QueryValue Q, ConditionType C>
  Derived join(JoinType type, const Q& other, Expression<C> on) && {
    Expression<void> condition =
        other.clauses().filters ? (on && *other.clauses().filters).expression() : std::move(on).expression();
    clauses_.join.push_back(
        {type, std::make_shared<const QueryClauses>(other.clauses()), std::move(condition)});
    return moved();
  }
  template <QueryValue Q, ConditionType C>
  Derived join(const Q& other, Expression<C> on) const& {
    return copy().join(JoinType::inner, other, std::move(on));
  }
  template <QueryValue Q, ConditionType C>
  Derived join(const Q& other, Expression<C> on) && {
    return std::move(*this).join(JoinType::inner, other, std::move(on));
  }

  // Filters: a second filter makes (existing AND new).
  template <ConditionType C>
  Derived filter(Expression<C> predicate) const& {
    return copy().filter(std::move(predicate));
  }
  template <ConditionType C>
  Derived filter(Expression<C> predicate) && {
    clauses_.filters = clauses_.filters ? (*clauses_.filters && predicate)
                                        : Expression<std::optional<bool>>(std::move(predicate));
    return moved();
  }
  template <ConditionType C>
  Derived where(Expression<C> predicate) const& {
    return copy().filter(std::move(predicate));
  }
  template <ConditionType C>
  Derived where(Expression<C> predicate) && {
    return std::move(*this).filter(std::move(predicate));
  }

  // Grouping, replacing any earlier grouping.
  template <ExpressibleArgument First, ExpressibleArgument... Terms>
  Derived group(First&& first, Terms&&... rest) const& {
    return copy().group(std::forward<First>(first), std::forward<Terms>(rest)...);
  }
  template <ExpressibleArgument First, ExpressibleArgument... Terms>
  Derived group(First&& first, Terms&&... rest) && {
    return std::move(*this).withGroup(fragmentList(std::forward<First>(first), std::forward<Terms>(rest)...),
                                      std::nullopt);
  }
  Derived group(std::vector<Expression<void>> by) const& { return copy().group(std::move(by)); }
  Derived group(std::vector<Expression<void>> by) && {
    return std::move(*this).withGroup(std::move(by), std::nullopt);
  }
  Derived group(const Expressible auto& by, Having having) const& {
    return copy().group(by, std::move(having));
  }
  Derived group(const Expressible auto& by, Having having) && {
    return std::move(*this).withGroup(fragmentList(by), std::move(having.predicate));
  }
  Derived group(std::vector<Expression<void>> by, Having having) const& {
    return copy().group(std::move(by), std::move(having));
  }
  Derived group(std::vector<Expression<void>> by, Having having) && {
    return std::move(*this).withGroup(std::move(by), std::move(having.predicate));
  }

  // Ordering, replacing any earlier ordering; an empty list removes it.
  template <ExpressibleArgument First, ExpressibleArgument... Terms>
  Derived order(First&& first, Terms&&... rest) const& {
    return copy().order(std::forward<First>(first), std::forward<Terms>(rest)...);
  }
  template <ExpressibleArgument First, ExpressibleArgument... Terms>
  Derived order(First&& first, Terms&&... rest) && {
    return std::move(*this).order(fragmentList(std::forward<First>(first), std::forward<Terms>(rest)...));
  }
  Derived order(std::vector<Expression<void>> terms) const& { return copy().order(std::move(terms)); }
  Derived order(std::vector<Expression<void>> terms) && {
    clauses_.order = std::move(terms);
    return moved();
  }

  // LIMIT length; an absent length removes LIMIT and OFFSET.
  Derived limit(std::optional<std::int64_t> length) const& { return copy().limit(length); }
  Derived limit(std::optional<std::int64_t> length) && {
    clauses_.limit = length ? std::optional<LimitClause>(LimitClause{*length, std::nullopt}) : std::nullopt;
    return moved();
  }
  Derived limit(std::int64_t length, std::int64_t offset) const& { return copy().limit(length, offset); }
  Derived limit(std::int64_t length, std::int64_t offset) && {
    clauses_.limit = LimitClause{length, offset};
    return moved();
  }

  template <QueryValue Q>
  Derived union_(const Q& other) const& {
    return copy().union_(false, other);
  }
  template <QueryValue Q>
  Derived union_(const Q& other) && {
    return std::move(*this).union_(false, other);
  }
  template <QueryValue Q>
  Derived union_(bool all, const Q& other) const& {
    return copy().union_(all, other);
  }
  template <QueryValue Q>
  Derived union_(bool all, const Q& other) && {
    clauses_.union_.push_back({all, std::make_shared<const QueryClauses>(other.clauses())});
    return moved();
  }

  // WITH alias [(columns)] AS [hint] (query); once recursive, the WITH part stays recursive.
  template <QueryValue A, QueryValue Q>
  Derived with(const A& aliasTable, std::optional<std::vector<Expression<void>>> columns, bool recursive,
               std::optional<MaterializationHint> hint, const Q& query) const& {
    return copy().with(aliasTable, std::move(columns), recursive, hint, query);
  }
  template <QueryValue A, QueryValue Q>
  Derived with(const A& aliasTable, std::optional<std::vector<Expression<void>>> columns, bool recursive,
               std::optional<MaterializationHint> hint, const Q& query) && {
    clauses_.with.recursive = clauses_.with.recursive || recursive;
    clauses_.with.clauses.push_back({aliasTable.clauses().from, std::move(columns), hint,
                                     std::make_shared<const QueryClauses>(query.clauses())});
    return moved();
  }
  template <QueryValue A, QueryValue Q>
  Derived with(const A& aliasTable, const Q& query) const& {
    return copy().with(aliasTable, std::nullopt, false, std::nullopt, query);
  }
  template <QueryValue A, QueryValue Q>
  Derived with(const A& aliasTable, const Q& query) && {
    return std::move(*this).with(aliasTable, std::nullopt, false, std::nullopt, query);
  }

  // Source names and qualified columns -------------------------------------------------------

  Expression<void> databaseNamespace(std::string_view name) const {
    return compiler::databaseNamespace(clauses_.from, name);
  }
  Expression<void> tableName(bool alias = false) const { return compiler::tableName(clauses_.from, alias); }
  Expression<void> tableNameQualified(bool qualified) const {
    return compiler::tableNameQualified(clauses_.from, qualified);
  }

  // "table"."column", typed as the column.
  template <class T>
  Expression<T> operator[](const Expression<T>& column) const {
    return Expression<T>(qualified(column.template_()), column.bindings());
  }
  // "table".*
  Expression<void> operator[](Star) const { return Expression<void>(qualified("*"), {}); }

  // Data-changing statements -----------------------------------------------------------------

  template <std::same_as<Setter>... More>
  Insert insert(Setter first, More... rest) const {
    const std::array<Setter, 1 + sizeof...(More)> setters{std::move(first), std::move(rest)...};
    return Insert(compiler::insert(clauses_, std::nullopt, setters));
  }
  Insert insert(const std::vector<Setter>& setters) const {
    return Insert(compiler::insert(clauses_, std::nullopt, setters));
  }
  Insert insert(OnConflict resolution, const std::vector<Setter>& setters) const {
    return Insert(compiler::insert(clauses_, resolution, setters));
  }
  template <QueryValue Q>
  Insert insert(const Q& query) const {
    return Insert(compiler::insertQuery(clauses_, query.expression()));
  }
  Insert insertMany(const std::vector<std::vector<Setter>>& rows) const {
    return Insert(compiler::insertMany(clauses_, std::nullopt, rows));
  }
  Insert insertMany(OnConflict resolution, const std::vector<std::vector<Setter>>& rows) const {
    return Insert(compiler::insertMany(clauses_, resolution, rows));
  }
  Insert insertDefaultValues() const { return Insert(compiler::insertDefaultValues(clauses_)); }

  Insert upsert(const std::vector<Setter>& setters, const Expressible auto& onConflictOf) const {
    return Insert(compiler::upsert(clauses_, setters, onConflictOf.expression()));
  }
  Insert upsert(const std::vector<Setter>& setters, const Expressible auto& onConflictOf,
                const std::vector<Setter>& set) const {
    return Insert(compiler::upsert(clauses_, setters, onConflictOf.expression(), set));
  }

  template <std::same_as<Setter>... More>
  Update update(Setter first, More... rest) const {
    const std::array<Setter, 1 + sizeof...(More)> setters{std::move(first), std::move(rest)...};
    return Update(compiler::update(clauses_, setters));
  }
  Update update(const std::vector<Setter>& setters) const {
    return Update(compiler::update(clauses_, setters));
  }

  Delete delete_() const { return Delete(compiler::delete_(clauses_)); }

  // Statements from records: the record's setters, in field order, then the extra setters.

  template <Record R>
  Insert insert(const R& record, const std::vector<Setter>& extraSetters = {},
                const UserInfo& userInfo = {}) const {
    return insert(recordSetters(record, extraSetters, userInfo));
  }
  template <Record R>
  Insert insert(OnConflict resolution, const R& record, const std::vector<Setter>& extraSetters = {},
                const UserInfo& userInfo = {}) const {
    return insert(resolution, recordSetters(record, extraSetters, userInfo));
  }
  // One row per record. When the records write different numbers of fields, every record is
  // encoded again with NULL setters for its absent optional fields.
  template <Record R>
  Insert insertMany(const std::vector<R>& records, const std::vector<Setter>& extraSetters = {},
                    const UserInfo& userInfo = {}) const {
    auto rows = recordRows(records, extraSetters, userInfo, false);
    if (!hasOneRowLength(rows)) rows = recordRows(records, extraSetters, userInfo, true);
    return insertMany(rows);
  }
  template <Record R>
  Insert upsert(const R& record, const Expressible auto& onConflictOf,
                const std::vector<Setter>& extraSetters = {}, const UserInfo& userInfo = {}) const {
    return upsert(recordSetters(record, extraSetters, userInfo), onConflictOf);
  }
  template <Record R>
  Update update(const R& record, const std::vector<Setter>& extraSetters = {},
                const UserInfo& userInfo = {}) const {
    return update(recordSetters(record, extraSetters, userInfo));
  }

 private:
  Derived copy() const { return Derived(static_cast<const Derived&>(*this)); }
  Derived moved() { return Derived(std::move(static_cast<Derived&>(*this))); }

  template <Record R>
  static std::vector<Setter> recordSetters(const R& record, const std::vector<Setter>& extraSetters,
                                           const UserInfo& userInfo, bool forcingNilValueSetters = false) {
    auto setters = SQLiteEncoder::encode(record, userInfo, forcingNilValueSetters);
    setters.insert(setters.end(), extraSetters.begin(), extraSetters.end());
    return setters;
  }

  template <Record R>
  static std::vector<std::vector<Setter>> recordRows(const std::vector<R>& records,
                                                     const std::vector<Setter>& extraSetters,
                                                     const UserInfo& userInfo, bool forcingNilValueSetters) {
    std::vector<std::vector<Setter>> rows;
    rows.reserve(records.size());
    for (const auto& record : records) {
      rows.push_back(recordSetters(record, extraSetters, userInfo, forcingNilValueSetters));
    }
    return rows;
  }

  static bool hasOneRowLength(const std::vector<std::vector<Setter>>& rows) {
    if (rows.empty()) return false;
    for (const auto& row : rows) {
      if (row.size() != rows.front().size()) return false;
    }
    return true;
  }

  // tableName(false) and "." for the source `from`.
  static std::string qualifierOf(const FromClause& from) {
    std::string text;
    compiler::appendSourceText(text, from);
    text += '.';
    return text;
  }

  // tableName(false), ".", column: built in one text.
  std::string qualified(std::string_view column) const {
    std::string text;
    text.reserve(qualifier_.size() + column.size());
    text.append(qualifier_).append(column);
    return text;
  }

  Derived withSelect(bool distinct, std::vector<Expression<void>> columns) && {
    clauses_.select = SelectClause{distinct, std::move(columns)};
    return moved();
  }

  Derived withGroup(std::vector<Expression<void>> by,
                    std::optional<Expression<std::optional<bool>>> having) && {
    clauses_.group = GroupClause{std::move(by), std::move(having)};
    return moved();
  }

  template <class T>
  ScalarQuery<T> scalarWith(bool distinct, Expression<void> column) const {
    ScalarQuery<T> query(clauses_.from.name, clauses_.from.database);
    query.clauses_ = clauses_;
    query.clauses_.select = SelectClause{distinct, {std::move(column)}};
    query.qualifier_ = qualifier_;
    return query;
  }

  template <class>
  friend class QueryType;

  QueryClauses clauses_;
  // The source's name as its columns are qualified with it, "." included; made again whenever
  // the source's alias changes, so that qualifying a column is one copy.
  std::string qualifier_;
};

}  // namespace sql
