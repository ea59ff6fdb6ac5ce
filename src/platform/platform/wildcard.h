#pragma once
// Wildcard matching as file listings use it.

#include <string_view>

namespace verbarium {

enum class LetterCase { Exact, IgnoreAscii };

// '*' matches any run of characters, '?' exactly one.
bool matchesWildcard(std::u16string_view name, std::u16string_view pattern, LetterCase letterCase);

}  // namespace verbarium
