#pragma once

// Searching, cutting and trimming GBK texts.
//
// Positions are 1-based byte positions, 0 meaning "not found". A byte of 0x80 or above and the
// byte after it form one character: searches step over such pairs whole, so a match never begins
// on the second byte of a pair, and letter case is only ever folded for single-byte ASCII letters
// (a second byte that happens to equal "A" is not a letter). Texts are taken whole as given.

#include <string>
#include <string_view>
#include <vector>

namespace lumaru {

// "#引号": callers write it in markers and patterns where a double quote is meant.
inline constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";

// Position of the first occurrence of `what` at or after `start` (0 or 1 = the beginning), or 0.
// An empty `what` is found at the start position of a non-empty text. With ignoreCase, A-Z and
// a-z are equal; all other bytes must be equal.
int FindText(std::string_view text, std::string_view what, int start = 1, bool ignoreCase = false);

// Position of the last occurrence of `what`, or 0.
int FindLastText(std::string_view text, std::string_view what, bool ignoreCase = false);

// Whether the two texts are equal, with ASCII letter case folded when asked.
bool EqualsText(std::string_view a, std::string_view b, bool ignoreCase = false);

// Whether text begins with prefix, with ASCII letter case folded when asked.
bool StartsWithText(std::string_view text, std::string_view prefix, bool ignoreCase = false);

// Replaces every occurrence of `what`, scanning left to right; an empty `what` changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                       bool ignoreCase = false);

// ASCII letters lower-cased; the bytes of double-byte characters are kept as they are.
std::string ToLowerAscii(std::string_view text);

// Removes ASCII spaces and full-width spaces (A1 A1) from both ends; tabs and line breaks stay.
std::string Trim(std::string_view text);

// Removes every ASCII space and full-width space.
std::string RemoveSpaces(std::string_view text);

// The pieces between separators, in order. An empty text gives no piece; empty pieces at the
// start or between two separators remain; an empty piece after a final separator is dropped.
// An empty separator gives the whole text as one piece.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

// The text between the first `left` marker at or after `start` and the next `right` marker
// after it; empty when either is missing. kQuoteMarker in a marker stands for a double quote.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start = 0, bool ignoreCase = false);

// The trimmed text after the first ":", or empty text when there is no colon.
std::string ValueAfterColon(std::string_view text);

}  // namespace lumaru
