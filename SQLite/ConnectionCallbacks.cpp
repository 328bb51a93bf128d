// The connection's callbacks: busy handling, trace, hooks, functions, aggregates and
// collations. Every entry the engine calls is an extern "C" trampoline that catches whatever
// the C++ callback throws, so that no exception crosses the engine's frames.

#include "SQLite/Connection.h"
#include "SQLite/FatalError.h"
#include "SQLite/Result.h"

#include <sqlite3.h>

#include <climits>
#include <cmath>

namespace sql {
namespace {

template <class Callback>
std::shared_ptr<void> box(Callback callback) {
  return std::make_shared<Callback>(std::move(callback));
}

template <class Callback>
Callback& unbox(void* context) {
  return *static_cast<Callback*>(context);
}

std::optional<Binding> argumentValue(sqlite3_value* value) {
  switch (const int type = sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      return Binding(static_cast<std::int64_t>(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
      return Binding(sqlite3_value_double(value));
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
      return Binding(std::string(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(value))));
    }
    case SQLITE_BLOB:
      return Binding(Blob(sqlite3_value_blob(value), static_cast<std::size_t>(sqlite3_value_bytes(value))));
    case SQLITE_NULL:
      return std::nullopt;
    default:
      fatalError("unsupported value type: " + std::to_string(type));
  }
}

Bindings argumentValues(int count, sqlite3_value** values) {
  Bindings arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(argumentValue(values[i]));
  return arguments;
}

int resultLength(std::size_t length) {
  if (length > static_cast<std::size_t>(INT_MAX))
    fatalError("result of " + std::to_string(length) + " bytes is too long");
  return static_cast<int>(length);
}

void setResult(sqlite3_context* context, const std::optional<Binding>& result) {
  if (!result) {
    sqlite3_result_null(context);
    return;
  }
  std::visit(
      [context](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        // An empty vector may have no storage, and a null pointer would make the result NULL.
        if constexpr (std::is_same_v<T, Blob>) {
          if (value.bytes.empty())
            sqlite3_result_zeroblob(context, 0);
          else
            sqlite3_result_blob(context, value.bytes.data(), resultLength(value.bytes.size()),
                                SQLITE_TRANSIENT);
        } else if constexpr (std::is_same_v<T, double>) {
          sqlite3_result_double(context, value);
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
          sqlite3_result_int64(context, value);
        } else {
          sqlite3_result_text(context, value.data(), resultLength(value.size()), SQLITE_TRANSIENT);
        }
      },
      *result);
}

// Runs `work`, turning what it throws into the SQL error of the calling statement.
template <class Work>
void reportingErrors(sqlite3_context* context, Work&& work) {
  try {
    work();
  } catch (const std::exception& error) {
    sqlite3_result_error(context, error.what(), -1);
  } catch (...) {
    sqlite3_result_error(context, "unknown error in a function", -1);
  }
}

Connection::Operation operationOf(int code) {
  switch (code) {
    case SQLITE_INSERT:
      return Connection::Operation::insert;
    case SQLITE_UPDATE:
      return Connection::Operation::update;
    case SQLITE_DELETE:
      return Connection::Operation::delete_;
    default:
      fatalError("unhandled operation code: " + std::to_string(code));
  }
}

// The running value of one aggregate group lives behind the engine's per-group slot.
void*& groupSlot(sqlite3_context* context) {
  auto* slot = static_cast<void**>(sqlite3_aggregate_context(context, sizeof(void*)));
  if (!slot) fatalError("Could not get aggregate context");
  return *slot;
}

extern "C" {

int busyEntry(void* context, int tries) {
  try {
    return unbox<Connection::BusyHandler>(context)(tries) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int traceEntry(unsigned, void* context, void* statement, void*) {
  if (!statement) return 0;
  char* expanded = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
  if (!expanded) return 0;
  try {
    unbox<Connection::Trace>(context)(expanded);
  } catch (...) {
  }
  sqlite3_free(expanded);
  return 0;
}

void updateEntry(void* context, int code, const char* database, const char* table, sqlite3_int64 rowid) {
  const auto operation = operationOf(code);
  try {
    unbox<Connection::UpdateHook>(context)(operation, database, table, rowid);
  } catch (...) {
  }
}

int commitEntry(void* context) {
  try {
    unbox<Connection::Hook>(context)();
    return 0;
  } catch (...) {
    return 1;
  }
}

void rollbackEntry(void* context) {
  try {
    unbox<Connection::Hook>(context)();
  } catch (...) {
  }
}

void functionEntry(sqlite3_context* context, int count, sqlite3_value** values) {
  reportingErrors(context, [&] {
    setResult(context,
              unbox<Connection::Function>(sqlite3_user_data(context))(argumentValues(count, values)));
  });
}

void aggregateStepEntry(sqlite3_context* context, int count, sqlite3_value** values) {
  auto& definition = unbox<Connection::AggregateDefinition>(sqlite3_user_data(context));
  void*& running = groupSlot(context);
  reportingErrors(context, [&] {
    const auto arguments = argumentValues(count, values);
    if (!running) running = definition.start();
    definition.fold(running, arguments);
  });
}

void aggregateFinalEntry(sqlite3_context* context) {
  auto& definition = unbox<Connection::AggregateDefinition>(sqlite3_user_data(context));
  void*& running = groupSlot(context);
  reportingErrors(context, [&] {
    if (!running) running = definition.start();
    setResult(context, definition.finalize(running));
  });
  if (running) definition.destroy(running);
  running = nullptr;
}

int collationEntry(void* context, int leftLength, const void* left, int rightLength, const void* right) {
  // The engine may hand an empty text without storage; any other missing text is a broken promise.
  if ((!left && leftLength > 0) || (!right && rightLength > 0))
    fatalError("sqlite3_create_collation_v2 callback called with NULL pointer");
  const std::string_view leftText(left ? static_cast<const char*>(left) : "",
                                  static_cast<std::size_t>(leftLength));
  const std::string_view rightText(right ? static_cast<const char*>(right) : "",
                                   static_cast<std::size_t>(rightLength));
  try {
    return unbox<Connection::Collation>(context)(leftText, rightText);
  } catch (...) {
    return 0;
  }
}

}  // extern "C"

}  // namespace

void Connection::interrupt() { sqlite3_interrupt(handle_); }

void Connection::setBusyTimeout(double seconds) {
  const double milliseconds = seconds * 1000;
  if (!std::isfinite(milliseconds) || milliseconds < INT_MIN || milliseconds > INT_MAX)
    fatalError("busy timeout out of range: " + std::to_string(seconds) + " seconds");
  busyTimeout_ = seconds;
  sqlite3_busy_timeout(handle_, static_cast<int>(milliseconds));
}

void Connection::setBusyHandler(BusyHandler handler) {
  if (!handler) {
    sqlite3_busy_handler(handle_, nullptr, nullptr);
    busyHandler_.reset();
    return;
  }
  auto next = box(std::move(handler));
  sqlite3_busy_handler(handle_, busyEntry, next.get());
  busyHandler_ = std::move(next);
}

void Connection::setTrace(Trace trace) {
  if (!trace) {
    sqlite3_trace_v2(handle_, 0, nullptr, nullptr);
    trace_.reset();
    return;
  }
  auto next = box(std::move(trace));
  sqlite3_trace_v2(handle_, SQLITE_TRACE_STMT, traceEntry, next.get());
  trace_ = std::move(next);
}

void Connection::setUpdateHook(UpdateHook hook) {
  if (!hook) {
    sqlite3_update_hook(handle_, nullptr, nullptr);
    updateHook_.reset();
    return;
  }
  auto next = box(std::move(hook));
  sqlite3_update_hook(handle_, updateEntry, next.get());
  updateHook_ = std::move(next);
}

void Connection::setCommitHook(Hook hook) {
  if (!hook) {
    sqlite3_commit_hook(handle_, nullptr, nullptr);
    commitHook_.reset();
    return;
  }
  auto next = box(std::move(hook));
  sqlite3_commit_hook(handle_, commitEntry, next.get());
  commitHook_ = std::move(next);
}

void Connection::setRollbackHook(Hook hook) {
  if (!hook) {
    sqlite3_rollback_hook(handle_, nullptr, nullptr);
    rollbackHook_.reset();
    return;
  }
  auto next = box(std::move(hook));
  sqlite3_rollback_hook(handle_, rollbackEntry, next.get());
  rollbackHook_ = std::move(next);
}

void Connection::createFunction(const std::string& name, std::optional<int> argumentCount, bool deterministic,
                                Function function) {
  registerFunction(name, argumentCount, deterministic, box(std::move(function)), false);
}

void Connection::createAggregate(const std::string& name, std::optional<int> argumentCount,
                                 bool deterministic, AggregateDefinition definition) {
  registerFunction(name, argumentCount, deterministic, box(std::move(definition)), true);
}

void Connection::registerFunction(const std::string& name, std::optional<int> argumentCount,
                                  bool deterministic, std::shared_ptr<void> function, bool aggregate) {
  const int count = argumentCount.value_or(-1);
  const int flags = deterministic ? SQLITE_UTF8 | SQLITE_DETERMINISTIC : SQLITE_UTF8;
  const int code = aggregate
                       ? sqlite3_create_function_v2(handle_, name.c_str(), count, flags, function.get(),
                                                    nullptr, aggregateStepEntry, aggregateFinalEntry, nullptr)
                       : sqlite3_create_function_v2(handle_, name.c_str(), count, flags, function.get(),
                                                    functionEntry, nullptr, nullptr, nullptr);
  if (auto failure = Result::make(code, *this))
    fatalError("Error creating function: " + failure->description());
  functions_[name][count] = std::move(function);
}

void Connection::createCollation(const std::string& name, Collation collation) {
  auto next = box(std::move(collation));
  Result::check(
      sqlite3_create_collation_v2(handle_, name.c_str(), SQLITE_UTF8, next.get(), collationEntry, nullptr),
      *this);
  collations_[name] = std::move(next);
}

}  // namespace sql
