#include "skin/skin_file.h"

#include <array>
#include <utility>

namespace lumaru {
namespace {

constexpr std::string_view kFirstLine = ".SHE 1";
constexpr std::string_view kNameKey = "name=";
constexpr std::string_view kPaletteSection = "[palette]";
constexpr std::string_view kStyleSection = "[style]";
constexpr std::string_view kEndLine = "[end]";

constexpr std::array<std::pair<std::string_view, SkinRole>, 20> kRoleNames{{
    {"Window", SkinRole::Window},
    {"WindowText", SkinRole::WindowText},
    {"Base", SkinRole::Base},
    {"AlternateBase", SkinRole::AlternateBase},
    {"Text", SkinRole::Text},
    {"Button", SkinRole::Button},
    {"ButtonText", SkinRole::ButtonText},
    {"BrightText", SkinRole::BrightText},
    {"Highlight", SkinRole::Highlight},
    {"HighlightedText", SkinRole::HighlightedText},
    {"Link", SkinRole::Link},
    {"LinkVisited", SkinRole::LinkVisited},
    {"ToolTipBase", SkinRole::ToolTipBase},
    {"ToolTipText", SkinRole::ToolTipText},
    {"PlaceholderText", SkinRole::PlaceholderText},
    {"Light", SkinRole::Light},
    {"Midlight", SkinRole::Midlight},
    {"Mid", SkinRole::Mid},
    {"Dark", SkinRole::Dark},
    {"Shadow", SkinRole::Shadow},
}};

// Hands out the file line by line, without the line ends.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    std::optional<std::string_view> Next() {
        if (rest_.empty()) {
            return std::nullopt;
        }
        const std::size_t end = rest_.find('\n');
        std::string_view line = rest_.substr(0, end);
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return line;
    }

    // Where the next line starts.
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t value = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<std::uint8_t> HexByte(std::string_view two) {
    int value = 0;
    for (const char c : two) {
        value *= 16;
        if (c >= '0' && c <= '9') {
            value += c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value += c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            value += c - 'A' + 10;
        } else {
            return std::nullopt;
        }
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<SkinColour> ParseColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') {
        return std::nullopt;
    }
    const auto red = HexByte(text.substr(1, 2));
    const auto green = HexByte(text.substr(3, 2));
    const auto blue = HexByte(text.substr(5, 2));
    if (!red || !green || !blue) {
        return std::nullopt;
    }
    return SkinColour{*red, *green, *blue};
}

std::optional<SkinPaletteEntry> ParsePaletteLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view roleName = line.substr(0, equals);
    const auto colour = ParseColour(line.substr(equals + 1));
    if (!colour) {
        return std::nullopt;
    }
    for (const auto& [name, role] : kRoleNames) {
        if (name == roleName) {
            return SkinPaletteEntry{role, *colour};
        }
    }
    return std::nullopt;
}

// The style sheet: everything before the last line, which must be "[end]" with an optional line
// end after it.
std::optional<std::string_view> StyleBeforeEnd(std::string_view rest) {
    if (rest.ends_with('\n')) {
        rest.remove_suffix(1);
        if (rest.ends_with('\r')) {
            rest.remove_suffix(1);
        }
    }
    if (!rest.ends_with(kEndLine)) {
        return std::nullopt;
    }
    rest.remove_suffix(kEndLine.size());
    if (!rest.empty() && !rest.ends_with('\n')) {
        return std::nullopt;  // "[end]" must be a line of its own
    }
    return rest;
}

}  // namespace

std::optional<SkinColour> SkinFile::Colour(SkinRole role) const {
    std::optional<SkinColour> found;
    for (const SkinPaletteEntry& entry : palette) {
        if (entry.role == role) {
            found = entry.colour;
        }
    }
    return found;
}

std::optional<SkinFile> ParseSkinFile(std::string_view bytes) {
    if (bytes.size() > kMaxSkinFileSize || bytes.find('\0') != std::string_view::npos ||
        !IsValidUtf8(bytes)) {
        return std::nullopt;
    }
    LineReader lines(bytes);
    if (lines.Next() != kFirstLine) {
        return std::nullopt;
    }
    const auto nameLine = lines.Next();
    if (!nameLine || !nameLine->starts_with(kNameKey) || nameLine->size() == kNameKey.size()) {
        return std::nullopt;
    }
    SkinFile skin;
    skin.name = std::string(nameLine->substr(kNameKey.size()));

    bool inPalette = false;
    while (const auto line = lines.Next()) {
        if (*line == kStyleSection) {
            const auto style = StyleBeforeEnd(lines.Rest());
            if (!style) {
                return std::nullopt;
            }
            skin.styleSheet = std::string(*style);
            return skin;
        }
        if (*line == kPaletteSection && !inPalette) {
            inPalette = true;
        } else if (inPalette && !line->empty()) {
            const auto entry = ParsePaletteLine(*line);
            if (!entry) {
                return std::nullopt;
            }
            skin.palette.push_back(*entry);
        } else if (!line->empty()) {
            return std::nullopt;  // an unknown section or a stray line
        }
    }
    return std::nullopt;  // no style section
}

}  // namespace lumaru
