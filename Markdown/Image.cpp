#include "Markdown/Image.h"

#include "Markdown/DescriptionText.h"
#include "Markdown/NodeDispatch.h"

namespace markdown {

std::string Image::debugDescription() const {
  return "Image - title: " + description::textOrNil(title()) + ", url: " + description::textOrNil(url()) +
         ")";
}

void Image::dispatchTo(NodeDispatch& dispatch) const { dispatch.onImage(*this); }

}  // namespace markdown
