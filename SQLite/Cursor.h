#pragma once

#include "SQLite/Binding.h"
#include "SQLite/Int.h"

// The engine's header, not a declaration of its types: the numeric reads below are inline.
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sql {

// The current row of a statement. Owns nothing of the engine's: valid while its statement
// lives, and its reads reflect whatever row the statement stands on. Every read copies the
// value out. Column indexes count from 0 and must be below the statement's column count. Not
// for use from two threads at once (like its statement).
class Cursor {
 public:
  Cursor(sqlite3_stmt* handle, int columnCount) noexcept : handle_(handle), columnCount_(columnCount) {}

  int columnCount() const noexcept { return columnCount_; }

  // Column `index` in its stored type; absent for NULL.
  std::optional<Binding> operator[](int index) const;
  // Every column of the current row, in order.
  Bindings values() const;
  // The same into `row`, reusing the storage of its text and blob values where it can. The
  // whole row is read under one hold of the connection's mutex.
  void readInto(Bindings& row) const;
  // As readInto, for a caller that holds the connection's mutex already (work on the
  // connection's queue does).
  void readIntoUnderLock(Bindings& row) const;

  // Typed reads: the engine converts the stored value to the requested type.
  // T is one of double, std::int64_t, std::string, Blob, bool, Int.
  template <class T>
  T get(int index) const;

 private:
  // The numeric reads are inline: they sit on the hot path of every typed row read.
  double readDouble(int index) const { return sqlite3_column_double(handle_, index); }
  std::int64_t readInt64(int index) const { return sqlite3_column_int64(handle_, index); }
  std::string readText(int index) const;
  Blob readBlob(int index) const;

  // The columns by the storage type each held in the row read last. A row is read group by
  // group, each column tested against the type it held before: a test that nearly always
  // passes, where a dispatch on each column's type in turn takes another way at every column
  // and is mispredicted at each. A column whose type changed is read as it is, and the groups
  // are made again from that row.
  struct ColumnGroups {
    // The column indexes, integers first, then floats, then texts, then the others (NULL and
    // blobs, read as they are); each group ends where the next begins.
    std::vector<int> columns;
    std::size_t floatsBegin = 0;
    std::size_t textsBegin = 0;
    std::size_t othersBegin = 0;
    bool made = false;
  };
  void regroup(const Bindings& row) const;

  sqlite3_stmt* handle_;
  int columnCount_;
  mutable ColumnGroups groups_;
};

template <>
inline double Cursor::get<double>(int index) const {
  return readDouble(index);
}
template <>
inline std::int64_t Cursor::get<std::int64_t>(int index) const {
  return readInt64(index);
}
template <>
inline std::string Cursor::get<std::string>(int index) const {
  return readText(index);
}
template <>
inline Blob Cursor::get<Blob>(int index) const {
  return readBlob(index);
}
template <>
inline bool Cursor::get<bool>(int index) const {
  return readInt64(index) != 0;
}
template <>
inline Int Cursor::get<Int>(int index) const {
  return Int{readInt64(index)};
}

}  // namespace sql
