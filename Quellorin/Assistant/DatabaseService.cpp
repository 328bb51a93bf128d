#include "Quellorin/Assistant/DatabaseService.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include "Platform/Dispatch/Clock.h"
#include "Platform/Core/Log.h"
#include "Platform/Core/Paths.h"
#include "SQLite/Query/Operators.h"
#include "SQLite/Query/QueryExecution.h"
#include "SQLite/Query/Setter.h"
#include "SQLite/Query/TableBuilder.h"
#include "SQLite/Result.h"

namespace quellorin {

namespace {

constexpr std::string_view kConnectionFailed = "数据库连接失败：";
constexpr std::string_view kCreateTableFailed = "创建表失败：";
constexpr std::string_view kInsertFailed = "插入数据失败：";
constexpr std::string_view kPromptLookupFailed = "插入或查询数据失败：";
constexpr std::string_view kQueryFailed = "查询数据失败：";
constexpr std::string_view kUpdateFailed = "更新数据失败：";
constexpr std::string_view kDeleteFailed = "删除相关数据失败：";
constexpr std::string_view kPipelineNotCreated = "错误：未能创建 pipeline";
constexpr std::string_view kPromptNotCreated = "错误：未能创建 prompt";
constexpr std::string_view kNoConversation = "错误：会话为空";
constexpr std::string_view kPipelinePromptsNotFound = "getPipelinePrompts 未找到对应的 pipeline";
constexpr std::string_view kUpdatePipelineNotFound = "updatePipeline 未找到对应的 pipeline";

// The user_version of a file whose default pipelines have been written (or that was found
// already holding pipelines or prompts, so was seeded by an earlier version of the store).
constexpr std::int32_t kSeededVersion = 1;

// A failure whose line has been printed already; it only unwinds the transaction.
struct Reported {};

void report(std::string_view message, const std::exception& error) {
  platform::log(std::string(message) + error.what());
}

void report(std::string_view message) { platform::log(message); }

sql::Date now() {
  const double seconds = platform::Clock::current()->wallTime();
  return sql::Date(std::chrono::milliseconds(std::llround(seconds * 1000)));
}

struct DefaultPipeline {
  std::string_view name;
  std::vector<std::string_view> prompts;
};

const std::vector<DefaultPipeline>& defaultPipelines() {
  static const std::vector<DefaultPipeline> pipelines{
      {"Translate", {"Translate text"}},
      {"Optimize expression", {"Smooth wording", "Structure", "Add emojis"}},
      {"Identify tasks", {"Identify roles and steps", "Generate flowchart"}},
  };
  return pipelines;
}

}  // namespace

std::shared_ptr<DatabaseService> DatabaseService::shared() {
  static const auto instance = std::make_shared<DatabaseService>();
  return instance;
}

DatabaseService::DatabaseService() {
  const auto folder = platform::documentsDirectory();
  // A missing folder is made here; when that fails, opening fails and says why.
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  open(folder / "db.sqlite3");
}

DatabaseService::DatabaseService(const std::filesystem::path& file) { open(file); }

DatabaseService::~DatabaseService() = default;

void DatabaseService::open(const std::filesystem::path& file) {
  try {
    db_ = sql::Connection::open(file.string());
  } catch (const std::exception& error) {
    report(kConnectionFailed, error);
    return;
  }
  // A file marked by a later version may hold another schema: this version's tables and
  // seed could only spoil it. It is closed before any statement writes to it.
  if (const auto version = db_->userVersion(); version && *version > kSeededVersion) {
    report(std::string(kConnectionFailed) + file.string() + " was written by a newer version of Quellorin " +
           "(user_version " + std::to_string(*version) + ", this version knows up to " +
           std::to_string(kSeededVersion) + "); it is left untouched");
    db_.reset();
    return;
  }
  // The schema's ON DELETE actions only act with enforcement on, and it is per connection.
  db_->setForeignKeys(true);
  prepareFile();
}

void DatabaseService::prepareFile() {
  // Schema and seed in one transaction: a new file costs one commit (its journal and syncs)
  // rather than one per table and another for the seed, and a start that dies half-way leaves
  // nothing half-made behind.
  try {
    db_->transaction(sql::Connection::TransactionMode::immediate, [&] {
      try {
        for (const auto& statement : tableStatements()) db_->run(statement);
      } catch (const std::exception& error) {
        report(kCreateTableFailed, error);
        throw Reported{};
      }
      if (isSeeded()) return;
      if (holdsNoPipelinesOrPrompts()) writeDefaultPipelines();
      markSeeded();
    });
  } catch (const Reported&) {
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
  }
}

// --- Schema and seed -------------------------------------------------------------------

std::vector<std::string> DatabaseService::tableStatements() const {
  using sql::Dependency;
  using sql::PrimaryKey;
  using sql::TableBuilder;
  return {
      prompts.create({.ifNotExists = true},
                     [&](TableBuilder& table) {
                       table.column(id, {.primaryKey = PrimaryKey::default_});
                       table.column(prompt);
                     }),
      pipelines.create({.ifNotExists = true},
                       [&](TableBuilder& table) {
                         table.column(id, {.primaryKey = PrimaryKey::autoincrement});
                         table.column(name);
                       }),
      pipelinePrompts.create({.ifNotExists = true},
                             [&](TableBuilder& table) {
                               table.column(order);
                               table.column(pipelineId);
                               table.column(promptId);
                               table.foreignKey(pipelineId, pipelines, id, std::nullopt, Dependency::setNull);
                               table.foreignKey(promptId, prompts, id, std::nullopt, Dependency::cascade);
                             }),
      conversations.create({.ifNotExists = true},
                           [&](TableBuilder& table) {
                             table.column(id, {.primaryKey = PrimaryKey::autoincrement});
                             table.column(pipelineId);
                             table.column(name);
                             table.foreignKey(pipelineId, pipelines, id, std::nullopt, Dependency::setNull);
                           }),
      jobs.create({.ifNotExists = true},
                  [&](TableBuilder& table) {
                    table.column(id, {.primaryKey = PrimaryKey::autoincrement});
                    table.column(content);
                    table.column(prompt);
                    table.column(result);
                    table.column(executedAt, {.defaultValue = now()});
                    table.column(conversationId);
                    table.foreignKey(conversationId, conversations, id, std::nullopt, Dependency::cascade);
                  }),
  };
}

void DatabaseService::createTables() {
  if (!db_) return;
  try {
    for (const auto& statement : tableStatements()) db_->run(statement);
  } catch (const std::exception& error) {
    report(kCreateTableFailed, error);
  }
}

void DatabaseService::seedDefaultPipelines() {
  if (!db_) return;
  try {
    db_->transaction(sql::Connection::TransactionMode::immediate, [&] {
      if (isSeeded()) return;
      if (holdsNoPipelinesOrPrompts()) writeDefaultPipelines();
      markSeeded();
    });
  } catch (const Reported&) {
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
  }
}

bool DatabaseService::isSeeded() { return db_->userVersion().value_or(0) >= kSeededVersion; }

bool DatabaseService::holdsNoPipelinesOrPrompts() {
  try {
    return !sql::pluck(*db_, pipelines) && !sql::pluck(*db_, prompts);
  } catch (const std::exception& error) {
    report(kQueryFailed, error);
    throw Reported{};
  }
}

void DatabaseService::markSeeded() {
  // The pragma accessors do not throw; reading the value back tells whether the write took.
  db_->setUserVersion(kSeededVersion);
  if (db_->userVersion() != kSeededVersion) throw std::runtime_error("PRAGMA user_version was not written");
}

void DatabaseService::writeDefaultPipelines() {
  for (const auto& pipeline : defaultPipelines()) {
    const std::int64_t newPipelineId = insertPipelineReporting(std::string(pipeline.name));
    std::int64_t position = 0;
    for (const auto text : pipeline.prompts) {
      insertLinkReporting(position++, newPipelineId, findOrInsertPromptReporting(std::string(text)));
    }
  }
}

// --- Statements ------------------------------------------------------------------------

std::int64_t DatabaseService::insertPipelineRow(const std::string& pipelineName) {
  return sql::run(*db_, pipelines.insert(sql::assign(name, pipelineName)));
}

std::int64_t DatabaseService::findOrInsertPromptRow(const std::string& text) {
  if (auto row = sql::pluck(*db_, prompts.filter(prompt == text))) return row->get(id);
  return sql::run(*db_, prompts.insert(sql::assign(prompt, text)));
}

void DatabaseService::insertLinkRow(std::int64_t linkOrder, std::int64_t linkPipelineId,
                                    std::int64_t linkPromptId) {
  sql::run(*db_, pipelinePrompts.insert(sql::assign(order, sql::Int(linkOrder)),
                                        sql::assign(pipelineId, std::optional<sql::Int64>(linkPipelineId)),
                                        sql::assign(promptId, linkPromptId)));
}

std::vector<Prompt> DatabaseService::linkedPrompts(std::int64_t pipelineIdValue) {
  std::vector<Prompt> linked;
  for (const auto& link :
       sql::prepare(*db_, pipelinePrompts.select(promptId).filter(pipelineId == pipelineIdValue))) {
    // A link to a prompt that does not exist is skipped.
    if (auto row = sql::pluck(*db_, prompts.filter(id == link.get(promptId)))) {
      linked.push_back(Prompt{row->get(id), row->get(prompt)});
    }
  }
  return linked;
}

std::int64_t DatabaseService::insertPipelineReporting(const std::string& pipelineName) {
  try {
    return insertPipelineRow(pipelineName);
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
    report(kPipelineNotCreated);
    throw Reported{};
  }
}

std::int64_t DatabaseService::findOrInsertPromptReporting(const std::string& text) {
  try {
    return findOrInsertPromptRow(text);
  } catch (const std::exception& error) {
    report(kPromptLookupFailed, error);
    report(kPromptNotCreated);
    throw Reported{};
  }
}

void DatabaseService::insertLinkReporting(std::int64_t linkOrder, std::int64_t linkPipelineId,
                                          std::int64_t linkPromptId) {
  try {
    insertLinkRow(linkOrder, linkPipelineId, linkPromptId);
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
    throw Reported{};
  }
}

// --- Operations ------------------------------------------------------------------------

std::optional<std::int64_t> DatabaseService::getOrInsertPrompt(const std::string& text) {
  if (!db_) return std::nullopt;
  try {
    return findOrInsertPromptRow(text);
  } catch (const std::exception& error) {
    report(kPromptLookupFailed, error);
    return std::nullopt;
  }
}

bool DatabaseService::deletePipeline(std::int64_t pipelineIdValue) {
  if (!db_) return false;
  bool deleted = false;
  try {
    db_->transaction(sql::Connection::TransactionMode::immediate, [&] {
      sql::run(*db_, pipelinePrompts.filter(pipelineId == pipelineIdValue).delete_());
      deleted = sql::run(*db_, pipelines.filter(id == pipelineIdValue).delete_()) > 0;
    });
  } catch (const std::exception& error) {
    report(kDeleteFailed, error);
    return false;
  }
  return deleted;
}

std::vector<Pipeline> DatabaseService::getPipelines() {
  std::vector<Pipeline> found;
  if (!db_) return found;
  try {
    for (const auto& row : sql::prepare(*db_, pipelines)) {
      const std::int64_t pipelineIdValue = row.get(id);
      std::string pipelineName = row.get(name);
      auto linked = linkedPrompts(pipelineIdValue);
      found.push_back(Pipeline{pipelineIdValue, std::move(pipelineName), std::move(linked)});
    }
  } catch (const std::exception& error) {
    report(kQueryFailed, error);
  }
  return found;
}

void DatabaseService::insertPipelinePrompt(std::int64_t linkOrder, std::int64_t linkPipelineId,
                                           std::int64_t linkPromptId) {
  if (!db_) return;
  try {
    insertLinkRow(linkOrder, linkPipelineId, linkPromptId);
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
  }
}

bool DatabaseService::updatePipeline(std::int64_t pipelineIdValue, const std::string& newName) {
  if (!db_) {
    report(kUpdatePipelineNotFound);
    return false;
  }
  try {
    if (sql::run(*db_, pipelines.filter(id == pipelineIdValue).update(sql::assign(name, newName))) > 0)
      return true;
  } catch (const std::exception& error) {
    report(kUpdateFailed, error);
    return false;
  }
  report(kUpdatePipelineNotFound);
  return false;
}

std::optional<Pipeline> DatabaseService::getPipelinePrompts(std::int64_t pipelineIdValue) {
  if (!db_) {
    report(kPipelinePromptsNotFound);
    return std::nullopt;
  }
  try {
    auto pipelineRow = sql::pluck(*db_, pipelines.filter(id == pipelineIdValue));
    if (!pipelineRow) {
      report(kPipelinePromptsNotFound);
      return std::nullopt;
    }
    Pipeline pipeline{pipelineIdValue, pipelineRow->get(name), {}};
    const auto query =
        prompts.select(prompts[id], prompts[prompt])
            .join(sql::JoinType::inner, pipelinePrompts, prompts[id] == pipelinePrompts[promptId])
            .filter(pipelinePrompts[pipelineId] == pipelineIdValue)
            .order(pipelinePrompts[order]);
    for (const auto& row : sql::prepare(*db_, query)) {
      pipeline.prompts.push_back(Prompt{row.get(prompts[id]), row.get(prompts[prompt])});
    }
    return pipeline;
  } catch (const std::exception& error) {
    report(kQueryFailed, error);
    return std::nullopt;
  }
}

void DatabaseService::saveJob(const Job& job) {
  if (!db_) return;
  try {
    sql::run(*db_, jobs.insert(sql::assign(content, job.content), sql::assign(prompt, job.prompt),
                               sql::assign(result, job.result), sql::assign(executedAt, job.executedAt),
                               sql::assign(conversationId, job.conversationId)));
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
  }
}

bool DatabaseService::createPipeline(const std::optional<Conversation>& conversation) {
  if (!conversation) {
    report(kNoConversation);
    return false;
  }
  if (!db_) {
    report(kPipelineNotCreated);
    return false;
  }
  try {
    db_->transaction(sql::Connection::TransactionMode::immediate, [&] {
      const std::int64_t newPipelineId = insertPipelineReporting(conversation->name);
      // Position 0 holds the selected text's job, which is no step of the pipeline.
      for (std::size_t position = 1; position < conversation->jobs.size(); ++position) {
        const std::int64_t linkPromptId = findOrInsertPromptReporting(conversation->jobs[position].prompt);
        insertLinkReporting(static_cast<std::int64_t>(position), newPipelineId, linkPromptId);
      }
    });
    return true;
  } catch (const Reported&) {
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
    report(kPipelineNotCreated);
  }
  return false;
}

std::optional<std::int64_t> DatabaseService::insertPipeline(const std::string& pipelineName) {
  if (!db_) return std::nullopt;
  try {
    return insertPipelineRow(pipelineName);
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
    return std::nullopt;
  }
}

std::optional<Conversation> DatabaseService::createConversation(
    const std::string& conversationName, std::optional<std::int64_t> conversationPipelineId) {
  if (!db_) return std::nullopt;
  try {
    const std::int64_t newId =
        sql::run(*db_, conversations.insert(sql::assign(pipelineId, conversationPipelineId),
                                            sql::assign(name, conversationName)));
    return Conversation{newId, conversationName, conversationPipelineId, {}};
  } catch (const std::exception& error) {
    report(kInsertFailed, error);
    return std::nullopt;
  }
}

}  // namespace quellorin
