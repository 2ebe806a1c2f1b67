#include "net/charset_converter.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lumaru {
namespace {

constexpr int kCharsetCount = 3;
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

const char* IconvName(Charset charset) {
    switch (charset) {
        case Charset::kGbk:
            return "CP936";  // Windows code page 936: 0x80 is the euro sign.
        case Charset::kUtf8:
            return "UTF-8";
        case Charset::kUtf16Le:
            return "UTF-16LE";
    }
    return "";
}

// iconv descriptors keep conversion state, so one is never shared between threads. Opening one
// costs far more than a short conversion, so each thread keeps its own for its lifetime.
class DescriptorCache {
public:
    DescriptorCache() {
        for (auto& row : descriptors_) {
            for (auto& descriptor : row) {
                descriptor = kNoDescriptor;
            }
        }
    }
    ~DescriptorCache() {
        for (auto& row : descriptors_) {
            for (auto& descriptor : row) {
                if (descriptor != kNoDescriptor) {
                    iconv_close(descriptor);
                }
            }
        }
    }
    DescriptorCache(const DescriptorCache&) = delete;
    DescriptorCache& operator=(const DescriptorCache&) = delete;

    iconv_t Get(Charset from, Charset to) {
        iconv_t& descriptor = descriptors_[static_cast<int>(from)][static_cast<int>(to)];
        if (descriptor == kNoDescriptor) {
            descriptor = iconv_open(IconvName(to), IconvName(from));
        }
        return descriptor;
    }

private:
    iconv_t descriptors_[kCharsetCount][kCharsetCount];
};

thread_local DescriptorCache threadDescriptors;

bool IsGbkTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// Length of the well-formed UTF-8 sequence at the start of bytes, or, when it is ill-formed, the
// length of its longest valid prefix (at least 1), so that each ill-formed piece gets one
// replacement.
size_t Utf8SequenceLength(const unsigned char* bytes, size_t size, bool& wellFormed) {
    const unsigned char lead = bytes[0];
    size_t length = 0;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;
    if (lead < 0x80) {
        length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0;  // overlong
        if (lead == 0xED)
            secondHigh = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;  // overlong
        if (lead == 0xF4)
            secondHigh = 0x8F;  // beyond U+10FFFF
    } else {
        wellFormed = false;
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char low = i == 1 ? secondLow : 0x80;
        const unsigned char high = i == 1 ? secondHigh : 0xBF;
        if (i >= size || bytes[i] < low || bytes[i] > high) {
            wellFormed = false;
            return i;
        }
    }
    wellFormed = true;
    return length;
}

struct Repair {
    size_t skip = 0;      // input bytes taken by the bad piece; 0 ends the conversion
    bool invalid = true;  // not valid input, as opposed to a valid character the target lacks
};

// Decides how much input a failed conversion step covers.
Repair InspectBadInput(Charset from, const unsigned char* bytes, size_t size) {
    Repair repair;
    switch (from) {
        case Charset::kGbk:
            // A lead byte and a trail byte form one character even when it is unassigned, so
            // the trail byte is never read as a character of its own.
            repair.skip =
                (bytes[0] >= 0x81 && bytes[0] <= 0xFE && size >= 2 && IsGbkTrailByte(bytes[1])) ? 2
                                                                                                : 1;
            break;
        case Charset::kUtf8: {
            bool wellFormed = false;
            repair.skip = Utf8SequenceLength(bytes, size, wellFormed);
            repair.invalid = !wellFormed;
            break;
        }
        case Charset::kUtf16Le: {
            if (size < 2) {
                break;
            }
            const unsigned unit = bytes[0] | (bytes[1] << 8);
            repair.skip = 2;
            if (unit >= 0xD800 && unit <= 0xDBFF && size >= 4) {
                const unsigned next = bytes[2] | (bytes[3] << 8);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    repair.skip = 4;
                    repair.invalid = false;
                }
            } else if (unit < 0xD800 || unit > 0xDFFF) {
                repair.invalid = false;
            }
            break;
        }
    }
    return repair;
}

std::string_view ReplacementFor(Charset to) {
    switch (to) {
        case Charset::kGbk:
            return "?";
        case Charset::kUtf8:
            return "\xEF\xBF\xBD";
        case Charset::kUtf16Le:
            return std::string_view("\xFD\xFF", 2);
    }
    return "?";
}

// Room the output usually needs; the conversion grows it when the guess is short.
size_t EstimateOutput(Charset from, Charset to, size_t inputSize) {
    if (to == Charset::kUtf16Le) {
        return inputSize * 2;  // enough for every source: no byte gives more than one unit
    }
    if (from == Charset::kUtf8 || to == Charset::kGbk) {
        return inputSize;  // GBK never needs more bytes than UTF-8 or UTF-16
    }
    return inputSize + inputSize / 2;  // a GBK pair gives up to three UTF-8 bytes
}

}  // namespace

void ConvertAppend(Charset from, Charset to, std::string_view input, std::string& output) {
    if (input.empty()) {
        return;
    }
    iconv_t descriptor = threadDescriptors.Get(from, to);
    if (descriptor == kNoDescriptor) {
        return;
    }
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);  // fresh state for every call

    const size_t base = output.size();
    size_t used = base;
    output.resize(base + EstimateOutput(from, to, input.size()) + 8);
    char* in = const_cast<char*>(input.data());  // iconv never writes through it
    size_t inLeft = input.size();

    auto ensureRoom = [&](size_t room) {
        if (output.size() - used < room) {
            output.resize(std::max(output.size() * 2, used + room));
        }
    };

    while (inLeft > 0) {
        char* out = output.data() + used;
        size_t outLeft = output.size() - used;
        const size_t result = iconv(descriptor, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        used = static_cast<size_t>(out - output.data());
        if (result != static_cast<size_t>(-1)) {
            break;
        }
        if (error == E2BIG) {
            ensureRoom(output.size() - base + 16);
            continue;
        }
        if (error != EILSEQ && error != EINVAL) {
            break;
        }
        const Repair repair =
            InspectBadInput(from, reinterpret_cast<const unsigned char*>(in), inLeft);
        if (repair.skip == 0) {
            break;
        }
        const std::string_view replacement = repair.invalid ? ReplacementFor(to) : "?";
        ensureRoom(replacement.size());
        std::memcpy(output.data() + used, replacement.data(), replacement.size());
        used += replacement.size();
        in += repair.skip;
        inLeft -= repair.skip;
    }
    output.resize(used);
}

}  // namespace lumaru
