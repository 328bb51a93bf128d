#pragma once

#include <exception>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sql {

// One index of a table as the schema tools read and rebuild it.
struct IndexDefinition {
  enum class Order { ASC, DESC };
  static std::string_view rawText(Order order) noexcept;
  static std::optional<Order> order(std::string_view rawText) noexcept;

  // An index name too long to be rebuilt under its "tmp_" name.
  class IndexError : public std::exception {
   public:
    static constexpr std::size_t maximumNameLength = 64;
    static IndexError tooLong(std::string name, std::string table);

    const std::string& name() const noexcept { return name_; }
    const std::string& table() const noexcept { return table_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

   private:
    IndexError(std::string name, std::string table);
    std::string name_;
    std::string table_;
    std::string description_;
  };

  std::string table;
  std::string name;
  bool unique = false;
  std::vector<std::string> columns;  // in index order
  std::optional<std::string> where;  // the condition of a partial index, without WHERE
  // Explicit orders by column; a column missing from the map has none.
  std::optional<std::map<std::string, Order>> orders;

  // CREATE [UNIQUE] INDEX [IF NOT EXISTS] "name" ON "table" ("a", "b" DESC) [WHERE ...]
  std::string createSQL(bool ifNotExists = false) const;

  // From a stored CREATE INDEX text: the partial-index condition, absent when there is none
  // (or it spans lines), and the columns written with DESC.
  static std::optional<std::string> whereOf(const std::string& storedSQL);
  static std::map<std::string, Order> ordersOf(const std::string& storedSQL);

  bool operator==(const IndexDefinition&) const = default;
};

}  // namespace sql
