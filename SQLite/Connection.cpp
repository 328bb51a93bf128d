#include "SQLite/Connection.h"

#include "SQLite/Quote.h"
#include "SQLite/Result.h"
#include "SQLite/SchemaReader.h"

#include <sqlite3.h>

#include <array>
#include <utility>

namespace sql {
namespace {

constexpr std::array<std::pair<Connection::TransactionMode, std::string_view>, 3> transactionModes{{
    {Connection::TransactionMode::deferred, "DEFERRED"},
    {Connection::TransactionMode::immediate, "IMMEDIATE"},
    {Connection::TransactionMode::exclusive, "EXCLUSIVE"},
}};

int openFlags(bool readonly) {
  return readonly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX
                  : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX;
}

// The open handle; throws Result (or bad_alloc) when the engine refuses to open.
sqlite3* openHandle(const Location& location, bool readonly) {
  sqlite3* handle = nullptr;
  const int code = sqlite3_open_v2(location.description().c_str(), &handle, openFlags(readonly), nullptr);
  if (!handle) throw std::bad_alloc();
  if (auto failure = Result::make(code, handle, false)) {
    sqlite3_close(handle);
    throw std::move(*failure);
  }
  return handle;
}

}  // namespace

std::string_view Connection::rawText(TransactionMode mode) noexcept {
  for (const auto& [entry, text] : transactionModes)
    if (entry == mode) return text;
  return {};
}

std::optional<Connection::TransactionMode> Connection::transactionMode(std::string_view text) noexcept {
  for (const auto& [entry, raw] : transactionModes)
    if (raw == text) return entry;
  return std::nullopt;
}

std::shared_ptr<Connection> Connection::open(const Location& location, bool readonly) {
  return std::make_shared<Connection>(OpenToken{}, location, readonly);
}

std::shared_ptr<Connection> Connection::open(const std::string& path, bool readonly) {
  return open(Location::uri(path), readonly);
}

Connection::Connection(OpenToken, const Location& location, bool readonly)
    : handle_(openHandle(location, readonly)), queue_(sqlite3_db_mutex(handle_)) {}

Connection::~Connection() { sqlite3_close(handle_); }

bool Connection::readonly() const { return sqlite3_db_readonly(handle_, nullptr) == 1; }

std::string Connection::description() const {
  const char* name = sqlite3_db_filename(handle_, nullptr);
  return name ? name : "";
}

void Connection::setUsesExtendedErrorCodes(bool on) {
  usesExtendedErrorCodes_ = on;
  sqlite3_extended_result_codes(handle_, on ? 1 : 0);
}

void Connection::execute(const std::string& script) {
  sync([&] { Result::check(sqlite3_exec(handle_, script.c_str(), nullptr, nullptr, nullptr), *this); });
}

StatementPointer Connection::prepare(const std::string& sql, const Bindings& values) {
  auto statement = std::make_shared<Statement>(shared_from_this(), sql);
  statement->bind(values);
  return statement;
}

StatementPointer Connection::prepare(const std::string& sql, const NamedBindings& values) {
  auto statement = std::make_shared<Statement>(shared_from_this(), sql);
  statement->bind(values);
  return statement;
}

StatementPointer Connection::run(const std::string& sql, const Bindings& values) {
  auto statement = prepare(sql, values);
  statement->run();
  return statement;
}

StatementPointer Connection::run(const std::string& sql, const NamedBindings& values) {
  auto statement = prepare(sql, values);
  statement->run();
  return statement;
}

std::optional<Binding> Connection::scalar(const std::string& sql, const Bindings& values) {
  return prepare(sql, values)->scalar();
}

std::optional<Binding> Connection::scalar(const std::string& sql, const NamedBindings& values) {
  return prepare(sql, values)->scalar();
}

StatementPointer Connection::vacuum() { return run("VACUUM"); }

void Connection::transaction(TransactionMode mode, const std::function<void()>& block) {
  const std::string begin = "BEGIN " + std::string(rawText(mode)) + " TRANSACTION";
  runGroup(
      begin, "COMMIT TRANSACTION",
      [this] {
        // An error such as a full disk may already have ended the transaction; then
        // there is nothing to roll back, and the original error is what matters.
        if (!sqlite3_get_autocommit(handle_)) run("ROLLBACK TRANSACTION");
      },
      block);
}

void Connection::savepoint(const std::string& name, const std::function<void()>& block) {
  const std::string begin = "SAVEPOINT " + quote(name, '\'');
  runGroup(
      begin, "RELEASE " + begin,
      [this, &begin] {
        run("ROLLBACK TO " + begin);
        run("RELEASE " + begin);
      },
      block);
}

void Connection::runGroup(const std::string& begin, const std::string& commit,
                          const std::function<void()>& rollback, const std::function<void()>& block) {
  sync([&] {
    run(begin);
    try {
      block();
      run(commit);
    } catch (...) {
      rollback();
      throw;
    }
  });
}

std::unique_ptr<Backup> Connection::backup(const Backup::DatabaseName& database,
                                           std::shared_ptr<Connection> target,
                                           const Backup::DatabaseName& targetDatabase) {
  return std::make_unique<Backup>(shared_from_this(), database, std::move(target), targetDatabase);
}

SchemaReader Connection::schema() { return SchemaReader(shared_from_this()); }

std::int64_t Connection::changes() const { return sqlite3_changes(handle_); }

std::int64_t Connection::totalChanges() const { return sqlite3_total_changes(handle_); }

std::int64_t Connection::lastInsertRowid() const { return sqlite3_last_insert_rowid(handle_); }

}  // namespace sql
