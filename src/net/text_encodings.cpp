#include "net/text_encodings.h"

#include <bit>
#include <cstring>

#include "net/charset_converter.h"
#include "net/gbk_composition.h"

namespace lumaru {
namespace {

constexpr std::string_view kWideTerminator("\0\0", 2);

std::string_view UpToZero(std::string_view text) {
    const void* zero = std::memchr(text.data(), 0, text.size());
    return zero ? text.substr(0, static_cast<const char*>(zero) - text.data()) : text;
}

// The code units of a wide buffer before its first zero unit; an odd final byte is dropped.
std::string_view WideUpToZero(std::string_view wide) {
    const size_t units = wide.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        if (wide[2 * i] == 0 && wide[2 * i + 1] == 0) {
            return wide.substr(0, 2 * i);
        }
    }
    return wide.substr(0, 2 * units);
}

std::u16string_view UpToZero(std::u16string_view text) {
    const size_t zero = text.find(u'\0');
    return zero == std::u16string_view::npos ? text : text.substr(0, zero);
}

bool CharsetOfCodePage(int codePage, Charset& charset) {
    switch (codePage) {
        case kCodePageAnsi:
        case kCodePageGbk:
            charset = Charset::kGbk;
            return true;
        case kCodePageUtf8:
            charset = Charset::kUtf8;
            return true;
        default:
            return false;
    }
}

std::u16string UnitsFromLittleEndian(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(units.data(), bytes.data(), units.size() * 2);
    } else {
        for (size_t i = 0; i < units.size(); ++i) {
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                             static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        }
    }
    return units;
}

std::string LittleEndianFromUnits(std::u16string_view units) {
    std::string bytes(units.size() * 2, '\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), units.data(), bytes.size());
    } else {
        for (size_t i = 0; i < units.size(); ++i) {
            bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
        }
    }
    return bytes;
}

std::string Convert(Charset from, Charset to, std::string_view input) {
    std::string output;
    ConvertAppend(from, to, input, output);
    return output;
}

}  // namespace

std::string UrlEncode(std::string_view text, bool keepUnreserved, bool toUtf8) {
    text = UpToZero(text);
    if (text.empty()) {
        return {};
    }
    std::string utf8;
    if (toUtf8) {
        utf8 = AnsiToUtf8(text);
        text = utf8;
    }
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.resize(text.size() * 3);
    char* out = encoded.data();
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept =
            keepUnreserved && (byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') ||
                               (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z'));
        if (kept) {
            *out++ = c;
        } else {
            *out++ = '%';
            *out++ = kHexDigits[byte >> 4];
            *out++ = kHexDigits[byte & 0x0F];
        }
    }
    encoded.resize(static_cast<size_t>(out - encoded.data()));
    return encoded;
}

// Straight from one to the other: the same result as going through UTF-16, in one pass.
std::string AnsiToUtf8(std::string_view gbkText) {
    return Convert(Charset::kGbk, Charset::kUtf8, UpToZero(gbkText));
}

std::string Utf8ToAnsi(std::string_view utf8Text) {
    return Convert(Charset::kUtf8, Charset::kGbk, UpToZero(utf8Text));
}

WideBuffer TextToWide(std::string_view text, int codePage) {
    WideBuffer wide;
    Charset charset;
    if (CharsetOfCodePage(codePage, charset)) {
        ConvertAppend(charset, Charset::kUtf16Le, UpToZero(text), wide);
    }
    wide.append(kWideTerminator);
    return wide;
}

std::string WideToText(std::string_view wide, int codePage) {
    Charset charset;
    if (!CharsetOfCodePage(codePage, charset)) {
        return {};
    }
    return Convert(Charset::kUtf16Le, charset, WideUpToZero(wide));
}

WideBuffer GbkToWide(std::string_view gbkText) {
    gbkText = UpToZero(gbkText);
    if (gbkText.empty()) {
        return {};
    }
    WideBuffer wide = Convert(Charset::kGbk, Charset::kUtf16Le, gbkText);
    wide.append(kWideTerminator);
    return wide;
}

std::string WideToGbk(std::string_view wide) {
    wide = WideUpToZero(wide);
    std::u16string units = UnitsFromLittleEndian(wide);
    if (HasCombiningMark(units)) {
        return Convert(Charset::kUtf16Le, Charset::kGbk,
                       LittleEndianFromUnits(ComposeForGbk(units)));
    }
    return Convert(Charset::kUtf16Le, Charset::kGbk, wide);
}

std::u16string GbkToUtf16(std::string_view gbk) {
    return UnitsFromLittleEndian(Convert(Charset::kGbk, Charset::kUtf16Le, UpToZero(gbk)));
}

std::string Utf16ToGbk(std::u16string_view text) {
    text = UpToZero(text);
    if constexpr (std::endian::native == std::endian::little) {
        return Convert(Charset::kUtf16Le, Charset::kGbk,
                       std::string_view(reinterpret_cast<const char*>(text.data()),
                                        text.size() * sizeof(char16_t)));
    } else {
        return Convert(Charset::kUtf16Le, Charset::kGbk, LittleEndianFromUnits(text));
    }
}

}  // namespace lumaru
