#pragma once

// What an attempt throws, for tests that check the error's own fields (code, kind, message) and
// not only its type. Header-only, GoogleTest only.

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace testsupport {

// The copy of the `Error` that `attempt()` throws; an empty optional, and a failure of the current
// test, when it throws nothing. Any other exception passes through to the test.
template <class Error, class Attempt>
std::optional<Error> thrown(Attempt&& attempt) {
  try {
    std::forward<Attempt>(attempt)();
  } catch (const Error& error) {
    return error;
  }
  ADD_FAILURE() << "nothing was thrown";
  return std::nullopt;
}

}  // namespace testsupport
