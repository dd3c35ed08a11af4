#pragma once
// Text as addresses carry it.
#include <string>
#include <string_view>

namespace tidemark {

// "%XX" escapes turned back into their bytes; a "%" not followed by two hex digits stays.
std::string PercentDecoded(std::string_view text);

}  // namespace tidemark
