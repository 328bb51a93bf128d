#include "SQLite/Backup.h"

#include "SQLite/Connection.h"
#include "SQLite/Result.h"

#include <sqlite3.h>

namespace sql {

Backup::Backup(std::shared_ptr<Connection> source, const DatabaseName& sourceName,
               std::shared_ptr<Connection> target, const DatabaseName& targetName)
    : target_(std::move(target)), source_(std::move(source)) {
  handle_ = sqlite3_backup_init(target_->handle(), targetName.text().c_str(), source_->handle(),
                                sourceName.text().c_str());
  if (handle_) return;
  Result::check(sqlite3_errcode(target_->handle()), *target_);
  throw Result(Result::Kind::error, sqlite3_errmsg(target_->handle()), SQLITE_ERROR);
}

Backup::~Backup() { finish(); }

void Backup::step(Pages pages) {
  if (!handle_) return;
  const int code = sqlite3_backup_step(handle_, pages.count());
  if (code == SQLITE_DONE) {
    finish();
    return;
  }
  Result::check(code, *target_);
}

void Backup::finish() noexcept {
  if (!handle_) return;
  sqlite3_backup_finish(handle_);
  handle_ = nullptr;
}

std::int32_t Backup::pageCount() const noexcept { return handle_ ? sqlite3_backup_pagecount(handle_) : 0; }

std::int32_t Backup::remainingPages() const noexcept {
  return handle_ ? sqlite3_backup_remaining(handle_) : 0;
}

}  // namespace sql
