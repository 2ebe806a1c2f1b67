#include "net/page_charset.h"

#include <iconv.h>

#include <cerrno>

#include "net/charset_converter.h"
#include "net/text_search.h"
#include "regex/regex_object.h"

namespace lumaru {
namespace {

constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr size_t kSearchedBytes = 1024;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Labels whose plain iconv meaning would lose text that browsers and the Windows decoders keep:
// pages labelled GB2312 routinely carry GBK characters, and Latin-1 labels mean Windows-1252.
std::string IconvNameOf(std::string_view charset) {
    struct Alias {
        std::string_view label;
        std::string_view iconvName;
    };
    static constexpr Alias kAliases[] = {
        {"gb2312", "CP936"},     {"gbk", "CP936"},        {"x-gbk", "CP936"},
        {"csgb2312", "CP936"},   {"gb_2312-80", "CP936"}, {"iso-8859-1", "CP1252"},
        {"latin1", "CP1252"},    {"us-ascii", "CP1252"},  {"ascii", "CP1252"},
        {"unicode", "UTF-16LE"},
    };
    for (const Alias& alias : kAliases) {
        if (EqualsText(charset, alias.label, true)) {
            return std::string(alias.iconvName);
        }
    }
    return std::string(charset);
}

// Decodes all of bytes into UTF-8; each byte that does not decode becomes U+FFFD.
bool DecodeToUtf8(std::string_view bytes, std::string_view charset, std::string& utf8) {
    const std::string name = IconvNameOf(charset);
    iconv_t descriptor = iconv_open("UTF-8", name.c_str());
    if (descriptor == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    utf8.assign(bytes.size() * 2 + 16, '\0');
    size_t used = 0;
    char* in = const_cast<char*>(bytes.data());  // iconv never writes through it
    size_t inLeft = bytes.size();
    // Once the input is used up, one more call writes out what a stateful charset still holds.
    bool flushing = false;
    for (;;) {
        char* out = utf8.data() + used;
        size_t outLeft = utf8.size() - used;
        const size_t result = flushing ? iconv(descriptor, nullptr, nullptr, &out, &outLeft)
                                       : iconv(descriptor, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        used = static_cast<size_t>(out - utf8.data());
        if (result != static_cast<size_t>(-1)) {
            if (flushing) {
                break;
            }
            flushing = true;
            continue;
        }
        if (error == E2BIG) {
            utf8.resize(utf8.size() * 2);
            continue;
        }
        if (flushing) {
            break;
        }
        if (utf8.size() - used < kReplacementCharacter.size()) {
            utf8.resize(utf8.size() * 2);
        }
        utf8.replace(used, kReplacementCharacter.size(), kReplacementCharacter);
        used += kReplacementCharacter.size();
        if (error == EILSEQ) {
            ++in;  // skip the byte that does not decode and go on after it
            --inLeft;
        } else {
            inLeft = 0;  // a sequence cut off by the end of the bytes
        }
        flushing = inLeft == 0;
    }
    iconv_close(descriptor);
    utf8.resize(used);
    return true;
}

}  // namespace

bool DecodeCharsetToGbk(std::string_view bytes, std::string_view charset, std::string& gbk) {
    std::string utf8;
    if (!DecodeToUtf8(bytes, charset, utf8)) {
        return false;
    }
    std::string_view text = utf8;
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    gbk.clear();
    ConvertAppend(Charset::kUtf8, Charset::kGbk, text, gbk);
    return true;
}

void DecodePageCharset(std::string& pageText, std::string_view body) {
    const std::string_view head = std::string_view(pageText).substr(0, kSearchedBytes);
    RegexObject detector;
    if (!detector.Create(kCharsetPattern, head)) {
        return;
    }
    const std::string charset = detector.SubmatchText(1, 1);
    detector.Destroy();
    if (charset.empty() || charset == "gbk" || charset == "gb2312") {
        return;
    }
    std::string decoded;
    if (DecodeCharsetToGbk(body, charset, decoded)) {
        pageText = std::move(decoded);
    }
}

}  // namespace lumaru
