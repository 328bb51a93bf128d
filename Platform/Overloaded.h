#pragma once

namespace platform {

// Combines lambdas into one visitor for std::visit.
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

}  // namespace platform
