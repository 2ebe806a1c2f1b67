#pragma once

// The conversion engine under the text encodings: glibc iconv with one cached descriptor per
// direction and thread, and the system's replacement rules for bad or unmappable input.

#include <string>
#include <string_view>

namespace lumaru {

enum class Charset { kGbk, kUtf8, kUtf16Le };

// Converts all of input (zero bytes included) and appends the result to output. Input that is
// not valid in `from` becomes U+FFFD for a Unicode target and "?" for GBK; a character GBK lacks
// becomes "?". A final odd byte of UTF-16 input is dropped.
void ConvertAppend(Charset from, Charset to, std::string_view input, std::string& output);

}  // namespace lumaru
