#include <gtest/gtest.h>

#include <string>

#include "skin/skin_file.h"

namespace lumaru {
namespace {

const std::string kGood =
    ".SHE 1\n"
    "name=测试皮肤\n"
    "\n"
    "[palette]\n"
    "Window=#1A2b3C\n"
    "\n"
    "Base=#ffffff\n"
    "[style]\n"
    "QWidget { color: #102030; }\n"
    "\n"
    "QLabel { font-family: \"Noto Sans CJK SC\"; }\n"
    "[end]\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(SkinFileTest, ReadsNamePaletteAndStyleSheet) {
    const auto skin = ParseSkinFile(kGood);
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->name, "测试皮肤");
    ASSERT_EQ(skin->palette.size(), 2u);
    EXPECT_EQ(skin->palette[0].role, SkinRole::Window);
    EXPECT_EQ(skin->palette[0].colour, (SkinColour{0x1A, 0x2B, 0x3C}));
    EXPECT_EQ(skin->Colour(SkinRole::Base), (SkinColour{0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(skin->Colour(SkinRole::Text));
    EXPECT_EQ(skin->styleSheet,
              "QWidget { color: #102030; }\n\nQLabel { font-family: \"Noto Sans CJK SC\"; }\n");

    // Windows line ends and a closing line without a line end read the same.
    std::string crlf;
    for (const char c : kGood) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const auto fromCrlf = ParseSkinFile(crlf.substr(0, crlf.size() - 2));
    ASSERT_TRUE(fromCrlf);
    EXPECT_EQ(fromCrlf->name, skin->name);
    EXPECT_EQ(fromCrlf->palette.size(), 2u);
}

TEST(SkinFileTest, RefusesEveryBrokenCopy) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"no mark", Replaced(kGood, ".SHE 1", "SHE 1")},
        {"another version", Replaced(kGood, ".SHE 1", ".SHE 2")},
        {"no name", Replaced(kGood, "name=测试皮肤\n", "")},
        {"empty name", Replaced(kGood, "name=测试皮肤", "name=")},
        {"unknown role", Replaced(kGood, "Base=", "Bass=")},
        {"short colour", Replaced(kGood, "#ffffff", "#fffff")},
        {"colour not hex", Replaced(kGood, "#ffffff", "#fffffg")},
        {"colour by name", Replaced(kGood, "#ffffff", "white")},
        {"palette line without =", Replaced(kGood, "Base=#ffffff", "Base #ffffff")},
        {"stray line before the palette", Replaced(kGood, "[palette]", "x\n[palette]")},
        {"unknown section", Replaced(kGood, "[palette]", "[colours]")},
        {"no style section", Replaced(kGood, "[style]\n", "")},
        {"no closing line", Replaced(kGood, "[end]\n", "")},
        {"closing mark inside a line", Replaced(kGood, "}\n[end]", "}[end]")},
        {"text after the closing line", kGood + "QWidget {}\n"},
        {"zero byte", Replaced(kGood, "#102030",
                               std::string("#10\0"
                                           "2030",
                                           7))},
        {"cut UTF-8 character", Replaced(kGood, "测试皮肤", "\xe6\xb5")},
        {"overlong UTF-8", Replaced(kGood, "color", "col\xc0\xafor")},
        {"UTF-16 surrogate", Replaced(kGood, "color", "\xed\xa0\x80")},
        {"too large", Replaced(kGood, "[end]", std::string(kMaxSkinFileSize, ' ') + "\n[end]")},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ParseSkinFile(c.bytes)) << c.what;
    }
}

TEST(SkinFileTest, EveryTruncatedCopyIsRefused) {
    // Only the whole file, with or without its last line end, is a skin.
    for (std::size_t length = 0; length + 1 < kGood.size(); ++length) {
        EXPECT_FALSE(ParseSkinFile(std::string_view(kGood).substr(0, length))) << length;
    }
    EXPECT_TRUE(ParseSkinFile(std::string_view(kGood).substr(0, kGood.size() - 1)));
}

}  // namespace
}  // namespace lumaru
