#pragma once

#include <string>

namespace platform::AttributeName {

// Keys of the attributes the text system itself understands; any other key may be stored too.
inline const std::string font = "font";                        // a Font
inline const std::string foregroundColor = "foregroundColor";  // a Color
inline const std::string paragraphStyle = "paragraphStyle";    // a ParagraphStyleRef
inline const std::string link = "link";                        // a std::string holding a URL

}  // namespace platform::AttributeName
