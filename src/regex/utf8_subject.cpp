#include "regex/utf8_subject.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "net/charset_converter.h"

namespace lumaru {
namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ULL;

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

// One GBK character in UTF-8: two or three bytes, since every GBK character lies in the Basic
// Multilingual Plane and none is ASCII.
struct Utf8Character {
    char bytes[3];
    uint8_t length;
};

constexpr Utf8Character kReplacement{{'\xEF', '\xBF', '\xBD'}, 3};

// Whether utf8 is exactly one well-formed non-ASCII character of two or three bytes.
bool IsOneWideCharacter(std::string_view utf8) {
    auto at = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
    if (utf8.size() == 2) {
        return at(0) >= 0xC2 && at(0) <= 0xDF && at(1) >= 0x80 && at(1) <= 0xBF;
    }
    if (utf8.size() == 3) {
        const unsigned char low = at(0) == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = at(0) == 0xED ? 0x9F : 0xBF;
        return at(0) >= 0xE0 && at(0) <= 0xEF && at(1) >= low && at(1) <= high && at(2) >= 0x80 &&
               at(2) <= 0xBF;
    }
    return false;
}

// The UTF-8 form of every GBK character that is not ASCII, taken once from the text encodings'
// own converter so that the copy agrees with every other conversion of the system.
class CharacterTable {
public:
    CharacterTable() {
        std::string utf8;
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (IsGbkTrailByte(static_cast<unsigned char>(trail))) {
                    const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
                    pairs_[Index(lead, trail)] = Convert(std::string_view(pair, 2), utf8);
                }
            }
        }
        for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
            const char single = static_cast<char>(byte);
            singles_[byte - 0x80] = Convert(std::string_view(&single, 1), utf8);
        }
    }

    const Utf8Character& Pair(unsigned char lead, unsigned char trail) const {
        return pairs_[Index(lead, trail)];
    }
    const Utf8Character& Single(unsigned char byte) const { return singles_[byte - 0x80]; }

private:
    static size_t Index(unsigned lead, unsigned trail) {
        return (lead - 0x81) * 191 + (trail - 0x40);
    }

    static Utf8Character Convert(std::string_view gbk, std::string& utf8) {
        utf8.clear();
        ConvertAppend(Charset::kGbk, Charset::kUtf8, gbk, utf8);
        if (!IsOneWideCharacter(utf8)) {
            return kReplacement;
        }
        Utf8Character character{{}, static_cast<uint8_t>(utf8.size())};
        std::memcpy(character.bytes, utf8.data(), utf8.size());
        return character;
    }

    std::array<Utf8Character, 126 * 191> pairs_{};
    std::array<Utf8Character, 128> singles_{};
};

const CharacterTable& Characters() {
    static const CharacterTable table;
    return table;
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

Utf8Subject::Utf8Subject(std::string_view gbk) : gbk_(gbk) {
    const CharacterTable& characters = Characters();
    // Three UTF-8 bytes at most per GBK byte, and room to store a whole word or table entry.
    buffer_ = std::make_unique_for_overwrite<char[]>(gbk.size() * 3 + 8);
    checkpoints_.reserve(gbk.size() / kStride * 3 / 2 + 2);
    char* out = buffer_.get();
    const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
    const size_t inSize = gbk.size();
    size_t u = 0;
    size_t g = 0;
    size_t nextCheckpoint = 0;
    for (;;) {
        while (nextCheckpoint <= u) {
            checkpoints_.emplace_back(u, g);
            nextCheckpoint += kStride;
        }
        if (g >= inSize) {
            break;
        }
        // Runs of ASCII are copied eight bytes at a time; every byte of them is a boundary.
        if (g + 8 <= inSize) {
            const uint64_t word = LoadWord(gbk.data() + g);
            if ((word & kHighBits) == 0) {
                std::memcpy(out + u, &word, sizeof word);
                while (nextCheckpoint < u + 8) {
                    checkpoints_.emplace_back(nextCheckpoint, g + (nextCheckpoint - u));
                    nextCheckpoint += kStride;
                }
                u += 8;
                g += 8;
                continue;
            }
        }
        const unsigned char byte = in[g];
        if (byte < 0x80) {
            out[u++] = static_cast<char>(byte);
            ++g;
            continue;
        }
        if (!(IsGbkLeadByte(byte) && g + 1 < inSize && IsGbkTrailByte(in[g + 1]))) {
            const Utf8Character& character = characters.Single(byte);
            std::memcpy(out + u, character.bytes, sizeof character.bytes);
            u += character.length;
            ++g;
            continue;
        }
        // Double-byte characters come in runs: take them up to the next checkpoint.
        do {
            const Utf8Character& character = characters.Pair(in[g], in[g + 1]);
            std::memcpy(out + u, character.bytes, sizeof character.bytes);
            u += character.length;
            g += 2;
        } while (u < nextCheckpoint && g + 1 < inSize && IsGbkLeadByte(in[g]) &&
                 IsGbkTrailByte(in[g + 1]));
    }
    size_ = u;
}

size_t Utf8Subject::ToGbk(size_t utf8Offset) {
    const size_t target = std::min(utf8Offset, size_);
    const std::string_view utf8 = Text();
    // Walk from the cursor or from the checkpoint before the target, whichever is nearer.
    const auto [checkpointUtf8, checkpointGbk] = checkpoints_[target / kStride];
    if (target < cursorUtf8_ || checkpointUtf8 > cursorUtf8_) {
        cursorUtf8_ = checkpointUtf8;
        cursorGbk_ = checkpointGbk;
    }
    while (cursorUtf8_ < target) {
        // ASCII stands for itself in both texts.
        if (cursorUtf8_ + 8 <= target && (LoadWord(utf8.data() + cursorUtf8_) & kHighBits) == 0) {
            cursorUtf8_ += 8;
            cursorGbk_ += 8;
            continue;
        }
        cursorUtf8_ += Utf8CharLength(utf8.substr(cursorUtf8_));
        cursorGbk_ += GbkCharLength(gbk_.substr(cursorGbk_));
    }
    return cursorGbk_;
}

}  // namespace lumaru
