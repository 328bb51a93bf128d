#pragma once

#include "SQLite/Statement.h"

#include <iterator>
#include <memory>
#include <utility>

namespace sql {

// A shared holder of one prepared statement: what Connection::prepare and Connection::run give.
// It is a std::shared_ptr<Statement> in every use but one. A range-for keeps alive only the
// object its range expression yields, not the temporaries that expression made, so over a plain
// shared_ptr `for (const auto& row : *db->prepare(...))` would iterate a statement freed before
// the loop began. Dereferencing a temporary StatementPointer therefore yields an OwningRange,
// which holds the statement for as long as the loop runs. Dereferencing a named one gives the
// Statement itself, as before.
class StatementPointer : public std::shared_ptr<Statement> {
 public:
  // The rows of a statement, iterated as the statement iterates them, with the statement held
  // by the range.
  class OwningRange {
   public:
    explicit OwningRange(std::shared_ptr<Statement> statement) noexcept : statement_(std::move(statement)) {}
    Statement::Iterator begin() const { return statement_->begin(); }
    std::default_sentinel_t end() const noexcept { return {}; }

   private:
    std::shared_ptr<Statement> statement_;
  };

  StatementPointer() = default;
  // Implicit, so that a StatementPointer and a std::shared_ptr<Statement> pass for each other.
  StatementPointer(std::shared_ptr<Statement> statement) noexcept  // NOLINT(google-explicit-constructor)
      : std::shared_ptr<Statement>(std::move(statement)) {}

  Statement& operator*() const& noexcept { return *get(); }
  OwningRange operator*() const&& noexcept { return OwningRange(*this); }
};

}  // namespace sql
