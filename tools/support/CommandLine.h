#pragma once

// Parsing a tool's command line with CLI11, the same way for every tool. Header-only: each
// tool is one program.

// GCC sees a null dereference that cannot happen in CLI11's inlined string splitting.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#include <CLI/CLI.hpp>
#pragma GCC diagnostic pop

#include <cstdio>
#include <optional>
#include <string>

namespace toolsupport {

// Parses `argv` into the options `app` declares. Answers the exit status when the program
// should end here: 0 after printing the usage on standard output for -h or --help; 2 after
// printing one line about a usage error (an unknown option, a stray argument, a value out of
// range) on standard error. Answers none when the program goes on.
inline std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv) {
  try {
    app.parse(argc, argv);
    return std::nullopt;
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& error) {
    std::string line = error.what();
    for (char& c : line) {
      if (c == '\n') c = ' ';
    }
    std::fprintf(stderr, "%s: %s (see %s --help)\n", app.get_name().c_str(), line.c_str(),
                 app.get_name().c_str());
    return 2;
  }
}

}  // namespace toolsupport
