#pragma once

#include "SQLite/Blob.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace sql {

// A value the engine stores without conversion: a 64-bit integer, a double, UTF-8 text or a
// blob. Bool and Int enter the engine as 64-bit integers (see Value.h). A bound parameter or
// a column read is a `std::optional<Binding>`; absent means SQL NULL.
using Binding = std::variant<std::int64_t, double, std::string, Blob>;

// A list of parameter values in the order of the statement's "?" marks.
using Bindings = std::vector<std::optional<Binding>>;

// The types a Binding holds.
template <class T>
concept BindingType = std::same_as<T, std::int64_t> || std::same_as<T, double> ||
    std::same_as<T, std::string> || std::same_as<T, Blob>;

// A binding written for people: integers and doubles in decimal, text as it stands, a blob
// as its x'..' literal, and NULL for an absent value.
std::string describe(const std::optional<Binding>& binding);

}  // namespace sql
