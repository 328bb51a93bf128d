#pragma once

#include <memory>
#include <string>

#include "Platform/Text/AttributedString.h"
#include "Platform/Core/Geometry.h"
#include "Platform/Text/GraphicsContext.h"
#include "Platform/Text/LayoutManager.h"
#include "Platform/Text/TextContainer.h"
#include "Platform/Text/TextStorage.h"

namespace platform {

// A view that shows the text of a text storage, laid out by the layout manager of its text
// container, which is as wide as the view. The view keeps the storage and the container alive.
// Links are shown with `linkTextAttributes` laid over them (blue by default).
// Main thread only, like every view.
class TextView {
 public:
  // `container` must already be added to a layout manager of `storage`.
  TextView(Rect frame, std::shared_ptr<TextStorage> storage, std::shared_ptr<TextContainer> container);
  virtual ~TextView() = default;
  TextView(const TextView&) = delete;
  TextView& operator=(const TextView&) = delete;

  Rect frame() const { return frame_; }
  TextStorage* textStorage() const { return storage_.get(); }
  TextContainer* textContainer() const { return container_.get(); }
  LayoutManager* layoutManager() const { return container_->layoutManager(); }

  // The characters shown.
  virtual std::u16string string() const;
  // Replaces everything shown by `text`, without attributes.
  virtual void setString(const std::u16string& text);

  const Attributes& linkTextAttributes() const;
  void setLinkTextAttributes(Attributes attributes);

  // Draws the whole text into `context`, the container's origin at `origin` (the view's top
  // left by default).
  void draw(GraphicsContext& context, Point origin = {0, 0}) const;

 private:
  Rect frame_;
  std::shared_ptr<TextStorage> storage_;
  std::shared_ptr<TextContainer> container_;
};

}  // namespace platform
