// The content-type table: file extension to MIME type.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zq {

// The MIME type of a file extension ("png", ".PNG" ...): one leading "." is
// removed, the match ignores case; an unknown extension gives empty text.
std::string ZQGetContentTypeForExtension(std::string_view extension);

// The whole table (extension without ".", lower case; MIME type), in the
// order it is declared. Used to fill the host's MIME-type registry.
const std::vector<std::pair<std::string_view, std::string_view>>& ZQContentTypeTable();

}  // namespace zq
