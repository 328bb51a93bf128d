#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Defaults/UserDefaults.h"
#include "UI/Binding.h"
#include "UI/Node.h"

namespace ui {

class Host;

// Tells the hosts that show something a change that needs a new evaluation. Thread-safe:
// invalidate() may come from any thread (a stored setting written by a pool task); the hosts
// re-evaluate on the main queue.
class Invalidator {
 public:
  void subscribe(const std::shared_ptr<Host>& host);
  void invalidate();

 private:
  std::mutex mutex_;
  std::vector<std::weak_ptr<Host>> hosts_;
};

// A view: a class that owns its state and describes its content in body().
//
// Rules:
// - Views are held by std::shared_ptr (make them with std::make_shared); the host calls body()
//   on the main queue, as often as state changes.
// - body() must not capture `this` into handlers: a handler may run after the view is gone.
//   Capture State, AppStorage, FocusState or Binding values (they hold their own cell), or
//   wrap a member call with weakly(), which reaches the view through a weak_ptr:
//       ui::Button("plus", "+", weakly(this, [](Counter& self) { self.increment(); }))
// - State lives in members: State<T> x{*this, initial}; AppStorage<T> y{*this, "key", def}.
// - A child view that must keep its state across renders is a member shared_ptr of its parent,
//   embedded with ui::Embed(child).
class View : public std::enable_shared_from_this<View> {
 public:
  View();
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  virtual Node body() = 0;

  // Asks every host that shows this view to evaluate it again (coalesced, on the main queue).
  void invalidate() { invalidator_->invalidate(); }
  const std::shared_ptr<Invalidator>& invalidator() const { return invalidator_; }

  // The object of type T that a node above this view (or the host) hands down; null when none.
  // Valid inside body() and in handlers after the first evaluation.
  template <class T>
  std::shared_ptr<T> environmentObject() const {
    return environment_.get<T>();
  }

  // The host that last evaluated this view; null before the first evaluation or after the host
  // is gone.
  std::shared_ptr<Host> host() const { return host_.lock(); }

  // A handler that calls `function(self, args...)` while the view lives and does nothing after.
  template <class Self, class Function>
  static auto weakly(Self* self, Function function) {
    std::weak_ptr<Self> weak = std::static_pointer_cast<Self>(self->shared_from_this());
    return [weak, function](auto&&... args) {
      if (auto strong = weak.lock()) function(*strong, std::forward<decltype(args)>(args)...);
    };
  }

 private:
  friend class Host;
  std::shared_ptr<Invalidator> invalidator_;
  EnvironmentObjects environment_;
  std::weak_ptr<Host> host_;
};

// View state: a value that lasts as long as its view and re-renders the view's hosts when set.
// A handle on a shared cell: copies (captured into handlers) and its bindings reach the same
// value, and stay safe after the view is gone. Main queue only.
template <class T>
class State {
 public:
  State(View& owner, T initial)
      : cell_(std::make_shared<Cell>(Cell{std::move(initial), owner.invalidator()})) {}

  const T& get() const { return cell_->value; }
  const T& operator*() const { return cell_->value; }
  const T* operator->() const { return &cell_->value; }
  // Stores `value` and re-renders when it differs from the present one.
  void set(T value) const {
    if constexpr (requires(const T& a, const T& b) { a == b; }) {
      if (cell_->value == value) return;
    }
    cell_->value = std::move(value);
    if (auto invalidator = cell_->invalidator.lock()) invalidator->invalidate();
  }
  Binding<T> binding() const {
    auto cell = cell_;
    return Binding<T>([cell] { return cell->value; },
                      [handle = *this](T value) { handle.set(std::move(value)); });
  }

 private:
  struct Cell {
    T value;
    std::weak_ptr<Invalidator> invalidator;
  };
  std::shared_ptr<Cell> cell_;
};

// Focus shared between views: a parent's FocusState handed to a child (copy or binding()) and
// given to an editor with Node::focused(). The host sets it when the editor takes or loses
// the keyboard focus; setting it true moves the focus to that editor.
using FocusState = State<bool>;

// Types a stored setting can have.
template <class T>
concept StorableSetting = std::same_as<T, std::string> || std::same_as<T, bool> ||
    std::same_as<T, std::int64_t> || std::same_as<T, double>;

// A stored setting: a value bound to one key of the user-defaults store of the environment in
// force when it is made. Reading gives the stored value (converted as the store converts), or
// the default while the key is absent; writing stores it at once. Every change of the key, from
// anywhere (another view, another window, a service), re-renders the owner's hosts: the setting
// observes the store. A handle like State; thread-safe like the store.
template <StorableSetting T>
class AppStorage {
 public:
  AppStorage(View& owner, std::string key, T defaultValue);

  T get() const;
  T operator*() const { return get(); }
  void set(T value) const;
  void remove() const { impl_->store->remove(impl_->key); }
  bool isStored() const { return impl_->store->contains(impl_->key); }
  Binding<T> binding() const {
    return Binding<T>([handle = *this] { return handle.get(); },
                      [handle = *this](T value) { handle.set(value); });
  }
  const std::string& key() const { return impl_->key; }

 private:
  struct Impl {
    std::shared_ptr<platform::UserDefaults> store;
    std::string key;
    T defaultValue;
    platform::UserDefaults::ObserverToken token;
    ~Impl() { store->removeObserver(token); }
  };
  std::shared_ptr<Impl> impl_;
};

// The store of the installed environment; throws std::logic_error when it has none.
std::shared_ptr<platform::UserDefaults> currentUserDefaults();

template <StorableSetting T>
AppStorage<T>::AppStorage(View& owner, std::string key, T defaultValue) : impl_(std::make_shared<Impl>()) {
  impl_->store = currentUserDefaults();
  impl_->key = std::move(key);
  impl_->defaultValue = std::move(defaultValue);
  std::weak_ptr<Invalidator> invalidator = owner.invalidator();
  impl_->token = impl_->store->addObserver(impl_->key, [invalidator](const std::string&, const auto&) {
    if (auto strong = invalidator.lock()) strong->invalidate();
  });
}

template <StorableSetting T>
T AppStorage<T>::get() const {
  const auto& store = *impl_->store;
  if (!store.contains(impl_->key)) return impl_->defaultValue;
  if constexpr (std::same_as<T, std::string>) return store.string(impl_->key).value_or(impl_->defaultValue);
  if constexpr (std::same_as<T, bool>) return store.bool_(impl_->key);
  if constexpr (std::same_as<T, std::int64_t>) return store.integer(impl_->key);
  if constexpr (std::same_as<T, double>) return store.double_(impl_->key);
}

template <StorableSetting T>
void AppStorage<T>::set(T value) const {
  auto& store = *impl_->store;
  if constexpr (std::same_as<T, std::string>) store.setString(impl_->key, std::move(value));
  if constexpr (std::same_as<T, bool>) store.setBool(impl_->key, value);
  if constexpr (std::same_as<T, std::int64_t>) store.setInteger(impl_->key, value);
  if constexpr (std::same_as<T, double>) store.setDouble(impl_->key, value);
}

}  // namespace ui
