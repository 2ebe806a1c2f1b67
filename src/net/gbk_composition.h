#pragma once

#include <string>
#include <string_view>

namespace lumaru {

// True when the text holds a combining mark that a composition could absorb.
bool HasCombiningMark(std::u16string_view text);

// Replaces each base character followed by a combining mark by the precomposed character, for
// the pairs whose precomposed character GBK has (e + U+0301 gives U+00E9). Other text is kept.
std::u16string ComposeForGbk(std::u16string_view text);

}  // namespace lumaru
