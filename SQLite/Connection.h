#pragma once

#include "SQLite/Backup.h"
#include "SQLite/Binding.h"
#include "SQLite/ForeignKeyError.h"
#include "SQLite/Location.h"
#include "SQLite/SQLiteVersion.h"
#include "SQLite/SerialQueue.h"
#include "SQLite/StatementPointer.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;

namespace sql {

class SchemaReader;

// One open database together with the serial queue on which its work runs.
//
// Held through std::shared_ptr: statements keep their connection alive, and the database is
// closed (sqlite3_close) when the last holder lets go. The engine runs in its fully
// serialised mode; in addition every step, script, transaction and savepoint runs on the
// connection's queue, so work from several threads is serialised and nested use from inside
// a transaction block runs in place. The queue locks the engine's own connection mutex: while
// one thread works on the queue, other threads' engine calls on this connection wait for it.
// Engine failures throw Result.
//
// Callbacks handed to the connection (busy handler, trace, hooks, functions, aggregates,
// collations) are kept alive by it until they are replaced or the connection goes; the engine
// calls them on the thread stepping a statement. An exception thrown by a callback never
// reaches the engine: see each setter for what it turns into.
//
// Names that clash with C++ keywords carry a trailing underscore: Operation::delete_.
class Connection : public std::enable_shared_from_this<Connection> {
  struct OpenToken {};

 public:
  enum class TransactionMode { deferred, immediate, exclusive };  // DEFERRED, IMMEDIATE, EXCLUSIVE
  // The kind of row change reported to the update hook.
  enum class Operation { insert, update, delete_ };

  using BusyHandler = std::function<bool(int tries)>;
  using Trace = std::function<void(const std::string& sql)>;
  using UpdateHook = std::function<void(Operation operation, const std::string& database,
                                        const std::string& table, std::int64_t rowid)>;
  using Hook = std::function<void()>;
  // A scalar SQL function: the arguments in their stored types to the result (absent: NULL).
  using Function = std::function<std::optional<Binding>(const Bindings& arguments)>;
  // Orders two UTF-8 texts: negative, zero or positive for less, equal, greater.
  using Collation = std::function<int(std::string_view left, std::string_view right)>;

  // An aggregate with its running value type-erased: `start` makes a group's running value,
  // `fold` folds one row's arguments into it, `finalize` gives the group's result, `destroy`
  // frees it. The typed createAggregate below builds one.
  struct AggregateDefinition {
    std::function<void*()> start;
    std::function<void(void* running, const Bindings& arguments)> fold;
    std::function<std::optional<Binding>(void* running)> finalize;
    std::function<void(void* running)> destroy;
  };

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
  StatementPointer prepare(const std::string& sql, const Bindings& values = {});
  StatementPointer prepare(const std::string& sql, const NamedBindings& values);
  // Prepares, binds and runs to completion; the statement is handed back for its counters.
  StatementPointer run(const std::string& sql, const Bindings& values = {});
  StatementPointer run(const std::string& sql, const NamedBindings& values);
  // Column 0 of the first row; absent when there is no row or it is NULL.
  std::optional<Binding> scalar(const std::string& sql, const Bindings& values = {});
  std::optional<Binding> scalar(const std::string& sql, const NamedBindings& values);
  StatementPointer vacuum();

  // The same with the values passed as arguments (see Statement::bind).
  template <class... Values>
  requires(sizeof...(Values) > 0) StatementPointer prepare(const std::string& sql, const Values&... values) {
    auto statement = prepare(sql);
    statement->bind(values...);
    return statement;
  }
  template <class... Values>
  requires(sizeof...(Values) > 0) StatementPointer run(const std::string& sql, const Values&... values) {
    auto statement = prepare(sql);
    statement->run(values...);
    return statement;
  }
  template <class... Values>
  requires(sizeof...(Values) > 0) std::optional<Binding> scalar(const std::string& sql,
                                                                const Values&... values) {
    return prepare(sql)->scalar(values...);
  }

  // Runs `block` between BEGIN <mode> TRANSACTION and COMMIT TRANSACTION, all on this
  // connection's queue. When the block or the commit throws, the transaction is rolled back
  // and the error rethrown (or the rollback's own error, when that fails too).
  void transaction(TransactionMode mode, const std::function<void()>& block);
  void transaction(const std::function<void()>& block) { transaction(TransactionMode::deferred, block); }
  // Runs `block` inside SAVEPOINT 'name' ... RELEASE SAVEPOINT 'name'. On failure the work is
  // rolled back to the savepoint and the savepoint released, so nothing stays open.
  void savepoint(const std::string& name, const std::function<void()>& block);

  // --- Callbacks, functions and collations ---

  // Makes the running statement fail with the engine's interrupt error; callable from any thread.
  void interrupt();
  // How long a blocked statement retries before failing busy, in seconds (0: not at all).
  // The milliseconds must fit a 32-bit integer.
  double busyTimeout() const noexcept { return busyTimeout_; }
  void setBusyTimeout(double seconds);
  // Called with the number of earlier tries for the same lock; true tries again. An empty
  // handler removes it; a throwing handler gives up.
  void setBusyHandler(BusyHandler handler);
  // Called with each statement as it starts, its bound values written in. Empty removes it.
  void setTrace(Trace trace);
  // Called for each inserted, updated or deleted row. Empty removes it.
  void setUpdateHook(UpdateHook hook);
  // Called before each commit; throwing turns the commit into a rollback. Empty removes it.
  void setCommitHook(Hook hook);
  // Called on each rollback. Empty removes it.
  void setRollbackHook(Hook hook);

  // Registers a scalar SQL function taking `argumentCount` arguments (absent: any number),
  // replacing one of the same name and count. An exception thrown by the function becomes the
  // SQL error of the statement calling it. A refusal by the engine stops the process.
  void createFunction(const std::string& name, std::optional<int> argumentCount, bool deterministic,
                      Function function);
  // Registers a collation, replacing one of the same name. Throws Result when the engine
  // refuses; an exception thrown by the comparison counts as "equal".
  void createCollation(const std::string& name, Collation collation);

  // Registers an aggregate SQL function. Each group starts from a copy of `initial` (so a
  // std::shared_ptr running value makes every group start from the one shared object), folds
  // each row in with `fold`, and gives `finalize` of the last running value; an empty group
  // gives finalize(initial). Replaces an aggregate or function of the same name and count; a
  // refusal by the engine stops the process. An exception thrown by `fold` or `finalize`
  // becomes the SQL error of the statement.
  template <class T>
  void createAggregate(const std::string& name, std::optional<int> argumentCount, bool deterministic,
                       T initial, std::function<T(T running, const Bindings& arguments)> fold,
                       std::function<std::optional<Binding>(const T& running)> finalize) {
    auto shared = std::make_shared<T>(std::move(initial));
    createAggregate(name, argumentCount, deterministic,
                    AggregateDefinition{
                        [shared]() -> void* { return new T(*shared); },
                        [fold](void* running, const Bindings& arguments) {
                          auto& value = *static_cast<T*>(running);
                          value = fold(std::move(value), arguments);
                        },
                        [finalize](void* running) { return finalize(*static_cast<const T*>(running)); },
                        [](void* running) { delete static_cast<T*>(running); },
                    });
  }
  void createAggregate(const std::string& name, std::optional<int> argumentCount, bool deterministic,
                       AggregateDefinition definition);

  // Starts an online copy of this connection's `database` into `target`'s `targetDatabase`.
  // Throws Result with the target's error when the engine refuses.
  std::unique_ptr<Backup> backup(const Backup::DatabaseName& database, std::shared_ptr<Connection> target,
                                 const Backup::DatabaseName& targetDatabase);

  // A reader of this connection's schema (include SQLite/SchemaReader.h to use it).
  SchemaReader schema();

  // --- Attached databases, pragmas and checks ---

  // ATTACH DATABASE ? AS ? with the location's text. Throws Result.
  void attach(const Location& location, const std::string& schemaName);
  // DETACH DATABASE ?. Throws Result.
  void detach(const std::string& schemaName);

  // The accessors below never throw: a failed read gives absent, false or the zero version,
  // and a failed write does nothing. Read the value back to learn whether a write took.
  std::optional<std::int32_t> userVersion();
  // Absent is written as 0.
  void setUserVersion(std::optional<std::int32_t> version);
  SQLiteVersion sqliteVersion();
  bool foreignKeys();
  void setForeignKeys(bool on);
  bool deferForeignKeys();
  void setDeferForeignKeys(bool on);

  // The violations found by PRAGMA foreign_key_check, for one table or the whole database,
  // in row order. Throws Result.
  std::vector<ForeignKeyError> foreignKeyCheck(const std::optional<std::string>& table = std::nullopt);
  // The problems found by PRAGMA integrity_check (empty when sound). Checking one table needs
  // SQLite 3.33.0; asking for it on an older engine stops the process. Throws Result.
  std::vector<std::string> integrityCheck(const std::optional<std::string>& table = std::nullopt);

  // The engine's change counters and last row id, read on the calling thread.
  std::int64_t changes() const;
  std::int64_t totalChanges() const;
  std::int64_t lastInsertRowid() const;

 private:
  void runGroup(const std::string& begin, const std::string& commit, const std::function<void()>& rollback,
                const std::function<void()>& block);

  bool readSwitch(const std::string& pragma);
  void writeSwitch(const std::string& pragma, bool on);
  void registerFunction(const std::string& name, std::optional<int> argumentCount, bool deterministic,
                        std::shared_ptr<void> box, bool aggregate);

  sqlite3* handle_ = nullptr;
  bool usesExtendedErrorCodes_ = false;
  double busyTimeout_ = 0;
  // Each callback box is handed to the engine as its context pointer; it is released only
  // after the engine has been told of its replacement. They go after the handle is closed.
  std::shared_ptr<void> busyHandler_;
  std::shared_ptr<void> trace_;
  std::shared_ptr<void> updateHook_;
  std::shared_ptr<void> commitHook_;
  std::shared_ptr<void> rollbackHook_;
  std::map<std::string, std::map<int, std::shared_ptr<void>>> functions_;
  std::map<std::string, std::shared_ptr<void>> collations_;
  SerialQueue queue_;
};

}  // namespace sql
