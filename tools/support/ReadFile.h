#pragma once

// Reading a whole input file, for the command-line tools. Header-only: each tool is one
// source file.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace toolsupport {

// The file's bytes as they stand; throws std::runtime_error "cannot read <path>" when the file
// cannot be opened.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw std::runtime_error("cannot read " + path.string());
  }
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace toolsupport
