#include "Markdown/NodeHandle.h"

namespace markdown::handle {

namespace {

std::optional<std::string> presentText(const char* text) {
  if (text == nullptr || *text == '\0') {
    return std::nullopt;
  }
  return std::string(text);
}

}  // namespace

cmark_node* parent(cmark_node* node) { return cmark_node_parent(node); }

cmark_node_type type(cmark_node* node) { return cmark_node_get_type(node); }

std::optional<std::string> literal(cmark_node* node) { return presentText(cmark_node_get_literal(node)); }

std::optional<std::string> fenceInfo(cmark_node* node) {
  return presentText(cmark_node_get_fence_info(node));
}

std::optional<std::string> title(cmark_node* node) { return presentText(cmark_node_get_title(node)); }

std::optional<std::string> url(cmark_node* node) { return presentText(cmark_node_get_url(node)); }

int headingLevel(cmark_node* node) { return cmark_node_get_heading_level(node); }

std::int64_t listStart(cmark_node* node) { return cmark_node_get_list_start(node); }

cmark_list_type listType(cmark_node* node) { return cmark_node_get_list_type(node); }

cmark_delim_type listDelimiter(cmark_node* node) { return cmark_node_get_list_delim(node); }

bool listTight(cmark_node* node) { return cmark_node_get_list_tight(node) == 1; }

}  // namespace markdown::handle
