#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace ui {

// A read-write handle on a value that lives elsewhere (a view's state, a stored setting, a
// field of a model). A binding owns what its two functions capture, so it stays usable after
// the view that made it is gone: bindings made by State, AppStorage and FocusState hold their
// shared cell, never the view. An empty binding reads T{} and ignores writes.
template <class T>
class Binding {
 public:
  Binding() = default;
  Binding(std::function<T()> get, std::function<void(T)> set) : get_(std::move(get)), set_(std::move(set)) {}

  // A binding to a fixed value that ignores writes.
  static Binding constant(T value) {
    return Binding([value] { return value; }, [](T) {});
  }

  T get() const { return get_ ? get_() : T{}; }
  void set(T value) const {
    if (set_) set_(std::move(value));
  }
  explicit operator bool() const { return static_cast<bool>(get_); }

 private:
  std::function<T()> get_;
  std::function<void(T)> set_;
};

}  // namespace ui
