#pragma once

#include <memory>
#include <utility>

#include "Markdown/ColorCollection.h"

namespace markdown {

// A colour collection whose colours are all given by the caller.
class StaticColorCollection final : public ColorCollection {
 public:
  StaticColorCollection(platform::Color heading1, platform::Color heading2, platform::Color heading3,
                        platform::Color heading4, platform::Color heading5, platform::Color heading6,
                        platform::Color body, platform::Color code, platform::Color link,
                        platform::Color quote, platform::Color quoteStripe, platform::Color thematicBreak,
                        platform::Color listItemPrefix, platform::Color codeBlockBackground);
  // A readable set on a white page.
  static StaticColorCollection standard();

  platform::Color heading1() const override { return heading1_; }
  platform::Color heading2() const override { return heading2_; }
  platform::Color heading3() const override { return heading3_; }
  platform::Color heading4() const override { return heading4_; }
  platform::Color heading5() const override { return heading5_; }
  platform::Color heading6() const override { return heading6_; }
  platform::Color body() const override { return body_; }
  platform::Color code() const override { return code_; }
  platform::Color link() const override { return link_; }
  platform::Color quote() const override { return quote_; }
  platform::Color quoteStripe() const override { return quoteStripe_; }
  platform::Color thematicBreak() const override { return thematicBreak_; }
  platform::Color listItemPrefix() const override { return listItemPrefix_; }
  platform::Color codeBlockBackground() const override { return codeBlockBackground_; }

  void setHeading1(platform::Color value) { heading1_ = std::move(value); }
  void setHeading2(platform::Color value) { heading2_ = std::move(value); }
  void setHeading3(platform::Color value) { heading3_ = std::move(value); }
  void setHeading4(platform::Color value) { heading4_ = std::move(value); }
  void setHeading5(platform::Color value) { heading5_ = std::move(value); }
  void setHeading6(platform::Color value) { heading6_ = std::move(value); }
  void setBody(platform::Color value) { body_ = std::move(value); }
  void setCode(platform::Color value) { code_ = std::move(value); }
  void setLink(platform::Color value) { link_ = std::move(value); }
  void setQuote(platform::Color value) { quote_ = std::move(value); }
  void setQuoteStripe(platform::Color value) { quoteStripe_ = std::move(value); }
  void setThematicBreak(platform::Color value) { thematicBreak_ = std::move(value); }
  void setListItemPrefix(platform::Color value) { listItemPrefix_ = std::move(value); }
  void setCodeBlockBackground(platform::Color value) { codeBlockBackground_ = std::move(value); }

  std::unique_ptr<ColorCollection> clone() const override {
    return std::make_unique<StaticColorCollection>(*this);
  }

 private:
  platform::Color heading1_;
  platform::Color heading2_;
  platform::Color heading3_;
  platform::Color heading4_;
  platform::Color heading5_;
  platform::Color heading6_;
  platform::Color body_;
  platform::Color code_;
  platform::Color link_;
  platform::Color quote_;
  platform::Color quoteStripe_;
  platform::Color thematicBreak_;
  platform::Color listItemPrefix_;
  platform::Color codeBlockBackground_;
};

}  // namespace markdown
