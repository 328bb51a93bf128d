#include "SQLite/Query/QueryExecution.h"

#include <string_view>
#include <utility>
#include <vector>

#include "SQLite/Query/QueryCompiler.h"
#include "SQLite/Quote.h"

namespace sql {

namespace {

// A copy of `with` whose queries keep only their source, select list, joins and own WITH
// clauses, without materialisation hints: enough to learn the column names.
WithClauses simplified(const WithClauses& with) {
  WithClauses result;
  result.recursive = with.recursive;
  for (const auto& clause : with.clauses) {
    QueryClauses query(clause.query->from.name, clause.query->from.database);
    query.select = clause.query->select;
    query.join = clause.query->join;
    query.with = simplified(clause.query->with);
    result.clauses.push_back(
        {clause.alias, clause.columns, std::nullopt, std::make_shared<const QueryClauses>(std::move(query))});
  }
  return result;
}

class ColumnNamesBuilder {
 public:
  explicit ColumnNamesBuilder(Connection& db) : db_(db) {}

  void add(std::string key) { names_[std::move(key)] = counter_++; }

  // Adds the result columns of `source`'s own select list (quoted, qualified when asked).
  void expandStar(const QueryClauses& source, bool qualified) {
    QueryClauses discovery(source.from.name, source.from.database);
    discovery.select = source.select;
    discovery.with = simplified(source.with);
    const auto compiled = compiler::select(discovery);
    const auto statement = db_.prepare(compiled.template_(), compiled.bindings());
    const std::string prefix = qualified ? compiler::tableName(source.from, false).template_() + "." : "";
    for (const auto& name : statement->columnNames()) add(prefix + quote(name, '"'));
  }

  ColumnNames take() { return std::move(names_); }

 private:
  Connection& db_;
  ColumnNames names_;
  int counter_ = 0;
};

struct SplitName {
  std::string qualifier;
  std::string column;
};

// Splits a template at every "." (empty pieces dropped): the last piece is the column, the
// others joined again are the qualifier.
SplitName split(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto dot = text.find('.', start);
    const auto end = dot == std::string_view::npos ? text.size() : dot;
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  SplitName name;
  if (pieces.empty()) return name;
  name.column = std::string(pieces.back());
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    if (i > 0) name.qualifier += '.';
    name.qualifier.append(pieces[i]);
  }
  return name;
}

// The last piece of `split(text)`, found without copying.
std::string_view lastPiece(std::string_view text) {
  const auto end = text.find_last_not_of('.');
  if (end == std::string_view::npos) return {};
  const auto dot = text.find_last_of('.', end);
  const auto start = dot == std::string_view::npos ? 0 : dot + 1;
  return text.substr(start, end + 1 - start);
}

}  // namespace

ColumnNames columnNamesForQuery(Connection& db, const QueryClauses& query) {
  ColumnNamesBuilder builder(db);
  for (const auto& column : query.select.columns) {
    if (lastPiece(column.template_()) != "*") {
      builder.add(column.template_());
      continue;
    }
    const auto name = split(column.template_());
    QueryClauses self = query;
    self.select = SelectClause{false, {starExpression()}};
    std::vector<const QueryClauses*> sources{&self};
    for (const auto& join : query.join) sources.push_back(join.query.get());

    if (name.qualifier.empty()) {
      for (const auto* source : sources) builder.expandStar(*source, !query.join.empty());
      continue;
    }
    const QueryClauses* match = nullptr;
    for (const auto* source : sources) {
      if (compiler::tableName(source->from, false).template_() == name.qualifier) {
        match = source;
        break;
      }
    }
    if (match == nullptr) throw QueryError::noSuchTable(name.qualifier);
    builder.expandStar(*match, true);
  }
  return builder.take();
}

namespace detail {

PreparedQuery prepareQuery(Connection& db, const QueryClauses& query) {
  const auto compiled = compiler::select(query);
  auto statement = db.prepare(compiled.template_(), compiled.bindings());
  auto columnNames = std::make_shared<const ColumnNames>(columnNamesForQuery(db, query));
  return {std::move(statement), std::move(columnNames)};
}

std::optional<Row> pluckQuery(Connection& db, const QueryClauses& query) {
  QueryClauses single = query;
  const auto offset = query.limit ? query.limit->offset : std::nullopt;
  single.limit = LimitClause{1, offset};
  auto prepared = prepareQuery(db, single);
  auto values = prepared.statement->failableNext();
  if (!values) return std::nullopt;
  return Row(std::move(prepared.columnNames), std::move(*values));
}

std::optional<Binding> scalarOf(Connection& db, const Expression<void>& compiled) {
  return db.prepare(compiled.template_(), compiled.bindings())->scalar();
}

}  // namespace detail

RowIterator prepareRowIterator(Connection& db, const std::string& sql, const Bindings& bindings) {
  auto statement = db.prepare(sql, bindings);
  auto columnNames = std::make_shared<const ColumnNames>(statement->columnNameMap());
  return RowIterator(std::move(statement), std::move(columnNames));
}

namespace {
template <class Kind, class Answer>
std::int64_t runAndRead(Connection& db, const CompiledStatement<Kind>& statement, Answer answer) {
  return db.sync([&] {
    // Used once and only here, so it lives on the stack rather than behind a shared pointer.
    Statement prepared(db.shared_from_this(), statement.template_());
    prepared.bind(statement.bindings()).run();
    return answer();
  });
}
}  // namespace

std::int64_t run(Connection& db, const Insert& insert) {
  return runAndRead(db, insert, [&] { return db.lastInsertRowid(); });
}

std::int64_t run(Connection& db, const Update& update) {
  return runAndRead(db, update, [&] { return db.changes(); });
}

std::int64_t run(Connection& db, const Delete& del) {
  return runAndRead(db, del, [&] { return db.changes(); });
}

}  // namespace sql
