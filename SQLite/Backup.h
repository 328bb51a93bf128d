#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct sqlite3_backup;

namespace sql {

class Connection;

// An online copy of one database of a source connection into one database of a target
// connection, page by page, while both stay open. Holds both connections; finishes the copy
// (early, if need be) when it goes. Its calls run on the caller's thread, relying on the
// engine's serialised mode. Not for use from two threads at once.
class Backup {
 public:
  // One database of a connection: "main", "temp", or an attached schema name.
  class DatabaseName {
   public:
    static DatabaseName main() { return DatabaseName("main"); }
    static DatabaseName temp() { return DatabaseName("temp"); }
    static DatabaseName attached(std::string name) { return DatabaseName(std::move(name)); }
    const std::string& text() const noexcept { return text_; }

   private:
    explicit DatabaseName(std::string text) : text_(std::move(text)) {}
    std::string text_;
  };

  // How many pages one step copies: a number, or all that remain.
  class Pages {
   public:
    static Pages limited(std::int32_t number) { return Pages(number); }
    static Pages all() { return Pages(-1); }
    std::int32_t count() const noexcept { return count_; }

   private:
    explicit Pages(std::int32_t count) : count_(count) {}
    std::int32_t count_;
  };

  // Throws Result with the target connection's error when the engine refuses.
  Backup(std::shared_ptr<Connection> source, const DatabaseName& sourceName,
         std::shared_ptr<Connection> target, const DatabaseName& targetName);
  ~Backup();
  Backup(const Backup&) = delete;
  Backup& operator=(const Backup&) = delete;

  // Copies up to `pages` pages; the step that copies the last page finishes the backup. Throws
  // Result on an engine error, after which the caller may step again or finish. Does nothing
  // once the backup is finished.
  void step(Pages pages = Pages::all());
  // Ends the backup; a second call does nothing.
  void finish() noexcept;
  bool isFinished() const noexcept { return handle_ == nullptr; }

  // The source's page count and the pages still to copy, as of the last step; 0 once finished.
  std::int32_t pageCount() const noexcept;
  std::int32_t remainingPages() const noexcept;

 private:
  std::shared_ptr<Connection> target_;
  std::shared_ptr<Connection> source_;
  sqlite3_backup* handle_ = nullptr;
};

}  // namespace sql
