#include "Platform/Text/TextView.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "Platform/Text/AttributeName.h"
#include "Platform/Text/Font.h"
#include "Platform/Text/RecordingGraphicsContext.h"

namespace platform {
namespace {

struct Parts {
  Parts()
      : storage(std::make_shared<TextStorage>()),
        layout(std::make_shared<LayoutManager>()),
        container(std::make_shared<TextContainer>()) {
    storage->addLayoutManager(layout);
    layout->addTextContainer(container);
  }
  std::shared_ptr<TextStorage> storage;
  std::shared_ptr<LayoutManager> layout;
  std::shared_ptr<TextContainer> container;
};

TEST(TextViewTest, TheContainerTakesTheViewsWidth) {
  Parts parts;
  TextView view({0, 0, 240, 100}, parts.storage, parts.container);
  EXPECT_EQ(parts.container->size().width, 240);
  view.setString(u"one\ntwo");
  EXPECT_EQ(view.string(), u"one\ntwo");
  EXPECT_EQ(parts.layout->lineFragments().at(0).rect.width, 240);
}

TEST(TextViewTest, RefusesAContainerOfAnotherStorage) {
  Parts parts;
  EXPECT_THROW(TextView({}, std::make_shared<TextStorage>(), parts.container), std::invalid_argument);
}

TEST(TextViewTest, LinkAttributesAreLaidOverLinksOnly) {
  Parts parts;
  TextView view({0, 0, 400, 100}, parts.storage, parts.container);
  EXPECT_EQ(view.linkTextAttributes().count(AttributeName::foregroundColor), 1U);
  AttributedString text(u"plain\n");
  text.append(AttributedString(u"link", {{AttributeName::link, std::string("https://example.org")}}));
  parts.storage->setAttributedString(text);
  double before = parts.layout->lineFragments().at(1).usedRect.height;
  view.setLinkTextAttributes({{AttributeName::font, Font::system(40)}});
  EXPECT_GT(parts.layout->lineFragments().at(1).usedRect.height, before * 2);
  EXPECT_NEAR(parts.layout->lineFragments().at(0).usedRect.height, before, 0.01);
  EXPECT_EQ(parts.storage->attributedString().attribute(AttributeName::font, 7), nullptr);
}

TEST(TextViewTest, DrawsEveryParagraph) {
  Parts parts;
  TextView view({0, 0, 400, 100}, parts.storage, parts.container);
  view.setString(u"a\nb\nc");
  RecordingGraphicsContext context;
  view.draw(context);
  EXPECT_EQ(context.operations(RecordingGraphicsContext::Operation::Kind::text).size(), 3U);
  EXPECT_EQ(GraphicsContext::current(), nullptr);
}

}  // namespace
}  // namespace platform
