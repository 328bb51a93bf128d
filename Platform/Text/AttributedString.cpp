#include "Platform/Text/AttributedString.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace platform {

namespace {

bool isParagraphSeparator(char16_t c) { return c == u'\n' || c == u'\r' || c == u'\u2029'; }

}  // namespace

AttributedString::AttributedString(std::u16string text, Attributes attributes) : text_(std::move(text)) {
  if (!text_.empty()) {
    runs_.push_back({0, text_.size(), std::move(attributes)});
  }
}

void AttributedString::checkRange(TextRange range) const {
  if (range.location > text_.size() || range.length > text_.size() - range.location) {
    throw std::out_of_range("attributed string: range outside the text");
  }
}

std::size_t AttributedString::runIndexAt(std::size_t position) const {
  auto after = std::upper_bound(runs_.begin(), runs_.end(), position,
                                [](std::size_t p, const Run& run) { return p < run.location; });
  return static_cast<std::size_t>(after - runs_.begin()) - 1;
}

std::size_t AttributedString::splitAt(std::size_t position) {
  if (position == text_.size()) {
    return runs_.size();
  }
  std::size_t index = runIndexAt(position);
  Run& run = runs_[index];
  if (run.location == position) {
    return index;
  }
  Run tail{position, run.end() - position, run.attributes};
  run.length = position - run.location;
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(tail));
  return index + 1;
}

void AttributedString::mergeRuns(std::size_t first, std::size_t last) {
  // Merges equal neighbours among runs_[first, last], both ends included and clamped.
  if (runs_.empty()) {
    return;
  }
  last = std::min(last, runs_.size() - 1);
  std::size_t index = first;
  while (index < last) {
    if (runs_[index].attributes == runs_[index + 1].attributes) {
      runs_[index].length += runs_[index + 1].length;
      runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
      --last;
    } else {
      ++index;
    }
  }
}

const Attributes& AttributedString::attributes(std::size_t position, TextRange* effectiveRange) const {
  if (position >= text_.size()) {
    throw std::out_of_range("attributed string: position outside the text");
  }
  const Run& run = runs_[runIndexAt(position)];
  if (effectiveRange != nullptr) {
    *effectiveRange = {run.location, run.length};
  }
  return run.attributes;
}

const AttributeValue* AttributedString::attribute(const std::string& key, std::size_t position,
                                                  TextRange* longestRange) const {
  if (position >= text_.size()) {
    throw std::out_of_range("attributed string: position outside the text");
  }
  std::size_t index = runIndexAt(position);
  auto valueIn = [&key](const Run& run) -> const AttributeValue* {
    auto found = run.attributes.find(key);
    return found != run.attributes.end() ? &found->second : nullptr;
  };
  const AttributeValue* value = valueIn(runs_[index]);
  if (longestRange != nullptr) {
    auto same = [&](const Run& run) {
      const AttributeValue* other = valueIn(run);
      return value == nullptr ? other == nullptr : other != nullptr && *other == *value;
    };
    std::size_t first = index;
    while (first > 0 && same(runs_[first - 1])) {
      --first;
    }
    std::size_t last = index;
    while (last + 1 < runs_.size() && same(runs_[last + 1])) {
      ++last;
    }
    *longestRange = {runs_[first].location, runs_[last].end() - runs_[first].location};
  }
  return value;
}

std::vector<AttributeRun> AttributedString::runsOf(const std::string& key, TextRange range) const {
  checkRange(range);
  std::vector<AttributeRun> result;
  if (range.length == 0) {
    return result;
  }
  for (std::size_t index = runIndexAt(range.location); index < runs_.size(); ++index) {
    const Run& run = runs_[index];
    if (run.location >= range.end()) {
      break;
    }
    std::size_t start = std::max(run.location, range.location);
    std::size_t end = std::min(run.end(), range.end());
    auto found = run.attributes.find(key);
    std::optional<AttributeValue> value;
    if (found != run.attributes.end()) {
      value = found->second;
    }
    if (!result.empty() && result.back().value == value) {
      result.back().range.length += end - start;
    } else {
      result.push_back({std::move(value), {start, end - start}});
    }
  }
  return result;
}

void AttributedString::enumerateAttribute(
    const std::string& key, TextRange range,
    const std::function<void(const AttributeValue*, TextRange)>& visit) const {
  for (const AttributeRun& run : runsOf(key, range)) {
    visit(run.value ? &*run.value : nullptr, run.range);
  }
}

void AttributedString::enumerateAttributes(
    TextRange range, const std::function<void(const Attributes&, TextRange)>& visit) const {
  checkRange(range);
  if (range.length == 0) {
    return;
  }
  std::vector<std::pair<Attributes, TextRange>> pieces;
  for (std::size_t index = runIndexAt(range.location);
       index < runs_.size() && runs_[index].location < range.end(); ++index) {
    const Run& run = runs_[index];
    std::size_t start = std::max(run.location, range.location);
    std::size_t end = std::min(run.end(), range.end());
    pieces.emplace_back(run.attributes, TextRange{start, end - start});
  }
  for (const auto& [attributes, pieceRange] : pieces) {
    visit(attributes, pieceRange);
  }
}

void AttributedString::changeAttributes(TextRange range, const std::function<void(Attributes&)>& change) {
  checkRange(range);
  if (range.length == 0) {
    return;
  }
  std::size_t first = splitAt(range.location);
  std::size_t last = splitAt(range.end());
  for (std::size_t index = first; index < last; ++index) {
    change(runs_[index].attributes);
  }
  mergeRuns(first > 0 ? first - 1 : 0, last);
}

void AttributedString::setAttributes(const Attributes& attributes, TextRange range) {
  changeAttributes(range, [&attributes](Attributes& target) { target = attributes; });
}

void AttributedString::addAttribute(const std::string& key, const AttributeValue& value, TextRange range) {
  changeAttributes(range, [&](Attributes& target) { target.insert_or_assign(key, value); });
}

void AttributedString::addAttributes(const Attributes& attributes, TextRange range) {
  changeAttributes(range, [&attributes](Attributes& target) {
    for (const auto& [key, value] : attributes) {
      target.insert_or_assign(key, value);
    }
  });
}

void AttributedString::removeAttribute(const std::string& key, TextRange range) {
  changeAttributes(range, [&key](Attributes& target) { target.erase(key); });
}

void AttributedString::append(const AttributedString& other) { insert(other, text_.size()); }

void AttributedString::insert(const AttributedString& other, std::size_t position) {
  replaceCharacters({position, 0}, other);
}

void AttributedString::replaceCharacters(TextRange range, const AttributedString& replacement) {
  checkRange(range);
  std::size_t first = splitAt(range.location);
  std::size_t last = splitAt(range.end());
  runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first),
              runs_.begin() + static_cast<std::ptrdiff_t>(last));
  std::vector<Run> inserted = replacement.runs_;
  for (Run& run : inserted) {
    run.location += range.location;
  }
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(first), inserted.begin(), inserted.end());
  text_.replace(range.location, range.length, replacement.text_);
  std::size_t after = first + inserted.size();
  std::ptrdiff_t shift =
      static_cast<std::ptrdiff_t>(replacement.length()) - static_cast<std::ptrdiff_t>(range.length);
  for (std::size_t index = after; index < runs_.size(); ++index) {
    runs_[index].location =
        static_cast<std::size_t>(static_cast<std::ptrdiff_t>(runs_[index].location) + shift);
  }
  mergeRuns(first > 0 ? first - 1 : 0, after);
}

void AttributedString::replaceCharacters(TextRange range, const std::u16string& replacement) {
  checkRange(range);
  Attributes inherited;
  if (range.length > 0) {
    inherited = attributes(range.location);
  } else if (range.location > 0) {
    inherited = attributes(range.location - 1);
  }
  replaceCharacters(range, AttributedString(replacement, std::move(inherited)));
}

AttributedString AttributedString::substring(TextRange range) const {
  checkRange(range);
  AttributedString result;
  result.text_ = text_.substr(range.location, range.length);
  enumerateAttributes(range, [&](const Attributes& attributes, TextRange piece) {
    result.runs_.push_back({piece.location - range.location, piece.length, attributes});
  });
  return result;
}

TextRange AttributedString::paragraphRange(TextRange range) const {
  checkRange(range);
  std::size_t start = range.location;
  // The LF of a CR LF pair belongs to the paragraph that its CR ends.
  if (start > 0 && start < text_.size() && text_[start] == u'\n' && text_[start - 1] == u'\r') {
    --start;
  }
  while (start > 0 && !isParagraphSeparator(text_[start - 1])) {
    --start;
  }
  std::size_t end = range.length > 0 ? range.end() - 1 : range.location;
  while (end < text_.size() && !isParagraphSeparator(text_[end])) {
    ++end;
  }
  if (end < text_.size()) {
    bool crlf = text_[end] == u'\r' && end + 1 < text_.size() && text_[end + 1] == u'\n';
    end += crlf ? 2 : 1;
  }
  return {start, end - start};
}

bool AttributedString::operator==(const AttributedString& other) const {
  return text_ == other.text_ && runs_ == other.runs_;
}

}  // namespace platform
