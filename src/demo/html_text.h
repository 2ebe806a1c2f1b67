#pragma once

#include <string>
#include <string_view>

namespace lumaru::demo {

// Text made safe to stand in HTML content and in quoted attribute values.
std::string HtmlEscape(std::string_view text);

// %XX escapes turned back into bytes; a '%' not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text);

// Every byte but letters, digits and "-._~" as %XX: safe inside a query value, an attribute and a
// script string.
std::string PercentEncode(std::string_view text);

// The value of `name` in a query string ("a=1&b=2"), taken raw; empty when absent.
std::string QueryValue(std::string_view query, std::string_view name);

// A whole UTF-8 page in the demo world's look: `title` is plain text, `body` HTML.
std::string StyledPage(std::string_view title, std::string_view body);

}  // namespace lumaru::demo
