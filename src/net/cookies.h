#pragma once

// Collecting the cookies a response sets and merging them into the cookie text a caller keeps
// between requests. A cookie text is a list of name=value items joined by "; " (or ";").

#include <string>
#include <string_view>
#include <vector>

namespace lumaru {

// Appends the name=value pair of every "Set-Cookie" line of the raw headers (lines split at
// "\r\n"; the letter case of "Set-Cookie" normalised beforehand) to startText. Items are joined
// by "; "; the start text is kept unchanged when no line sets a cookie.
std::string CollectSetCookies(std::string_view rawHeaders, std::string_view startText);

// Merges fresh cookies into old ones: both lose their spaces (written back); a fresh cookie
// replaces the old one of the same name, a fresh cookie whose value is "deleted" removes it;
// fresh cookies come first, then the old ones the response did not mention, in their old order.
// The result is also left in oldCookies.
std::string MergeCookies(std::string& oldCookies, std::string& freshCookies);

// The trimmed text before the first "=" of a cookie item (the whole item when it has none).
std::string CookieName(std::string_view item);

// Whether some item of the list has exactly this cookie name.
bool HasCookieName(const std::vector<std::string>& items, std::string_view name);

// The text with repeated pieces (between separators) dropped, first occurrences kept in order.
std::string JoinDistinct(std::string_view text, std::string_view separator);

// The 1-based index of the first item equal to text, or -1.
int IndexOfText(const std::vector<std::string>& items, std::string_view text);

}  // namespace lumaru
