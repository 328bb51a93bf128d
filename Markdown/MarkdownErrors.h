#pragma once

#include <cstddef>
#include <exception>
#include <functional>

namespace markdown {

// What the Markdown library throws. The code doubles as the error number (0 to 3) when the
// error is handed to code that wants a number.
class MarkdownErrors : public std::exception {
 public:
  enum Code : int {
    markdownToASTError = 0,            // cmark gave no tree for the text
    astRenderingError = 1,             // a renderer gave no text or text that is not UTF-8,
                                       // or a tree's root is not a document
    htmlDataConversionError = 2,       // styled HTML could not be turned into UTF-8 data
    nonStandardBundleFormatError = 3,  // a template bundle has no resource folder
  };

  explicit MarkdownErrors(Code code) noexcept : code_(code) {}

  Code code() const noexcept { return code_; }
  // The case's name, e.g. "astRenderingError".
  const char* what() const noexcept override;

  friend bool operator==(const MarkdownErrors& a, const MarkdownErrors& b) noexcept {
    return a.code_ == b.code_;
  }

 private:
  Code code_;
};

}  // namespace markdown

template <>
struct std::hash<markdown::MarkdownErrors> {
  std::size_t operator()(const markdown::MarkdownErrors& error) const noexcept {
    return std::hash<int>{}(error.code());
  }
};
