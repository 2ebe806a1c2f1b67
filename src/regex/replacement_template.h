#pragma once

// Expanding the replacement text of ReplaceMatches for one match.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace lumaru {

// The offset of a group that took no part in a match.
inline constexpr size_t kUnsetOffset = static_cast<size_t>(-1);

// Appends the replacement for one match of subject to out. groups holds start and end offsets
// into subject, group 0 (the whole match) first, kUnsetOffset for a group that did not take
// part. Understood: $$ (a dollar), $& (the match), $` and $' (the subject before and after the
// match), $n and $nn (group n, the two-digit form when that group exists, an unset group giving
// nothing). Any other dollar is copied as it stands. The escapes are all ASCII and no GBK or
// UTF-8 character contains the byte "$", so GBK and UTF-8 texts are handled alike.
void AppendReplacement(std::string_view subject, std::span<const size_t> groups,
                       std::string_view replacement, std::string& out);

}  // namespace lumaru
