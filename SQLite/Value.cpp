#include "SQLite/Value.h"

#include <mutex>

namespace sql {
namespace {

// One writable type word, guarded so that a late write cannot tear a concurrent read.
class TypeWord {
 public:
  std::string get() const {
    std::lock_guard lock(mutex_);
    return word_;
  }
  void set(std::string word) {
    std::lock_guard lock(mutex_);
    word_ = std::move(word);
  }

 private:
  mutable std::mutex mutex_;
  std::string word_ = "INTEGER";
};

TypeWord& boolWord() {
  static TypeWord word;
  return word;
}

TypeWord& intWord() {
  static TypeWord word;
  return word;
}

}  // namespace

std::string ValueTraits<bool>::declaredDatatype() { return boolWord().get(); }
void ValueTraits<bool>::setDeclaredDatatype(std::string word) { boolWord().set(std::move(word)); }

std::string ValueTraits<Int>::declaredDatatype() { return intWord().get(); }
void ValueTraits<Int>::setDeclaredDatatype(std::string word) { intWord().set(std::move(word)); }

Data ValueTraits<Data>::fromDatatypeValue(const Blob& stored) {
  Data data(stored.bytes.size());
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::byte>(stored.bytes[i]);
  return data;
}

Date ValueTraits<Date>::fromDatatypeValue(const std::string& stored) {
  if (auto date = dateFormatter()->date(stored)) return *date;
  throw std::invalid_argument("not a stored date: " + stored);
}

UUID ValueTraits<UUID>::fromDatatypeValue(const std::string& stored) {
  if (auto uuid = UUID::fromString(stored)) return *uuid;
  throw std::invalid_argument("not a UUID: " + stored);
}

URL ValueTraits<URL>::fromDatatypeValue(const std::string& stored) {
  if (auto url = URL::fromString(stored)) return *url;
  throw std::invalid_argument("not a URL: " + stored);
}

}  // namespace sql
