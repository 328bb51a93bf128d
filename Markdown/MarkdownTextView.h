#pragma once

#include <memory>
#include <string>

#include "Markdown/Styler.h"
#include "Platform/Text/LayoutManager.h"
#include "Platform/Text/TextView.h"

namespace markdown {

// A text view that shows Markdown as styled text. It keeps the Markdown it was given and renders
// it with its styler (default options) whenever the Markdown or the styler changes, so a new
// styler restyles the same document. Links get no display attributes of the view's own: the
// styler's link colour shows. Starts empty; nothing is rendered until the string is set.
// Typing into the text storage changes what is shown only; the next rendering starts again
// from the Markdown last assigned. Main thread only.
class MarkdownTextView : public platform::TextView {
 public:
  MarkdownTextView(platform::Rect frame, std::shared_ptr<Styler> styler,
                   std::shared_ptr<platform::LayoutManager> layoutManager);
  // Over a new MarkdownLayoutManager.
  MarkdownTextView(platform::Rect frame, std::shared_ptr<Styler> styler);

  const std::shared_ptr<Styler>& styler() const { return styler_; }
  // Stores the styler and renders again; a rendering error leaves the view as it was.
  void setStyler(std::shared_ptr<Styler> styler);

  // Takes `markdown` as the view's Markdown and renders it, unless it is the Markdown already
  // held. When rendering fails the view shows `markdown` as plain text.
  void setString(const std::u16string& markdown) override;
  // The Markdown the view renders from (string() is the rendered text).
  const std::u16string& markdownString() const { return markdown_; }

  // Renders the Markdown into the text storage, replacing all of it.
  // Throws MarkdownErrors before the storage is touched.
  void render();

 private:
  MarkdownTextView(platform::Rect frame, std::shared_ptr<Styler> styler,
                   std::shared_ptr<platform::TextStorage> storage,
                   std::shared_ptr<platform::LayoutManager> layoutManager);

  std::shared_ptr<Styler> styler_;
  std::u16string markdown_;
};

}  // namespace markdown
