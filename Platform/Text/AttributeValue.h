#pragma once

#include <memory>
#include <typeinfo>
#include <utility>

namespace platform {

// One attribute value of an attributed string: an immutable value of any copyable type with
// `==`, recognised on reading by its type (`get<T>()` answers null for a value of another type).
// Copies share the stored value. Values compare equal when they hold the same type and the
// stored values compare equal; adjacent runs with equal values merge.
class AttributeValue {
 public:
  template <class T>
  AttributeValue(T value)  // NOLINT: implicit, so that values read like attributes
      : holder_(std::make_shared<const Holder<T>>(std::move(value))) {}

  template <class T>
  const T* get() const {
    const auto* holder = dynamic_cast<const Holder<T>*>(holder_.get());
    return holder != nullptr ? &holder->value : nullptr;
  }

  template <class T>
  bool holds() const {
    return get<T>() != nullptr;
  }

  bool operator==(const AttributeValue& other) const {
    return holder_ == other.holder_ || holder_->equals(*other.holder_);
  }

 private:
  struct HolderBase {
    virtual ~HolderBase() = default;
    virtual bool equals(const HolderBase& other) const = 0;
  };

  template <class T>
  struct Holder final : HolderBase {
    explicit Holder(T v) : value(std::move(v)) {}
    bool equals(const HolderBase& other) const override {
      const auto* same = dynamic_cast<const Holder<T>*>(&other);
      return same != nullptr && same->value == value;
    }
    T value;
  };

  std::shared_ptr<const HolderBase> holder_;
};

}  // namespace platform
