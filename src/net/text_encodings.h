#pragma once

// Conversions between the system's GBK texts and UTF-8, UTF-16 and URL escapes.
//
// Every text input ends at its first zero byte, every wide input at its first zero code unit
// (an odd final byte is ignored). None of these functions fails: bad input is replaced, never
// read past. The replacement rules are:
//   - a byte sequence that is not valid in the source encoding becomes U+FFFD when the target is
//     Unicode (UTF-8 or UTF-16) and "?" when the target is GBK;
//   - a character that GBK lacks becomes "?".
// GBK here is Windows code page 936: 0x80 is the euro sign; a lead byte followed by a valid trail
// byte that has no character is one invalid character (both bytes are replaced by one
// replacement); a lead byte followed by anything else, or at the very end, is replaced alone.
// All functions are safe to call from several threads at once.

#include <string>
#include <string_view>

namespace lumaru {

// UTF-16LE bytes. Made by TextToWide and GbkToWide with one zero code unit at the end that is
// counted in the size.
using WideBuffer = std::string;

constexpr int kCodePageGbk = 936;
constexpr int kCodePageUtf8 = 65001;
// The system ANSI code page, which is GBK on the machines the system is made for.
constexpr int kCodePageAnsi = 0;

// Escapes every byte as %XX (upper-case hex). With keepUnreserved, the bytes - . 0-9 A-Z a-z are
// kept as they are. With toUtf8, the GBK text is converted to UTF-8 first.
std::string UrlEncode(std::string_view text, bool keepUnreserved = false, bool toUtf8 = false);

std::string AnsiToUtf8(std::string_view gbkText);
std::string Utf8ToAnsi(std::string_view utf8Text);

// Text in the given code page (936, 65001 or 0 for the ANSI code page) to a wide buffer with
// its terminator; an empty text gives two zero bytes. An unknown code page gives an empty wide
// text (two zero bytes).
WideBuffer TextToWide(std::string_view text, int codePage = kCodePageUtf8);

// Wide buffer to a text in the given code page; an unknown code page gives empty text.
std::string WideToText(std::string_view wide, int codePage = kCodePageAnsi);

// GBK text to a wide buffer with its terminator; an empty text gives an empty buffer (no
// terminator).
WideBuffer GbkToWide(std::string_view gbkText);

// Wide buffer to GBK. A base letter followed by combining marks is written as the precomposed
// character where GBK has one (e + U+0301 gives the GBK é).
std::string WideToGbk(std::string_view wide);

// GBK to UTF-16 code units, without terminator.
std::u16string GbkToUtf16(std::string_view gbk);

// UTF-16 code units to GBK; "?" for what GBK lacks and for lone surrogates.
std::string Utf16ToGbk(std::u16string_view text);

}  // namespace lumaru
