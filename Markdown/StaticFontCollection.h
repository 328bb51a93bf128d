#pragma once

#include <memory>
#include <utility>

#include "Markdown/FontCollection.h"

namespace markdown {

// A font collection whose fonts are all given by the caller.
class StaticFontCollection final : public FontCollection {
 public:
  StaticFontCollection(platform::Font heading1, platform::Font heading2, platform::Font heading3,
                       platform::Font heading4, platform::Font heading5, platform::Font heading6,
                       platform::Font body, platform::Font code, platform::Font listItemPrefix);
  // DejaVu Sans for text, DejaVu Sans Mono for code, headings from 24 down to 12 points.
  static StaticFontCollection standard();

  platform::Font heading1() const override { return heading1_; }
  platform::Font heading2() const override { return heading2_; }
  platform::Font heading3() const override { return heading3_; }
  platform::Font heading4() const override { return heading4_; }
  platform::Font heading5() const override { return heading5_; }
  platform::Font heading6() const override { return heading6_; }
  platform::Font body() const override { return body_; }
  platform::Font code() const override { return code_; }
  platform::Font listItemPrefix() const override { return listItemPrefix_; }

  void setHeading1(platform::Font value) { heading1_ = std::move(value); }
  void setHeading2(platform::Font value) { heading2_ = std::move(value); }
  void setHeading3(platform::Font value) { heading3_ = std::move(value); }
  void setHeading4(platform::Font value) { heading4_ = std::move(value); }
  void setHeading5(platform::Font value) { heading5_ = std::move(value); }
  void setHeading6(platform::Font value) { heading6_ = std::move(value); }
  void setBody(platform::Font value) { body_ = std::move(value); }
  void setCode(platform::Font value) { code_ = std::move(value); }
  void setListItemPrefix(platform::Font value) { listItemPrefix_ = std::move(value); }

  std::unique_ptr<FontCollection> clone() const override {
    return std::make_unique<StaticFontCollection>(*this);
  }

 private:
  platform::Font heading1_;
  platform::Font heading2_;
  platform::Font heading3_;
  platform::Font heading4_;
  platform::Font heading5_;
  platform::Font heading6_;
  platform::Font body_;
  platform::Font code_;
  platform::Font listItemPrefix_;
};

}  // namespace markdown
