#include "SQLite/Query/SchemaCompiler.h"

#include <array>
#include <cctype>

#include "SQLite/Query/QueryCompiler.h"

namespace sql {

namespace {
constexpr std::array<std::string_view, 5> dependencyTexts{"NO ACTION", "RESTRICT", "SET NULL", "SET DEFAULT",
                                                          "CASCADE"};

// Collects the present parts of a statement; joined by single blanks at the end.
class PartList {
 public:
  PartList& add(std::string_view word) {
    parts_.push_back(Expression<void>::literal(std::string(word)));
    return *this;
  }
  PartList& add(Expression<void> part) {
    parts_.push_back(std::move(part));
    return *this;
  }
  Expression<void> joined() const { return join(" ", parts_); }

 private:
  std::vector<Expression<void>> parts_;
};
// True when the text is one parenthesised group: "(" ... ")" with the first parenthesis
// closed by the last character. Parentheses inside quoted identifiers and literals are skipped.
bool isParenthesised(std::string_view text) {
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
  int depth = 0;
  char quote = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled mark closes and reopens: the same state
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i == text.size() - 1;
    }
  }
  return false;
}

}  // namespace

std::string_view rawText(Dependency dependency) {
  return dependencyTexts[static_cast<std::size_t>(dependency)];
}

std::optional<Dependency> dependencyFromRawText(std::string_view text) {
  for (std::size_t i = 0; i < dependencyTexts.size(); ++i) {
    if (dependencyTexts[i] == text) return static_cast<Dependency>(i);
  }
  return std::nullopt;
}

namespace detail {

Expression<void> render(const ColumnDefinition& definition) {
  PartList parts;
  parts.add(definition.column).add(definition.typeWord);
  if (definition.primaryKey) {
    parts.add(*definition.primaryKey == PrimaryKey::autoincrement ? "PRIMARY KEY AUTOINCREMENT"
                                                                  : "PRIMARY KEY");
  }
  if (!definition.nullAllowed) parts.add("NOT NULL");
  if (definition.unique) parts.add("UNIQUE");
  if (definition.check) {
    // Operator conditions carry their own parentheses; ranges and raw conditions get a pair,
    // which the column CHECK requires.
    const auto& condition = *definition.check;
    parts.add(join(" ", {Expression<void>::literal("CHECK"),
                         isParenthesised(condition.template_()) ? condition : wrap("", condition)}));
  }
  if (definition.defaultValue) parts.add(wrap("DEFAULT ", *definition.defaultValue));
  if (definition.references) {
    parts.add("REFERENCES").add(definition.references->first).add(wrap("", definition.references->second));
  }
  if (definition.collate) parts.add("COLLATE").add(definition.collate->expression());
  return parts.joined();
}

Expression<void> foreignKey(const std::vector<Expression<void>>& columns, const Expression<void>& table,
                            const std::vector<Expression<void>>& referenced, std::optional<Dependency> update,
                            std::optional<Dependency> delete_) {
  PartList parts;
  parts.add(wrap("FOREIGN KEY ", join(", ", columns)))
      .add("REFERENCES")
      .add(table)
      .add(wrap("", join(", ", referenced)));
  if (update) parts.add("ON UPDATE " + std::string(rawText(*update)));
  if (delete_) parts.add("ON DELETE " + std::string(rawText(*delete_)));
  return parts.joined();
}

}  // namespace detail

namespace schema {

Expression<void> createPrefix(std::string_view kind, const Expression<void>& name,
                              std::optional<std::string_view> modifier, bool ifNotExists) {
  PartList parts;
  parts.add("CREATE");
  if (modifier) parts.add(*modifier);
  parts.add(kind);
  if (ifNotExists) parts.add("IF NOT EXISTS");
  parts.add(name);
  return parts.joined();
}

std::string createTable(const FromClause& table, bool temporary, bool ifNotExists, bool withoutRowid,
                        const TableBuilder& builder) {
  PartList parts;
  parts
      .add(createPrefix("TABLE", compiler::tableName(table, false),
                        temporary ? std::optional<std::string_view>("TEMPORARY") : std::nullopt, ifNotExists))
      .add(wrap("", join(", ", builder.definitions())));
  if (withoutRowid) parts.add("WITHOUT ROWID");
  return parts.joined().asSQL();
}

std::string createFromQuery(std::string_view kind, const FromClause& target, const Expression<void>& query,
                            bool temporary, bool ifNotExists) {
  PartList parts;
  parts
      .add(createPrefix(kind, compiler::tableName(target, false),
                        temporary ? std::optional<std::string_view>("TEMPORARY") : std::nullopt, ifNotExists))
      .add("AS")
      .add(query);
  return parts.joined().asSQL();
}

std::string createVirtualTable(const FromClause& table, const Module& module, bool ifNotExists) {
  PartList parts;
  parts.add(createPrefix("VIRTUAL TABLE", compiler::tableName(table, false), std::nullopt, ifNotExists))
      .add("USING")
      .add(module.expression());
  return parts.joined().asSQL();
}

std::string drop(std::string_view kind, const Expression<void>& name, bool ifExists) {
  PartList parts;
  parts.add("DROP " + std::string(kind));
  if (ifExists) parts.add("IF EXISTS");
  parts.add(name);
  return parts.joined().asSQL();
}

std::string addColumn(const FromClause& table, const Expression<void>& definition) {
  return PartList()
      .add("ALTER TABLE")
      .add(compiler::tableName(table, false))
      .add("ADD COLUMN")
      .add(definition)
      .joined()
      .asSQL();
}

std::string rename(const FromClause& table, const FromClause& renamed) {
  return PartList()
      .add("ALTER TABLE")
      .add(compiler::tableName(table, false))
      .add("RENAME TO")
      .add(Expression<void>(quote(renamed.name, '"'), {}))
      .joined()
      .asSQL();
}

Expression<void> indexName(const FromClause& table, const std::vector<Expression<void>>& columns) {
  std::string words = "index " + table.name + " on";
  for (const auto& column : columns) words += " " + column.template_();
  std::string name;
  name.reserve(words.size());
  for (char c : words) {
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;  // one "_" per multi-byte character
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == '"') continue;
    name += ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) ? lower : '_';
  }
  std::string text = quote(name, '"');
  if (table.database) text = quote(*table.database, '"') + "." + text;
  return Expression<void>(std::move(text), {});
}

std::string createIndex(const FromClause& table, const std::vector<Expression<void>>& columns, bool unique,
                        bool ifNotExists) {
  return PartList()
      .add(createPrefix("INDEX", indexName(table, columns),
                        unique ? std::optional<std::string_view>("UNIQUE") : std::nullopt, ifNotExists))
      .add("ON")
      .add(compiler::tableNameQualified(table, false))
      .add(wrap("", join(", ", columns)))
      .joined()
      .asSQL();
}

std::string dropIndex(const FromClause& table, const std::vector<Expression<void>>& columns, bool ifExists) {
  return drop("INDEX", indexName(table, columns), ifExists);
}

}  // namespace schema
}  // namespace sql
