#pragma once

#include <optional>
#include <utility>

namespace markdown {

// A value computed on first read and kept. Setting it stores the value and counts as
// computed, so a set value is never recomputed. Not synchronised: one thread at a time.
template <class T>
class Lazy {
 public:
  template <class Compute>
  const T& get(Compute&& compute) {
    if (!value_) {
      value_.emplace(std::forward<Compute>(compute)());
    }
    return *value_;
  }

  void set(T value) { value_ = std::move(value); }

 private:
  std::optional<T> value_;
};

}  // namespace markdown
