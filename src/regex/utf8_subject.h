#pragma once

// Matching runs over a UTF-8 copy of the GBK subject, and every offset the engine reports is
// turned back into a byte offset of the subject, so that returned texts are the subject's own
// bytes and positions are GBK byte offsets.
//
// The copy is made one GBK character at a time: a byte below 0x80 is itself; a lead byte
// 0x81-0xFE with a trail byte 0x40-0x7E / 0x80-0xFE is one character; any other byte is a
// character of its own. Each becomes exactly one UTF-8 character, as the text encodings convert
// it (U+FFFD for what is not a GBK character), so the two texts correspond character for
// character by construction and the copy is always valid UTF-8.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace lumaru {

// Bytes of the GBK character starting at text[0]; text must not be empty.
size_t GbkCharLength(std::string_view text);

// Bytes of the UTF-8 character starting at text[0] (1 for a stray byte); text must not be empty.
size_t Utf8CharLength(std::string_view text);

class Utf8Subject {
public:
    // gbk must outlive the object.
    explicit Utf8Subject(std::string_view gbk);
    Utf8Subject(const Utf8Subject&) = delete;
    Utf8Subject& operator=(const Utf8Subject&) = delete;

    std::string_view Text() const { return {buffer_.get(), size_}; }

    // The GBK offset of a UTF-8 offset (a character boundary, or the next boundary is taken).
    size_t ToGbk(size_t utf8Offset);

private:
    static constexpr size_t kStride = 64;  // UTF-8 bytes between two checkpoints

    std::string_view gbk_;
    std::unique_ptr<char[]> buffer_;
    size_t size_ = 0;
    // Per stride k: the first character boundary at or after k * kStride, in both texts.
    std::vector<std::pair<size_t, size_t>> checkpoints_;
    size_t cursorUtf8_ = 0;
    size_t cursorGbk_ = 0;
};

}  // namespace lumaru
