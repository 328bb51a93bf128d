#include "SQLite/Result.h"

#include "SQLite/Connection.h"
#include "SQLite/Statement.h"

#include <sqlite3.h>

namespace sql {
namespace {

std::string describeResult(Result::Kind kind, const std::string& message, std::int32_t code,
                           const Statement* statement) {
  std::string text = message;
  if (statement) text += " (" + statement->description() + ")";
  text += kind == Result::Kind::error ? " (code: " : " (extended code: ";
  return text + std::to_string(code) + ")";
}

}  // namespace

Result::Result(Kind kind, std::string message, std::int32_t code, std::shared_ptr<const Statement> statement)
    : kind_(kind),
      message_(std::move(message)),
      code_(code),
      statement_(std::move(statement)),
      description_(describeResult(kind_, message_, code_, statement_.get())) {}

std::optional<Result> Result::make(int code, sqlite3* handle, bool usesExtendedErrorCodes,
                                   std::shared_ptr<const Statement> statement) {
  if (isSuccessCode(code)) return std::nullopt;
  std::string message = sqlite3_errmsg(handle);
  if (usesExtendedErrorCodes)
    return Result(Kind::extendedError, std::move(message), sqlite3_extended_errcode(handle),
                  std::move(statement));
  return Result(Kind::error, std::move(message), code, std::move(statement));
}

std::optional<Result> Result::make(int code, const Connection& connection,
                                   std::shared_ptr<const Statement> statement) {
  return make(code, connection.handle(), connection.usesExtendedErrorCodes(), std::move(statement));
}

void Result::throwFailure(int code, const Connection& connection) {
  throw std::move(*make(code, connection));
}

}  // namespace sql
