#pragma once

#include <string>
#include <string_view>

namespace verbarium::cli {

// Appends a JSON string literal (UTF-8; a lone surrogate as a \uXXXX escape).
void appendJsonString(std::string& out, std::u16string_view text);

}  // namespace verbarium::cli
