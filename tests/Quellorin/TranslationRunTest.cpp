#include "Quellorin/Services/TranslationRun.h"

#include <gtest/gtest.h>

#include "DesktopFixture.h"
#include "Quellorin/Services/TextHandlingService.h"

namespace quellorin {
namespace {

class TranslationRunTest : public testsupport::DesktopFixture {
 protected:
  TranslationRunTest() {
    field->setText("above\nHello world\nbelow");
    field->setSelection({6, 11});
  }

  std::shared_ptr<TranslationRun> run() {
    return std::make_shared<TranslationRun>(textHandling, CaretLine{"Hello world", {6, 11}, field});
  }

  std::shared_ptr<TextHandlingService> textHandling = std::make_shared<TextHandlingService>();
};

TEST_F(TranslationRunTest, TypesTheChunksOverTheSelectedLine) {
  auto translation = run();
  translation->handle({"workflow_started", "started"});
  translation->handle({"message", "Bonjour "});
  translation->handle({"message", "\xF0\x9F\x8C\x8D"});
  translation->handle({"workflow_finished", "finished"});
  translation->streamEnded();
  EXPECT_EQ(field->text(), "above\nBonjour \xF0\x9F\x8C\x8D\nbelow");
  EXPECT_FALSE(translation->restoredLine());
}

TEST_F(TranslationRunTest, AnErrorAtTheEndPutsTheLineBack) {
  auto translation = run();
  translation->handle({"message", "Bonj\xC3\xA9"});
  translation->handle({"error", "connection reset"});
  translation->streamEnded();
  EXPECT_EQ(field->text(), "above\nHello world\nbelow");
  EXPECT_TRUE(translation->restoredLine());
}

TEST_F(TranslationRunTest, AnErrorFollowedByMoreChunksIsNoEnding) {
  auto translation = run();
  translation->handle({"message", "Un "});
  translation->handle({"error", "hiccup"});
  translation->handle({"message", "deux"});
  translation->streamEnded();
  EXPECT_EQ(field->text(), "above\nUn deux\nbelow");
  EXPECT_FALSE(translation->restoredLine());
}

TEST_F(TranslationRunTest, ALateErrorAfterTheCallReturnedPutsTheLineBack) {
  auto translation = run();
  translation->handle({"message", "Bonjour"});
  translation->streamEnded();
  EXPECT_EQ(field->text(), "above\nBonjour\nbelow");
  translation->handle({"error", "[quellorin-error] timed out"});
  EXPECT_EQ(field->text(), "above\nHello world\nbelow");
  translation->handle({"error", "again"});
  EXPECT_EQ(field->text(), "above\nHello world\nbelow") << "put back once";
}

TEST_F(TranslationRunTest, AnErrorBeforeAnyTypingLeavesEverythingAsItWas) {
  auto translation = run();
  translation->handle({"error", "refused"});
  translation->streamEnded();
  EXPECT_EQ(field->text(), "above\nHello world\nbelow");
  EXPECT_FALSE(translation->restoredLine());
  EXPECT_TRUE(desktop().eventSystem->postedEvents().empty());
}

}  // namespace
}  // namespace quellorin
