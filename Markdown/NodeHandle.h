#pragma once

#include <cmark.h>

#include <cstdint>
#include <optional>
#include <string>

// Reads of one property of a cmark node, each a single cmark call. Texts are copied out;
// a text that cmark does not have, or that is empty, is absent.
namespace markdown::handle {

cmark_node* parent(cmark_node* node);
cmark_node_type type(cmark_node* node);
std::optional<std::string> literal(cmark_node* node);
std::optional<std::string> fenceInfo(cmark_node* node);
std::optional<std::string> title(cmark_node* node);
std::optional<std::string> url(cmark_node* node);
int headingLevel(cmark_node* node);
std::int64_t listStart(cmark_node* node);
cmark_list_type listType(cmark_node* node);
cmark_delim_type listDelimiter(cmark_node* node);
bool listTight(cmark_node* node);

}  // namespace markdown::handle
