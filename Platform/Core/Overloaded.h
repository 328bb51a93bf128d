#pragma once

namespace platform {

// Combines lambdas into one visitor for std::visit.
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

// Needed by compilers without class template argument deduction for aggregates.
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace platform
