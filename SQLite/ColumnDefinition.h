#pragma once

#include "SQLite/LiteralValue.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace sql {

// One column of a table as the schema tools read and rebuild it.
struct ColumnDefinition {
  enum class Affinity { INTEGER, NUMERIC, REAL, TEXT, BLOB };
  static constexpr std::array<Affinity, 5> allAffinities{Affinity::INTEGER, Affinity::NUMERIC, Affinity::REAL,
                                                         Affinity::TEXT, Affinity::BLOB};
  static std::string_view rawText(Affinity affinity) noexcept;
  static std::optional<Affinity> affinity(std::string_view rawText) noexcept;
  // The engine's affinity rules over a declared type: INT, then CHAR/CLOB/TEXT, then BLOB,
  // then REAL/FLOA/DOUB, else NUMERIC (also for the empty text).
  static Affinity affinityOf(std::string_view declaredType);

  enum class OnConflict { ROLLBACK, ABORT, FAIL, IGNORE, REPLACE };
  static constexpr std::array<OnConflict, 5> allOnConflicts{
      OnConflict::ROLLBACK, OnConflict::ABORT, OnConflict::FAIL, OnConflict::IGNORE, OnConflict::REPLACE};
  static std::string_view rawText(OnConflict onConflict) noexcept;
  static std::optional<OnConflict> onConflict(std::string_view rawText) noexcept;

  struct PrimaryKey {
    bool autoIncrement = false;
    std::optional<OnConflict> onConflict;

    // PRIMARY KEY [AUTOINCREMENT] [ON CONFLICT <resolution>]
    std::string clauseSQL() const;
    bool operator==(const PrimaryKey&) const = default;
  };

  struct ForeignKey {
    std::string table;                      // the referenced table
    std::string column;                     // the referencing column of this table (not rendered)
    std::optional<std::string> primaryKey;  // the referenced column
    std::optional<std::string> onUpdate;    // action words as SQL spells them; absent: default
    std::optional<std::string> onDelete;

    // REFERENCES "table" ["(" "column" ")"] [ON UPDATE ...] [ON DELETE ...]
    std::string clauseSQL() const;
    bool operator==(const ForeignKey&) const = default;
  };

  std::string name;
  std::optional<PrimaryKey> primaryKey;
  // Absent for a column declared without a type, which keeps no type word when rebuilt (a
  // type word would give it an affinity that converts what it stores).
  std::optional<Affinity> type;
  bool nullable = true;
  LiteralValue defaultValue;  // NULL_ means no default
  std::optional<ForeignKey> references;
  // The column's collating sequence when it is not the engine's default (BINARY); a rebuilt
  // column without it would compare and sort its text differently.
  std::optional<std::string> collation;

  // "name" TYPE [DEFAULT ...] [PRIMARY KEY ...] [NOT NULL] [COLLATE "name"] [REFERENCES ...]
  std::string definitionSQL() const;
  // The same without the primary key clause, for a column of a key over several columns.
  std::string definitionSQLWithoutPrimaryKey() const;

  bool operator==(const ColumnDefinition&) const = default;
};

}  // namespace sql
