#include "net/text_search.h"

#include <climits>
#include <cstring>

namespace lumaru {
namespace {

constexpr size_t kNotFound = std::string_view::npos;

bool IsHighByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Bytes taken by the character that starts at index (a lone high byte at the end is one).
size_t CharLength(std::string_view text, size_t index) {
    return IsHighByte(text[index]) && index + 1 < text.size() ? 2 : 1;
}

// The first character boundary at or after target, stepping from a known boundary.
size_t BoundaryAtOrAfter(std::string_view text, size_t boundary, size_t target) {
    while (boundary < target && boundary < text.size()) {
        boundary += CharLength(text, boundary);
    }
    return boundary < target ? target : boundary;
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsFullWidthSpace(std::string_view text, size_t index) {
    return index + 1 < text.size() && text[index] == '\xA1' && text[index + 1] == '\xA1';
}

// Whether `what` occurs at the character boundary `at`. Folding touches only characters that are
// single bytes: the bytes of a double-byte character must be equal exactly.
bool MatchesAt(std::string_view text, size_t at, std::string_view what, bool ignoreCase) {
    if (what.size() > text.size() - at) {
        return false;
    }
    if (!ignoreCase) {
        return std::memcmp(text.data() + at, what.data(), what.size()) == 0;
    }
    size_t i = 0;
    while (i < what.size()) {
        const char byte = text[at + i];
        if (IsHighByte(byte)) {
            const size_t length = i + 1 < what.size() ? 2 : 1;
            if (std::memcmp(text.data() + at + i, what.data() + i, length) != 0) {
                return false;
            }
            i += length;
        } else {
            if (FoldAscii(byte) != FoldAscii(what[i])) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

// Index of the first occurrence of a non-empty `what` that starts on a character boundary at or
// after `boundary`, which must itself be a character boundary.
size_t FindFrom(std::string_view text, std::string_view what, size_t boundary, bool ignoreCase) {
    if (!ignoreCase) {
        while (true) {
            const size_t candidate = text.find(what, boundary);
            if (candidate == kNotFound) {
                return kNotFound;
            }
            boundary = BoundaryAtOrAfter(text, boundary, candidate);
            if (boundary == candidate) {
                return candidate;
            }
        }
    }
    while (boundary < text.size() && what.size() <= text.size() - boundary) {
        if (MatchesAt(text, boundary, what, true)) {
            return boundary;
        }
        boundary += CharLength(text, boundary);
    }
    return kNotFound;
}

// Positions are ints; longer texts are searched in their first INT_MAX - 1 bytes.
std::string_view Searchable(std::string_view text) {
    constexpr size_t kLimit = INT_MAX - 1;
    return text.size() > kLimit ? text.substr(0, kLimit) : text;
}

}  // namespace

int FindText(std::string_view text, std::string_view what, int start, bool ignoreCase) {
    text = Searchable(text);
    const size_t from = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
    if (from >= text.size()) {
        return 0;
    }
    const size_t boundary = BoundaryAtOrAfter(text, 0, from);
    if (boundary >= text.size()) {
        return 0;
    }
    if (what.empty()) {
        return static_cast<int>(boundary) + 1;
    }
    const size_t found = FindFrom(text, what, boundary, ignoreCase);
    return found == kNotFound ? 0 : static_cast<int>(found) + 1;
}

int FindLastText(std::string_view text, std::string_view what, bool ignoreCase) {
    text = Searchable(text);
    if (what.empty()) {
        return 0;
    }
    size_t last = kNotFound;
    for (size_t found = FindFrom(text, what, 0, ignoreCase); found != kNotFound;
         found = FindFrom(text, what, found + CharLength(text, found), ignoreCase)) {
        last = found;
    }
    return last == kNotFound ? 0 : static_cast<int>(last) + 1;
}

bool EqualsText(std::string_view a, std::string_view b, bool ignoreCase) {
    return a.size() == b.size() && MatchesAt(a, 0, b, ignoreCase);
}

bool StartsWithText(std::string_view text, std::string_view prefix, bool ignoreCase) {
    return MatchesAt(text, 0, prefix, ignoreCase);
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                       bool ignoreCase) {
    if (what.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    size_t copied = 0;
    size_t boundary = 0;
    for (size_t found = FindFrom(text, what, boundary, ignoreCase); found != kNotFound;
         found = FindFrom(text, what, boundary, ignoreCase)) {
        result.append(text, copied, found - copied);
        result.append(with);
        copied = found + what.size();
        boundary = BoundaryAtOrAfter(text, found, copied);
    }
    result.append(text, copied);
    return result;
}

std::string ToLowerAscii(std::string_view text) {
    std::string lowered(text);
    for (size_t i = 0; i < lowered.size(); i += CharLength(lowered, i)) {
        lowered[i] = FoldAscii(lowered[i]);
    }
    return lowered;
}

std::string Trim(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size()) {
        if (text[begin] == ' ') {
            begin += 1;
        } else if (IsFullWidthSpace(text, begin)) {
            begin += 2;
        } else {
            break;
        }
    }
    // The end is found walking forward, so that a trailing A1 A1 only counts when it is a
    // character and not the second half of one.
    size_t end = begin;
    for (size_t i = begin; i < text.size();) {
        const size_t length = CharLength(text, i);
        if (text[i] != ' ' && !IsFullWidthSpace(text, i)) {
            end = i + length;
        }
        i += length;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string RemoveSpaces(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = CharLength(text, i);
        if (text[i] != ' ' && !IsFullWidthSpace(text, i)) {
            kept.append(text, i, length);
        }
        i += length;
    }
    return kept;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    size_t pieceStart = 0;
    size_t boundary = 0;
    for (size_t found = FindFrom(text, separator, boundary, false); found != kNotFound;
         found = FindFrom(text, separator, boundary, false)) {
        pieces.emplace_back(text.substr(pieceStart, found - pieceStart));
        pieceStart = found + separator.size();
        boundary = BoundaryAtOrAfter(text, found, pieceStart);
    }
    if (pieceStart < text.size()) {
        pieces.emplace_back(text.substr(pieceStart));
    }
    return pieces;
}

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool ignoreCase) {
    const std::string leftMarker = ReplaceAll(left, kQuoteMarker, "\"");
    const std::string rightMarker = ReplaceAll(right, kQuoteMarker, "\"");
    const int leftAt = FindText(text, leftMarker, start, ignoreCase);
    if (leftAt == 0) {
        return {};
    }
    const int valueAt = leftAt + static_cast<int>(leftMarker.size());
    const int rightAt = FindText(text, rightMarker, valueAt, ignoreCase);
    if (rightAt == 0) {
        return {};
    }
    return std::string(text.substr(valueAt - 1, rightAt - valueAt));
}

std::string ValueAfterColon(std::string_view text) {
    const int colonAt = FindText(text, ":");
    if (colonAt == 0) {
        return {};
    }
    return Trim(text.substr(colonAt));
}

}  // namespace lumaru
