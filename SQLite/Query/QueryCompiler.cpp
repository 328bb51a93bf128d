#include "SQLite/Query/QueryCompiler.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace sql::compiler {

namespace {

// Appends the parts of a statement, one blank between neighbouring parts, bindings in text
// order. An absent part is simply never added, so it leaves no blank behind.
class Parts;

// Appends an item that is itself a fragment.
struct Identity {
  void operator()(Parts& parts, const Expression<void>& item) const;
};

class Parts {
 public:
  Parts() {
    text_.reserve(256);
    bindings_.reserve(8);
  }

  Parts& word(std::string_view text) {
    separate();
    text_.append(text);
    return *this;
  }

  template <class T>
  Parts& fragment(const Expression<T>& part) {
    separate();
    append(part);
    return *this;
  }

  // The table's name as tableName(from, alias) writes it, straight into the text.
  Parts& source(const FromClause& from, bool alias) {
    separate();
    appendTableName(text_, from, alias);
    return *this;
  }

  // The items joined by `separator`, each added with its bindings; `project` picks the fragment
  // of an item (a setter's column, value or assignment), so nothing is copied on the way.
  template <class Items, class Project = Identity>
  Parts& list(const Items& items, std::string_view separator = ", ", Project project = {}) {
    separate();
    appendList(items, separator, project);
    return *this;
  }

  // "(" items joined by ", " ")".
  template <class Items, class Project = Identity>
  Parts& parenthesised(const Items& items, Project project = {}) {
    separate();
    text_ += '(';
    appendList(items, ", ", project);
    text_ += ')';
    return *this;
  }

  // Appends a fragment's text and bindings with no blank before it.
  template <class T>
  void append(const Expression<T>& part) {
    text_.append(part.template_());
    bindings_.insert(bindings_.end(), part.bindings().begin(), part.bindings().end());
  }

  void appendText(std::string_view text) { text_.append(text); }

  Expression<void> build() { return Expression<void>(std::move(text_), std::move(bindings_)); }

 private:
  void separate() {
    if (started_) text_ += ' ';
    started_ = true;
  }

  template <class Items, class Project>
  void appendList(const Items& items, std::string_view separator, Project project) {
    bool first = true;
    for (const auto& item : items) {
      if (!first) text_.append(separator);
      first = false;
      project(*this, item);
    }
  }

  std::string text_;
  Bindings bindings_;
  bool started_ = false;
};

void Identity::operator()(Parts& parts, const Expression<void>& item) const { parts.append(item); }

const auto columnOf = [](Parts& parts, const Setter& setter) { parts.append(setter.column()); };
const auto valueOf = [](Parts& parts, const Setter& setter) { parts.append(setter.value()); };
const auto assignmentOf = [](Parts& parts, const Setter& setter) {
  parts.append(setter.column());
  parts.appendText(" = ");
  parts.append(setter.value());
};

// The alias when there is one, else the name.
std::string_view sourceName(const FromClause& from) { return from.alias ? *from.alias : from.name; }

Expression<void> quoted(std::string_view name) { return Expression<void>(quote(name, '"'), {}); }

void addWith(Parts& parts, const WithClauses& with) {
  if (with.clauses.empty()) return;
  std::vector<Expression<void>> rendered;
  rendered.reserve(with.clauses.size());
  for (const auto& clause : with.clauses) {
    Parts one;
    one.source(clause.alias, false);
    if (clause.columns) one.parenthesised(*clause.columns);
    one.word("AS");
    if (clause.hint) one.word(rawText(*clause.hint));
    one.fragment(wrap("", select(*clause.query)));
    rendered.push_back(one.build());
  }
  parts.word(with.recursive ? "WITH RECURSIVE" : "WITH").list(rendered);
}

void addSelectList(Parts& parts, const QueryClauses& clauses) {
  parts.word(clauses.select.distinct ? "SELECT DISTINCT" : "SELECT")
      .list(clauses.select.columns)
      .word("FROM")
      .source(clauses.from, true);
}

void addJoins(Parts& parts, const QueryClauses& clauses) {
  for (const auto& join : clauses.join) {
    parts.word(std::string(rawText(join.type)) + " JOIN")
        .source(join.query->from, true)
        .word("ON")
        .fragment(join.condition);
  }
}

void addWhere(Parts& parts, const QueryClauses& clauses) {
  if (clauses.filters) parts.word("WHERE").fragment(*clauses.filters);
}

void addGroupBy(Parts& parts, const QueryClauses& clauses) {
  if (!clauses.group) return;
  parts.word("GROUP BY").list(clauses.group->by);
  if (clauses.group->having) parts.word("HAVING").fragment(*clauses.group->having);
}

void addUnions(Parts& parts, const QueryClauses& clauses) {
  for (const auto& entry : clauses.union_) {
    parts.word(entry.all ? "UNION ALL" : "UNION").fragment(select(*entry.query));
  }
}

void addOrderBy(Parts& parts, const QueryClauses& clauses) {
  if (!clauses.order.empty()) parts.word("ORDER BY").list(clauses.order);
}

void addLimit(Parts& parts, const QueryClauses& clauses) {
  if (!clauses.limit) return;
  parts.word("LIMIT " + std::to_string(clauses.limit->length));
  if (clauses.limit->offset) parts.word("OFFSET " + std::to_string(*clauses.limit->offset));
}

void addInsertHead(Parts& parts, const QueryClauses& clauses, std::optional<OnConflict> resolution) {
  parts.word("INSERT");
  if (resolution) parts.word("OR " + std::string(rawText(*resolution)));
  parts.word("INTO").source(clauses.from, false);
}

// The values of `row` in the order of `columns`, matched by column text.
std::vector<Expression<void>> valuesInColumnOrder(const std::vector<Expression<void>>& columns,
                                                  const std::vector<Setter>& row) {
  if (row.size() != columns.size()) {
    throw std::invalid_argument("a row of a multi-row insert sets " + std::to_string(row.size()) +
                                " columns where the first row sets " + std::to_string(columns.size()));
  }
  std::vector<Expression<void>> values;
  values.reserve(columns.size());
  for (const auto& column : columns) {
    const Setter* match = nullptr;
    for (const auto& setter : row) {
      if (setter.column().template_() == column.template_()) match = &setter;
    }
    if (match == nullptr) {
      throw std::invalid_argument("a row of a multi-row insert does not set the column " +
                                  column.template_());
    }
    values.push_back(match->value());
  }
  return values;
}

// `name` in double quotes, after the source's quoted database and "." when it names one.
void appendInDatabase(std::string& out, const FromClause& from, std::string_view name) {
  if (from.database) {
    appendQuoted(out, *from.database, '"');
    out += '.';
  }
  appendQuoted(out, name, '"');
}

}  // namespace

Expression<void> databaseNamespace(const FromClause& from, std::string_view name) {
  std::string text;
  appendInDatabase(text, from, name);
  return Expression<void>(std::move(text), {});
}

std::string sourceText(const FromClause& from) {
  std::string text;
  appendSourceText(text, from);
  return text;
}

void appendSourceText(std::string& out, const FromClause& from) {
  appendInDatabase(out, from, sourceName(from));
}

void appendTableName(std::string& out, const FromClause& from, bool alias) {
  if (!alias || !from.alias) return appendSourceText(out, from);
  appendInDatabase(out, from, from.name);
  out += " AS ";
  appendQuoted(out, *from.alias, '"');
}

Expression<void> tableName(const FromClause& from, bool alias) {
  std::string text;
  appendTableName(text, from, alias);
  return Expression<void>(std::move(text), {});
}

Expression<void> tableNameQualified(const FromClause& from, bool qualified) {
  if (qualified) return tableName(from, false);
  return quoted(sourceName(from));
}

Expression<void> select(const QueryClauses& clauses) {
  Parts parts;
  addWith(parts, clauses.with);
  addSelectList(parts, clauses);
  addJoins(parts, clauses);
  addWhere(parts, clauses);
  addGroupBy(parts, clauses);
  addUnions(parts, clauses);
  addOrderBy(parts, clauses);
  addLimit(parts, clauses);
  return parts.build();
}

Expression<void> exists(const QueryClauses& clauses) {
  return Parts().word("SELECT EXISTS").fragment(wrap("", select(clauses))).build();
}

Expression<void> insert(const QueryClauses& clauses, std::optional<OnConflict> resolution,
                        std::span<const Setter> setters) {
  Parts parts;
  addInsertHead(parts, clauses, resolution);
  parts.parenthesised(setters, columnOf).word("VALUES").parenthesised(setters, valueOf);
  addWhere(parts, clauses);
  return parts.build();
}

Expression<void> insertMany(const QueryClauses& clauses, std::optional<OnConflict> resolution,
                            const std::vector<std::vector<Setter>>& rows) {
  if (rows.empty()) return insertDefaultValues(clauses);
  std::vector<Expression<void>> columns;
  for (const auto& setter : rows.front()) columns.push_back(setter.column());
  std::vector<Expression<void>> values;
  values.reserve(rows.size());
  for (const auto& row : rows) values.push_back(wrap("", join(", ", valuesInColumnOrder(columns, row))));
  Parts parts;
  addInsertHead(parts, clauses, resolution);
  parts.parenthesised(columns).word("VALUES").list(values);
  addWhere(parts, clauses);
  return parts.build();
}

Expression<void> insertDefaultValues(const QueryClauses& clauses) {
  return Parts().word("INSERT INTO").source(clauses.from, false).word("DEFAULT VALUES").build();
}

Expression<void> insertQuery(const QueryClauses& clauses, const Expression<void>& query) {
  return Parts().word("INSERT INTO").source(clauses.from, false).fragment(query).build();
}

Expression<void> upsert(const QueryClauses& clauses, const std::vector<Setter>& setters,
                        const Expression<void>& conflictTarget,
                        const std::optional<std::vector<Setter>>& assignments) {
  std::vector<Setter> updates;
  if (assignments) {
    updates = *assignments;
  } else {
    const std::string target = conflictTarget.asSQL();
    for (const auto& setter : setters) {
      if (setter.column().asSQL() == target) continue;
      updates.emplace_back(setter.column(),
                           Expression<void>(quote("excluded", '"') + "." + setter.column().template_(),
                                            setter.column().bindings()));
    }
  }
  Parts parts;
  addInsertHead(parts, clauses, std::nullopt);
  parts.parenthesised(setters, columnOf).word("VALUES").parenthesised(setters, valueOf);
  addWhere(parts, clauses);
  parts.word("ON CONFLICT")
      .parenthesised(std::vector<Expression<void>>{conflictTarget})
      .word("DO UPDATE SET")
      .list(updates, ", ", assignmentOf);
  return parts.build();
}

Expression<void> update(const QueryClauses& clauses, std::span<const Setter> setters) {
  Parts parts;
  parts.word("UPDATE").source(clauses.from, false).word("SET").list(setters, ", ", assignmentOf);
  addWhere(parts, clauses);
  addOrderBy(parts, clauses);
  addLimit(parts, clauses);
  return parts.build();
}

Expression<void> delete_(const QueryClauses& clauses) {
  Parts parts;
  parts.word("DELETE FROM").source(clauses.from, false);
  addWhere(parts, clauses);
  addOrderBy(parts, clauses);
  addLimit(parts, clauses);
  return parts.build();
}

}  // namespace sql::compiler
