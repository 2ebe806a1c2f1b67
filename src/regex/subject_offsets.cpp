#include "regex/subject_offsets.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "net/charset_converter.h"

namespace lumaru {
namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

uint64_t LoadWord(const char* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

bool IsGbkTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

}  // namespace

size_t GbkCharLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    return IsGbkLeadByte(lead) && text.size() >= 2 &&
                   IsGbkTrailByte(static_cast<unsigned char>(text[1]))
               ? 2
               : 1;
}

size_t Utf8CharLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    return std::min(length, text.size());
}

std::string Utf8CopyByCharacter(std::string_view gbk) {
    std::string copy;
    copy.reserve(gbk.size() + gbk.size() / 2);
    std::string piece;
    for (size_t at = 0; at < gbk.size();) {
        const size_t length = GbkCharLength(gbk.substr(at));
        if (static_cast<unsigned char>(gbk[at]) < 0x80) {
            copy += gbk[at];
        } else {
            piece.clear();
            ConvertAppend(Charset::kGbk, Charset::kUtf8, gbk.substr(at, length), piece);
            const bool oneCharacter = !piece.empty() &&
                                      static_cast<unsigned char>(piece[0]) >= 0xC0 &&
                                      Utf8CharLength(piece) == piece.size();
            copy += oneCharacter ? std::string_view(piece) : kReplacementCharacter;
        }
        at += length;
    }
    return copy;
}

bool SubjectOffsets::Build(std::string_view gbk, std::string_view utf8) {
    gbk_ = gbk;
    utf8_ = utf8;
    cursorUtf8_ = 0;
    cursorGbk_ = 0;
    checkpoints_.clear();
    checkpoints_.reserve(utf8.size() / kStride + 1);
    size_t u = 0;
    size_t g = 0;
    for (;;) {
        while (checkpoints_.size() * kStride <= u) {
            checkpoints_.emplace_back(u, g);
        }
        if (u == utf8.size() || g == gbk.size()) {
            break;
        }
        // Runs of ASCII are the same bytes in both texts; take them eight at a time.
        const size_t limit = std::min(utf8.size(), checkpoints_.size() * kStride);
        while (u + 8 <= limit && g + 8 <= gbk.size()) {
            const uint64_t word = LoadWord(utf8.data() + u);
            if (word != LoadWord(gbk.data() + g) || (word & kHighBits) != 0) {
                break;
            }
            u += 8;
            g += 8;
        }
        if (u == limit) {
            continue;
        }
        const auto gbkByte = static_cast<unsigned char>(gbk[g]);
        const auto utf8Byte = static_cast<unsigned char>(utf8[u]);
        if (gbkByte < 0x80) {
            if (utf8Byte != gbkByte) {
                break;
            }
            ++u;
            ++g;
        } else {
            if (utf8Byte < 0x80) {
                break;
            }
            u += Utf8CharLength(utf8.substr(u));
            g += GbkCharLength(gbk.substr(g));
        }
    }
    if (u != utf8.size() || g != gbk.size()) {
        checkpoints_.clear();
        return false;
    }
    return true;
}

size_t SubjectOffsets::ToGbk(size_t utf8Offset) {
    if (checkpoints_.empty()) {
        return 0;
    }
    const size_t target = std::min(utf8Offset, utf8_.size());
    // Going back, or far ahead: restart from the checkpoint at or before the target.
    if (target < cursorUtf8_ || target - cursorUtf8_ > 2 * kStride) {
        const auto [checkpointUtf8, checkpointGbk] = checkpoints_[target / kStride];
        if (target < cursorUtf8_ || checkpointUtf8 > cursorUtf8_) {
            cursorUtf8_ = checkpointUtf8;
            cursorGbk_ = checkpointGbk;
        }
    }
    while (cursorUtf8_ < target) {
        if (cursorUtf8_ + 8 <= target && (LoadWord(utf8_.data() + cursorUtf8_) & kHighBits) == 0) {
            cursorUtf8_ += 8;
            cursorGbk_ += 8;
            continue;
        }
        cursorUtf8_ += Utf8CharLength(utf8_.substr(cursorUtf8_));
        cursorGbk_ += GbkCharLength(gbk_.substr(cursorGbk_));
    }
    return cursorGbk_;
}

}  // namespace lumaru
