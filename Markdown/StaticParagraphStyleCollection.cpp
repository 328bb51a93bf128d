#include "Markdown/StaticParagraphStyleCollection.h"

namespace markdown {

StaticParagraphStyleCollection::StaticParagraphStyleCollection() {
  auto headings = std::make_shared<platform::ParagraphStyle>();
  headings->paragraphSpacing = 8;
  heading1_ = heading2_ = heading3_ = heading4_ = heading5_ = heading6_ = headings;

  body_ = std::make_shared<platform::ParagraphStyle>();
  body_->paragraphSpacingBefore = 8;
  body_->paragraphSpacing = 8;
  body_->lineSpacing = 8;

  code_ = std::make_shared<platform::ParagraphStyle>();
  code_->paragraphSpacingBefore = 8;
  code_->paragraphSpacing = 8;
}

}  // namespace markdown
