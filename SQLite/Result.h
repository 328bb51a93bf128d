#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>

struct sqlite3;

namespace sql {

class Connection;
class Statement;

// An engine failure: the engine's message with its plain or extended result code, and
// optionally the statement concerned. Thrown, never returned.
class Result : public std::exception {
 public:
  enum class Kind { error, extendedError };

  Result(Kind kind, std::string message, std::int32_t code,
         std::shared_ptr<const Statement> statement = nullptr);

  // The codes that are not failures: SQLITE_OK, SQLITE_ROW and SQLITE_DONE.
  static bool isSuccessCode(int code) noexcept { return code == 0 || code == 100 || code == 101; }

  // Absent for a success code. Otherwise the engine's current message for `connection`, with
  // the extended code when the connection uses extended codes, else `code` itself.
  static std::optional<Result> make(int code, const Connection& connection,
                                    std::shared_ptr<const Statement> statement = nullptr);
  // The same over a bare engine handle, which must be the one that reported `code`.
  static std::optional<Result> make(int code, sqlite3* handle, bool usesExtendedErrorCodes,
                                    std::shared_ptr<const Statement> statement = nullptr);
  // Throws make(code, connection) when it gives an error. Success returns inline: it sits on
  // the path of every step.
  static void check(int code, const Connection& connection) {
    if (!isSuccessCode(code)) throwFailure(code, connection);
  }

  Kind kind() const noexcept { return kind_; }
  const std::string& message() const noexcept { return message_; }
  // The plain code for `error`, the extended code for `extendedError`.
  std::int32_t code() const noexcept { return code_; }
  const std::shared_ptr<const Statement>& statement() const noexcept { return statement_; }

  // message (code: N), message (SQL) (code: N), or the same with "extended code".
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  [[noreturn]] static void throwFailure(int code, const Connection& connection);

  Kind kind_;
  std::string message_;
  std::int32_t code_;
  std::shared_ptr<const Statement> statement_;
  std::string description_;
};

}  // namespace sql
