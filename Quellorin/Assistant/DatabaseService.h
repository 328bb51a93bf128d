#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Quellorin/Assistant/Conversation.h"
#include "Quellorin/Assistant/Job.h"
#include "Quellorin/Assistant/Pipeline.h"
#include "Quellorin/Assistant/Prompt.h"
#include "SQLite/Connection.h"
#include "SQLite/Int.h"
#include "SQLite/Query/Expression.h"
#include "SQLite/Query/Table.h"

namespace quellorin {

// The local store of prompts, pipelines, conversations and jobs: "db.sqlite3" in the documents
// folder, one connection kept for the life of the object.
//
// Opening creates the file when it is absent, switches foreign keys on, creates every missing
// table and, once in the life of a file, writes the three default pipelines in one transaction
// that also marks the file as seeded (PRAGMA user_version), so a start that dies part-way is
// completed by the next one and a default pipeline the user deleted never comes back. A file
// marked with a later user_version than this version writes is left untouched: opening prints
// one line and keeps no connection.
//
// No operation throws: a failure prints one line through platform::log (a fixed message,
// followed directly by the error's text where there is one) and gives the empty result: none,
// false, a shorter or empty list, or nothing. When opening failed, every operation takes its
// no-connection path.
//
// Threads: callable from any thread, synchronously. Each statement runs on the connection's
// serial queue; the operations that write several rows run in one transaction, all or nothing.
class DatabaseService {
 public:
  // The process-wide store, opened on first use from whichever thread touches it first.
  static std::shared_ptr<DatabaseService> shared();

  // Opens the file in platform::documentsDirectory(), creating the folder when it is missing.
  DatabaseService();
  // Opens `file`; for tools and tests that keep their own store.
  explicit DatabaseService(const std::filesystem::path& file);
  virtual ~DatabaseService();
  DatabaseService(const DatabaseService&) = delete;
  DatabaseService& operator=(const DatabaseService&) = delete;

  // The open connection; null when opening failed.
  const std::shared_ptr<sql::Connection>& db() const noexcept { return db_; }

  // Creates the five tables that do not exist yet; the first failure ends it with one line.
  void createTables();
  // Writes the default pipelines into a file that was never seeded, all or nothing.
  void seedDefaultPipelines();
  // What opening does: createTables() and seedDefaultPipelines() as one transaction.
  void prepareFile();

  // The id of the first prompt row holding exactly `text` (byte for byte), inserting one when
  // there is none.
  virtual std::optional<std::int64_t> getOrInsertPrompt(const std::string& text);
  // Removes the pipeline and its links (the prompts stay); true when the pipeline row existed.
  virtual bool deletePipeline(std::int64_t pipelineId);
  // Every pipeline in creation order, each with its prompts in link order. On a failure, the
  // pipelines completed before it.
  virtual std::vector<Pipeline> getPipelines();
  // Links a prompt into a pipeline at position `order`.
  virtual void insertPipelinePrompt(std::int64_t order, std::int64_t pipelineId, std::int64_t promptId);
  // Renames a pipeline; true when its row was changed (also to the name it already had).
  virtual bool updatePipeline(std::int64_t pipelineId, const std::string& newName);
  // One pipeline with its prompts sorted by link order; none when it does not exist.
  virtual std::optional<Pipeline> getPipelinePrompts(std::int64_t pipelineId);
  // Adds a job row; the job's own id is not read, so every call adds a row.
  virtual void saveJob(const Job& job);
  // Saves a conversation as a new pipeline named after it, linking the prompt of each job but
  // the first (the selected text's) at the job's position. All or nothing: true when it was saved.
  virtual bool createPipeline(const std::optional<Conversation>& conversation);

  // Adds a pipeline row without prompts; its id, or none.
  std::optional<std::int64_t> insertPipeline(const std::string& pipelineName);
  // Adds a conversation row; the conversation with its new id and no jobs, or none.
  std::optional<Conversation> createConversation(const std::string& conversationName,
                                                 std::optional<std::int64_t> conversationPipelineId);

  // The tables and columns every statement is built from. One column value serves every
  // table that has a column of that name.
  const sql::Table jobs{"jobs"};
  const sql::Table pipelines{"pipelines"};
  const sql::Table conversations{"conversations"};
  const sql::Table prompts{"prompts"};
  const sql::Table pipelinePrompts{"pipeline_prompts"};

  const sql::Expression<sql::Int64> id{"id"};
  const sql::Expression<std::string> prompt{"prompt"};
  const sql::Expression<sql::Int> order{"order"};
  const sql::Expression<std::optional<sql::Int64>> pipelineId{"pipelineId"};
  const sql::Expression<std::string> name{"name"};
  const sql::Expression<std::string> content{"content"};
  const sql::Expression<std::string> result{"result"};
  const sql::Expression<sql::Date> executedAt{"executedAt"};
  const sql::Expression<sql::Int64> conversationId{"conversationId"};
  const sql::Expression<sql::Int64> promptId{"promptId"};

 private:
  void open(const std::filesystem::path& file);
  std::vector<std::string> tableStatements() const;
  bool isSeeded();
  bool holdsNoPipelinesOrPrompts();
  void markSeeded();
  void writeDefaultPipelines();

  // The statements themselves: they throw what the SQL layer throws.
  std::int64_t insertPipelineRow(const std::string& pipelineName);
  std::int64_t findOrInsertPromptRow(const std::string& text);
  void insertLinkRow(std::int64_t linkOrder, std::int64_t linkPipelineId, std::int64_t linkPromptId);
  std::vector<Prompt> linkedPrompts(std::int64_t pipelineIdValue);

  // The same, printing their failure lines before passing the failure on as Reported.
  std::int64_t insertPipelineReporting(const std::string& pipelineName);
  std::int64_t findOrInsertPromptReporting(const std::string& text);
  void insertLinkReporting(std::int64_t linkOrder, std::int64_t linkPipelineId, std::int64_t linkPromptId);

  std::shared_ptr<sql::Connection> db_;
};

}  // namespace quellorin
