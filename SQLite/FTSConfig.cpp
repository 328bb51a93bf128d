#include "SQLite/FTSConfig.h"

#include "SQLite/Quote.h"

#include <algorithm>

namespace sql {

Expression<void> FTSConfig::option(std::string_view key, const Expression<void>& value) {
  return join("=", {Expression<void>::literal(std::string(key)), value});
}

Expression<void> FTSConfig::quotedOption(std::string_view key, std::string_view value) {
  return option(key, Expression<void>::literal(quote(value)));
}

std::vector<Expression<void>> FTSConfig::columnArguments() const {
  std::vector<Expression<void>> arguments;
  for (const auto& column : columns_) arguments.push_back(column.expression);
  return arguments;
}

std::vector<Expression<void>> FTSConfig::moduleArguments() const {
  auto arguments = columnArguments();
  if (tokenizer_)
    arguments.push_back(option("tokenize", Expression<void>::literal(tokenizerText(*tokenizer_))));
  if (!prefixes_.empty()) {
    auto sorted = prefixes_;
    std::sort(sorted.begin(), sorted.end());
    std::string text;
    for (int length : sorted) text += (text.empty() ? "" : ",") + std::to_string(length);
    arguments.push_back(quotedOption("prefix", text));
  }
  if (contentless_)
    arguments.push_back(quotedOption("content", ""));
  else if (externalContent_)
    arguments.push_back(option("content", *externalContent_));
  return arguments;
}

}  // namespace sql
