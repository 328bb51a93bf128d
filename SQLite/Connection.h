#pragma once

#include "SQLite/Binding.h"
#include "SQLite/Location.h"
#include "SQLite/SerialQueue.h"
#include "SQLite/Statement.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace sql {

// One open database together with the serial queue on which its work runs.
//
// Held through std::shared_ptr: statements keep their connection alive, and the database is
// closed (sqlite3_close) when the last holder lets go. The engine runs in its fully
// serialised mode; in addition every step, script, transaction and savepoint runs on the
// connection's queue, so work from several threads is serialised and nested use from inside
// a transaction block runs in place. Engine failures throw Result.
class Connection : public std::enable_shared_from_this<Connection> {
  struct OpenToken {};

 public:
  enum class TransactionMode { deferred, immediate, exclusive };  // DEFERRED, IMMEDIATE, EXCLUSIVE
  static std::string_view rawText(TransactionMode mode) noexcept;
  static std::optional<TransactionMode> transactionMode(std::string_view rawText) noexcept;

  // Opens `location`: read-only, or read-write creating a missing file. URI names are always
  // interpreted. Throws Result when the engine refuses.
  static std::shared_ptr<Connection> open(const Location& location, bool readonly = false);
  // Opens the file at `path`, handed to the engine unchanged.
  static std::shared_ptr<Connection> open(const std::string& path, bool readonly = false);

  Connection(OpenToken, const Location& location, bool readonly);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // The engine's handle; never null while the connection lives.
  sqlite3* handle() const noexcept { return handle_; }
  bool readonly() const;
  // The main database's file name as the engine reports it (empty for memory and temporary).
  std::string description() const;

  // When on, errors carry the engine's extended result codes.
  bool usesExtendedErrorCodes() const noexcept { return usesExtendedErrorCodes_; }
  void setUsesExtendedErrorCodes(bool on);

  // Runs `work` on this connection's queue and hands back its result or exception.
  template <class Work>
  std::invoke_result_t<Work&> sync(Work&& work) {
    return queue_.sync(std::forward<Work>(work));
  }
  // True when the calling thread is running work of this connection's queue.
  bool isCurrent() const noexcept { return queue_.isCurrent(); }

  // --- Running SQL text ---

  // Runs every statement of `script`.
  void execute(const std::string& script);
  // Prepares the first statement of `sql` and binds `values` (in order, or by name).
  std::shared_ptr<Statement> prepare(const std::string& sql, const Bindings& values = {});
  std::shared_ptr<Statement> prepare(const std::string& sql, const NamedBindings& values);
  // Prepares, binds and runs to completion; the statement is handed back for its counters.
  std::shared_ptr<Statement> run(const std::string& sql, const Bindings& values = {});
  std::shared_ptr<Statement> run(const std::string& sql, const NamedBindings& values);
  // Column 0 of the first row; absent when there is no row or it is NULL.
  std::optional<Binding> scalar(const std::string& sql, const Bindings& values = {});
  std::optional<Binding> scalar(const std::string& sql, const NamedBindings& values);
  std::shared_ptr<Statement> vacuum();

  // Runs `block` between BEGIN <mode> TRANSACTION and COMMIT TRANSACTION, all on this
  // connection's queue. When the block or the commit throws, the transaction is rolled back
  // and the error rethrown (or the rollback's own error, when that fails too).
  void transaction(TransactionMode mode, const std::function<void()>& block);
  void transaction(const std::function<void()>& block) { transaction(TransactionMode::deferred, block); }
  // Runs `block` inside SAVEPOINT 'name' ... RELEASE SAVEPOINT 'name'. On failure the work is
  // rolled back to the savepoint and the savepoint released, so nothing stays open.
  void savepoint(const std::string& name, const std::function<void()>& block);

  // The engine's change counters and last row id, read on the calling thread.
  std::int64_t changes() const;
  std::int64_t totalChanges() const;
  std::int64_t lastInsertRowid() const;

 private:
  void runGroup(const std::string& begin, const std::string& commit, const std::function<void()>& rollback,
                const std::function<void()>& block);

  sqlite3* handle_ = nullptr;
  bool usesExtendedErrorCodes_ = false;
  SerialQueue queue_;
};

}  // namespace sql
