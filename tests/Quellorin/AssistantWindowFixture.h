#pragma once

// The assistant window on the simulated desktop: the window service with the assistant's
// content, the conversation store in a real SQLite file, and the stand-in service over real
// sockets. Records the "processingStarted" and "processingEnded" posts in order.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "Platform/Core/Log.h"
#include "Platform/Dispatch/NotificationCenter.h"
#include "Quellorin/Assistant/AssistantWindowContent.h"
#include "Quellorin/Assistant/DatabaseService.h"
#include "Quellorin/Assistant/MainView.h"
#include "Quellorin/Services/AIService.h"
#include "Quellorin/Services/CustomWindow.h"
#include "Quellorin/Services/NotificationService.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "Quellorin/Services/WindowService.h"
#include "SQLite/Connection.h"
#include "tests/support/StandInProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace quellorin {

using nlohmann::json;

class AssistantWindowFixture : public testsupport::DesktopFixture {
 protected:
  AssistantWindowFixture() {
    if (const char* old = std::getenv("QUELLORIN_SERVICE_URL")) previousURL = old;
    setenv("QUELLORIN_SERVICE_URL", service.baseURL().c_str(), 1);
    windows->setRootViewFactory(AssistantWindowContent::factory(services()));
    for (const char* name : {"processingStarted", "processingEnded"}) {
      env().notificationCenter->addObserver(name, platform::NotificationCenter::Delivery::postingThread,
                                            [this](const platform::Notification& n) {
                                              posts.push_back(n.name + (n.object ? ":" + *n.object : ""));
                                            });
    }
  }

  ~AssistantWindowFixture() override {
    windows.reset();
    virtualEnvironment.runUntilIdle();
    if (previousURL)
      setenv("QUELLORIN_SERVICE_URL", previousURL->c_str(), 1);
    else
      unsetenv("QUELLORIN_SERVICE_URL");
  }

  MainViewServices services() {
    return MainViewServices{aiService, store, windows, textHandling, notifications};
  }

  // Opens the window as the global shortcut does and renders its first tree.
  std::shared_ptr<AssistantWindowContent> open(const std::string& text, bool autoWork) {
    windows->showWindow(text, autoWork, 300, 600);
    auto content = std::dynamic_pointer_cast<AssistantWindowContent>(windows->mainWindow()->contentView());
    // Renders without waiting for a request that the opening may have started.
    virtualEnvironment.advance(0);
    return content;
  }

  // Waits, on virtual time, for the run of `view` to end.
  void finishRun(MainView& view) {
    ASSERT_TRUE(virtualEnvironment.runUntil([&] { return !view.hasRunGoing() && !view.isProcessing(); }));
    settle(0);
  }

  std::vector<json> processTextBodies() {
    std::vector<json> bodies;
    for (const auto& request : service.requests()) {
      if (request["path"] == "/api/processText") bodies.push_back(request["body"]);
    }
    return bodies;
  }

  std::int64_t storedCount(const std::string& sql) {
    auto value = store->db()->scalar(sql);
    return value ? std::get<std::int64_t>(*value) : -1;
  }

  std::int64_t addPipeline(const std::string& name, const std::vector<std::string>& prompts) {
    const auto id = *store->insertPipeline(name);
    for (std::size_t i = 0; i < prompts.size(); ++i) {
      store->insertPipelinePrompt(static_cast<std::int64_t>(i), id, *store->getOrInsertPrompt(prompts[i]));
    }
    return id;
  }

  testsupport::StandInProcess service;
  std::optional<std::string> previousURL;
  testsupport::TemporaryFolder folder{"quellorin-mainview-"};
  std::shared_ptr<DatabaseService> store = std::make_shared<DatabaseService>(folder.path() / "db.sqlite3");
  std::shared_ptr<AIService> aiService = std::make_shared<AIService>(std::chrono::milliseconds(2000));
  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
  std::shared_ptr<WindowService> windows = std::make_shared<WindowService>(textHandling);
  std::shared_ptr<NotificationService> notifications = std::make_shared<NotificationService>();
  std::vector<std::string> posts;
  platform::LogCapture log;
};

}  // namespace quellorin
