#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SQLite/Query/Expression.h"

namespace sql {

struct QueryClauses;

// Joined, unioned and WITH queries are kept by shared pointer to an immutable clause set, so
// narrowing a query never copies the queries it refers to.
using SharedClauses = std::shared_ptr<const QueryClauses>;

enum class JoinType { cross, inner, leftOuter };
enum class OnConflict { replace, rollback, abort, fail, ignore };
enum class MaterializationHint { materialized, notMaterialized };

// The SQL words, and the values made back from them (exact, case-sensitive match only).
std::string_view rawText(JoinType type);
std::string_view rawText(OnConflict resolution);
std::string_view rawText(MaterializationHint hint);
std::optional<JoinType> joinTypeFromRawText(std::string_view text);
std::optional<OnConflict> onConflictFromRawText(std::string_view text);
std::optional<MaterializationHint> materializationHintFromRawText(std::string_view text);

// The source of a query: its name, optional alias and optional schema (database) name.
struct FromClause {
  std::string name;
  std::optional<std::string> alias;
  std::optional<std::string> database;
};

struct SelectClause {
  bool distinct = false;
  std::vector<Expression<void>> columns;
};

struct JoinClause {
  JoinType type = JoinType::inner;
  SharedClauses query;
  Expression<void> condition;
};

struct GroupClause {
  std::vector<Expression<void>> by;
  std::optional<Expression<std::optional<bool>>> having;
};

struct LimitClause {
  std::int64_t length = 0;
  std::optional<std::int64_t> offset;
};

struct UnionClause {
  bool all = false;
  SharedClauses query;
};

// Common table expressions, rendered first in a SELECT.
struct WithClauses {
  struct Clause {
    FromClause alias;  // the name the result is referred to by
    std::optional<std::vector<Expression<void>>> columns;
    std::optional<MaterializationHint> hint;
    SharedClauses query;
  };
  bool recursive = false;
  std::vector<Clause> clauses;
};

// Every clause of one query value. A fresh query selects "*" from its source and has nothing else.
struct QueryClauses {
  SelectClause select;
  FromClause from;
  std::vector<JoinClause> join;
  std::optional<Expression<std::optional<bool>>> filters;
  std::optional<GroupClause> group;
  std::vector<Expression<void>> order;
  std::optional<LimitClause> limit;
  std::vector<UnionClause> union_;
  WithClauses with;

  QueryClauses(std::string name, std::optional<std::string> database);
};

}  // namespace sql
