#pragma once

// A temporary home for the conversation store: HOME points at a fresh folder (XDG_DOCUMENTS_DIR
// unset, so the store's file is HOME/Documents/db.sqlite3) and a virtual-time environment is
// installed, for the life of the object. Also reads the file back through a connection of its
// own, so that tests check what is stored rather than what the store says.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "SQLite/Binding.h"
#include "SQLite/Connection.h"
#include "tests/support/ScopedEnvironmentVariable.h"
#include "tests/support/TemporaryFolder.h"

namespace storetest {

// /dev/shm when the machine has it, else the temporary folder. For tests that commit thousands of
// times: a killed process loses nothing that reached the kernel, so the file system only decides
// how long each commit waits for the disk.
inline std::filesystem::path memoryBackedFolder() {
  const std::filesystem::path shm = "/dev/shm";
  return std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
}

class StoreTestHome {
 public:
  // The home is made under `base`.
  explicit StoreTestHome(const std::filesystem::path& base = std::filesystem::temp_directory_path())
      : folder_("quellorin-store-", base) {}

  StoreTestHome(const StoreTestHome&) = delete;
  StoreTestHome& operator=(const StoreTestHome&) = delete;

  std::filesystem::path documents() const { return folder_.path() / "Documents"; }
  std::filesystem::path databaseFile() const { return documents() / "db.sqlite3"; }
  platform::VirtualEnvironment& environment() { return environment_; }

  // Column 0 of the first row of `sql` run on a fresh connection to the store's file, as text
  // ("" for no row or NULL).
  std::string text(const std::string& sql) const {
    auto connection = sql::Connection::open(databaseFile().string());
    auto value = connection->scalar(sql);
    if (!value) return "";
    if (const auto* held = std::get_if<std::string>(&*value)) return *held;
    if (const auto* number = std::get_if<std::int64_t>(&*value)) return std::to_string(*number);
    throw std::runtime_error("unexpected value type for: " + sql);
  }

  // The rows of a table in rowid order, one "a|b|c" per row, rows joined by ";".
  std::string rows(const std::string& table, const std::string& columns) const {
    return text("SELECT group_concat(line, ';') FROM (SELECT " + columns + " AS line FROM \"" + table +
                "\" ORDER BY rowid)");
  }

  std::int64_t count(const std::string& table) const {
    return std::stoll(text("SELECT count(*) FROM \"" + table + "\""));
  }

 private:
  // Declared first: the folder outlives the variables that point into it.
  testsupport::TemporaryFolder folder_;
  testsupport::ScopedEnvironmentVariable home_{"HOME", folder_.path().c_str()};
  testsupport::ScopedEnvironmentVariable documents_{"XDG_DOCUMENTS_DIR", nullptr};
  platform::VirtualEnvironment environment_;
};

// The seeded rows of a new file, as StoreTestHome::rows writes them.
inline constexpr const char* kSeededPrompts =
    "1|Translate text;2|Smooth wording;3|Structure;4|Add emojis;5|Identify roles and steps;6|Generate "
    "flowchart";
inline constexpr const char* kSeededPipelines = "1|Translate;2|Optimize expression;3|Identify tasks";
inline constexpr const char* kSeededLinks = "0|1|1;0|2|2;1|2|3;2|2|4;0|3|5;1|3|6";

inline std::string promptColumns() { return "id || '|' || prompt"; }
inline std::string pipelineColumns() { return "id || '|' || name"; }
inline std::string linkColumns() {
  return "\"order\" || '|' || ifnull(pipelineId, 'NULL') || '|' || promptId";
}

}  // namespace storetest
