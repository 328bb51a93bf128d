#pragma once

#include <optional>
#include <string>

// Pieces of the nodes' debug descriptions.
namespace markdown::description {

// The text, or "nil" when it is absent.
std::string textOrNil(const std::optional<std::string>& text);
// Like textOrNil, with every line feed written as a backslash and the letter n.
std::string escapedTextOrNil(const std::optional<std::string>& text);

}  // namespace markdown::description
