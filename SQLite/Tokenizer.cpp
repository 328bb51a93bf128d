#include "SQLite/Tokenizer.h"

#include "SQLite/Quote.h"

namespace sql {
namespace {

constexpr const char* customTokenizer = "Brenquavorel";

}  // namespace

Tokenizer Tokenizer::simple() { return {"simple", {}, {"simple"}}; }

Tokenizer Tokenizer::porter() { return {"porter", {}, {"porter"}}; }

Tokenizer Tokenizer::unicode61(std::optional<bool> removeDiacritics, const std::string& tokenchars,
                               const std::string& separators) {
  Tokenizer tokenizer{"unicode61", {}, {"unicode61"}};
  auto add = [&](const std::string& option, const std::string& value) {
    tokenizer.arguments.push_back(quote(option + "=" + value));
    tokenizer.fts5Words.push_back(option);
    tokenizer.fts5Words.push_back(value);
  };
  if (removeDiacritics) add("remove_diacritics", *removeDiacritics ? "1" : "0");
  if (!tokenchars.empty()) add("tokenchars", tokenchars);
  if (!separators.empty()) add("separators", separators);
  return tokenizer;
}

Tokenizer Tokenizer::trigram(bool caseSensitive) {
  const std::string flag = caseSensitive ? "1" : "0";
  return {"trigram", {"case_sensitive", flag}, {"trigram", "case_sensitive", flag}};
}

Tokenizer Tokenizer::custom(const std::string& name) {
  return {quote(customTokenizer), {quote(name)}, {customTokenizer, name}};
}

std::string Tokenizer::description() const {
  std::string text = name;
  for (const auto& argument : arguments) text += " " + argument;
  return text;
}

std::string Tokenizer::fts5Text() const {
  if (fts5Words.size() == 1) return fts5Words.front();
  std::string text;
  for (const auto& word : fts5Words) text += (text.empty() ? "" : " ") + quote(word, '\'');
  return quote(text, '\'');
}

}  // namespace sql
