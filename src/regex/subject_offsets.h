#pragma once

// Matching runs over a UTF-8 copy of the GBK subject; every offset the engine reports has to be
// turned back into a byte offset of the subject, so that returned texts are the subject's own
// bytes and positions are GBK byte offsets.
//
// The two texts correspond character for character: each GBK character (one byte below 0x80, or
// a lead byte 0x81-0xFE with a trail byte 0x40-0x7E / 0x80-0xFE, or a lone byte replaced on
// conversion) is exactly one UTF-8 character. Build checks that, so a converter that ever
// disagreed could not make the map point into the wrong place.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumaru {

// Bytes of the GBK character starting at text[0]; text must not be empty.
size_t GbkCharLength(std::string_view text);

// Bytes of the UTF-8 character starting at text[0] (1 for a stray byte); text must not be empty.
size_t Utf8CharLength(std::string_view text);

// The UTF-8 copy of a GBK text built one character at a time, so that it corresponds to the
// text by construction. Slow; used only when the one-pass conversion does not correspond.
std::string Utf8CopyByCharacter(std::string_view gbk);

class SubjectOffsets {
public:
    // Checks that the texts correspond character for character and indexes them; false when
    // they do not. The texts must outlive the object.
    bool Build(std::string_view gbk, std::string_view utf8);

    // The GBK offset of the UTF-8 offset (a character boundary, or the next boundary is taken).
    // Fastest when called with offsets that mostly grow.
    size_t ToGbk(size_t utf8Offset);

private:
    static constexpr size_t kStride = 256;  // UTF-8 bytes between two checkpoints

    std::string_view gbk_;
    std::string_view utf8_;
    // Per stride k: the first character boundary at or after k * kStride, in both texts.
    std::vector<std::pair<size_t, size_t>> checkpoints_;
    size_t cursorUtf8_ = 0;
    size_t cursorGbk_ = 0;
};

}  // namespace lumaru
