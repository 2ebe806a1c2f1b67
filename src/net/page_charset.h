#pragma once

// The last step of the WinHttp-style fetch: a page is first read as GBK text, which is right for
// pages in GBK or GB2312. A page that declares another charset in a meta tag near its start is
// decoded again from its body bytes in that charset and converted to GBK.

#include <string>
#include <string_view>

namespace lumaru {

// Looks for "<meta ... charset=NAME" (on one line, letter case ignored) in the first 1024 bytes
// of pageText. When NAME is neither "gbk" nor "gb2312" exactly, body is decoded from NAME and the
// result, in GBK with "?" for what GBK lacks, replaces pageText. An unknown charset, or no
// declaration, leaves pageText as it is. body may be pageText itself.
void DecodePageCharset(std::string& pageText, std::string_view body);

// The bytes decoded from the named charset and converted to GBK: bytes that are not valid in the
// charset and characters GBK lacks become "?", a leading byte-order mark is dropped. False, with
// gbk untouched, when the charset is unknown.
bool DecodeCharsetToGbk(std::string_view bytes, std::string_view charset, std::string& gbk);

}  // namespace lumaru
