#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SQLite/Query/Expression.h"

namespace sql {

// A virtual-table module with its arguments: name(arg, arg, ...). The public constructor
// quotes the name as an identifier; `bare` keeps it as given (fts4, fts5, rtree).
class Module {
 public:
  Module(std::string_view name, std::vector<Expression<void>> arguments)
      : name_(quote(name, '"')), arguments_(std::move(arguments)) {}

  static Module bare(std::string name, std::vector<Expression<void>> arguments) {
    Module module(std::move(arguments));
    module.name_ = std::move(name);
    return module;
  }

  const std::string& name() const { return name_; }
  const std::vector<Expression<void>>& arguments() const { return arguments_; }

  Expression<void> expression() const { return wrap(name_, join(", ", arguments_)); }

 private:
  explicit Module(std::vector<Expression<void>> arguments) : arguments_(std::move(arguments)) {}

  std::string name_;
  std::vector<Expression<void>> arguments_;
};

}  // namespace sql
