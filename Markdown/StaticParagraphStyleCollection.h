#pragma once

#include <memory>
#include <utility>

#include "Markdown/ParagraphStyleCollection.h"

namespace markdown {

// The standard paragraph styles: one style object shared by the six heading levels (8 points after), one for
// the body (8 before, 8 after, 8 between lines) and one for code (8 before, 8 after).
class StaticParagraphStyleCollection final : public ParagraphStyleCollection {
 public:
  StaticParagraphStyleCollection();

  std::shared_ptr<platform::ParagraphStyle> heading1() const override { return heading1_; }
  std::shared_ptr<platform::ParagraphStyle> heading2() const override { return heading2_; }
  std::shared_ptr<platform::ParagraphStyle> heading3() const override { return heading3_; }
  std::shared_ptr<platform::ParagraphStyle> heading4() const override { return heading4_; }
  std::shared_ptr<platform::ParagraphStyle> heading5() const override { return heading5_; }
  std::shared_ptr<platform::ParagraphStyle> heading6() const override { return heading6_; }
  std::shared_ptr<platform::ParagraphStyle> body() const override { return body_; }
  std::shared_ptr<platform::ParagraphStyle> code() const override { return code_; }

  void setHeading1(std::shared_ptr<platform::ParagraphStyle> value) { heading1_ = std::move(value); }
  void setHeading2(std::shared_ptr<platform::ParagraphStyle> value) { heading2_ = std::move(value); }
  void setHeading3(std::shared_ptr<platform::ParagraphStyle> value) { heading3_ = std::move(value); }
  void setHeading4(std::shared_ptr<platform::ParagraphStyle> value) { heading4_ = std::move(value); }
  void setHeading5(std::shared_ptr<platform::ParagraphStyle> value) { heading5_ = std::move(value); }
  void setHeading6(std::shared_ptr<platform::ParagraphStyle> value) { heading6_ = std::move(value); }
  void setBody(std::shared_ptr<platform::ParagraphStyle> value) { body_ = std::move(value); }
  void setCode(std::shared_ptr<platform::ParagraphStyle> value) { code_ = std::move(value); }

  std::unique_ptr<ParagraphStyleCollection> clone() const override {
    return std::make_unique<StaticParagraphStyleCollection>(*this);
  }

 private:
  std::shared_ptr<platform::ParagraphStyle> heading1_;
  std::shared_ptr<platform::ParagraphStyle> heading2_;
  std::shared_ptr<platform::ParagraphStyle> heading3_;
  std::shared_ptr<platform::ParagraphStyle> heading4_;
  std::shared_ptr<platform::ParagraphStyle> heading5_;
  std::shared_ptr<platform::ParagraphStyle> heading6_;
  std::shared_ptr<platform::ParagraphStyle> body_;
  std::shared_ptr<platform::ParagraphStyle> code_;
};

}  // namespace markdown
