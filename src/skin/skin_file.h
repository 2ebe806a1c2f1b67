#pragma once

// Our skin file format. A skin is a UTF-8 text file:
//
//   .SHE 1
//   name=影院红
//   [palette]
//   Window=#2b1416
//   ...
//   [style]
//   <a Qt style sheet>
//   [end]
//
// The first line is the mark ".SHE" and the format version. Palette lines give colours of the
// named roles as #rrggbb. Everything between "[style]" and the closing "[end]" line is the style
// sheet; the closing line proves the file arrived whole. Lines end with "\n" or "\r\n".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumaru {

// The colour roles a skin may set, named in the file exactly as here.
enum class SkinRole {
    Window,
    WindowText,
    Base,
    AlternateBase,
    Text,
    Button,
    ButtonText,
    BrightText,
    Highlight,
    HighlightedText,
    Link,
    LinkVisited,
    ToolTipBase,
    ToolTipText,
    PlaceholderText,
    Light,
    Midlight,
    Mid,
    Dark,
    Shadow,
};

struct SkinColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const SkinColour&) const = default;
};

struct SkinPaletteEntry {
    SkinRole role;
    SkinColour colour;
};

struct SkinFile {
    std::string name;  // UTF-8
    std::vector<SkinPaletteEntry> palette;
    std::string styleSheet;  // UTF-8

    // The colour the file gives the role, if any (the last one when given twice).
    std::optional<SkinColour> Colour(SkinRole role) const;
};

// Larger files are refused unread.
inline constexpr std::size_t kMaxSkinFileSize = 1 << 20;

// Reads a skin file. nullopt for anything that is not a whole, well-formed file of version 1:
// a wrong mark or version, a missing name, an unknown section or role, a colour not written as
// #rrggbb, text that is not UTF-8, a zero byte, or no closing "[end]" line.
std::optional<SkinFile> ParseSkinFile(std::string_view bytes);

}  // namespace lumaru
