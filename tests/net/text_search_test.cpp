#include "net/text_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace lumaru {
namespace {

// GBK texts used below: 中文 is D6 D0 CE C4; the pair 81 41 is one character whose second byte
// equals the letter A.
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";
const std::string kTrailA = "\x81\x41";
const std::string kFullWidthSpace = "\xA1\xA1";

TEST(FindText, FindsFromAStartStepsOverDoubleByteCharactersAndFoldsAsciiOnly) {
    struct Case {
        std::string text;
        std::string what;
        int start;
        bool ignoreCase;
        int expected;
    };
    const Case cases[] = {
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 0, false, 2},
        {"abcabc", "bc", -4, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", 6, false, 0},
        {"abcabc", "bc", 99, false, 0},
        {"abcabc", "BC", 1, false, 0},
        {"abcabc", "BC", 1, true, 2},
        {"abc", "", 1, false, 1},
        {"abc", "", 2, false, 2},
        {"", "", 1, false, 0},
        {"", "a", 1, false, 0},
        {"ab", "abc", 1, false, 0},
        {kZhongWen, "\xD0\xCE", 1, false, 0},  // would begin on the second byte of 中
        {kZhongWen, "\xCE\xC4", 1, false, 3},
        {kTrailA + "A", "A", 1, false, 3},  // the A inside 81 41 is no character
        {kTrailA, "a", 1, true, 0},
        {"\x81\x61", kTrailA, 1, true, 0},  // second bytes are compared exactly
        {"x" + kZhongWen + "ABC", "abc", 1, true, 6},
        // From a start on a second byte, the search goes on at the next character.
        {"\xD6\xD0\xD0\xD6", "\xD0", 2, false, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindText(c.text, c.what, c.start, c.ignoreCase), c.expected)
            << "text=" << c.text << " what=" << c.what << " start=" << c.start;
    }
}

TEST(FindText, LastOccurrenceAndWholeTextComparisons) {
    EXPECT_EQ(FindLastText("a:b:c", ":"), 4);
    EXPECT_EQ(FindLastText("abc", ":"), 0);
    EXPECT_EQ(FindLastText(kTrailA + "x", "A"), 0);
    EXPECT_TRUE(EqualsText("Location: ", "LOCATION: ", true));
    EXPECT_FALSE(EqualsText("Location: ", "LOCATION: "));
    EXPECT_FALSE(EqualsText(kTrailA, "\x81\x61", true));
    EXPECT_TRUE(StartsWithText("HTTPS://x", "https", true));
    EXPECT_FALSE(StartsWithText("http", "https", true));
}

TEST(ReplaceAll, ReplacesEveryOccurrenceLeftToRight) {
    struct Case {
        std::string text, what, with;
        bool ignoreCase;
        std::string expected;
    };
    const Case cases[] = {
        {"set-cookie: a\r\nSET-COOKIE: b", "Set-Cookie", "Set-Cookie", true,
         "Set-Cookie: a\r\nSet-Cookie: b"},
        {"set-cookie: a", "Set-Cookie", "Set-Cookie", false, "set-cookie: a"},
        {"aaaa", "aa", "b", false, "bb"},
        {"abc", "", "x", false, "abc"},
        {"a=" + std::string(kQuoteMarker) + "x", std::string(kQuoteMarker), "\"", false, "a=\"x"},
        {kTrailA + "A", "A", "B", false, kTrailA + "B"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.what, c.with, c.ignoreCase), c.expected) << c.text;
    }
}

TEST(Spaces, TrimAndRemoveTakeAsciiAndFullWidthSpacesOnly) {
    struct Case {
        std::string text, trimmed, withoutSpaces;
    };
    const Case cases[] = {
        {"  a b  ", "a b", "ab"},
        {kFullWidthSpace + "a" + kFullWidthSpace + "b " + kFullWidthSpace,
         "a" + kFullWidthSpace + "b", "ab"},
        {"\ta \n", "\ta \n", "\ta\n"},
        {"   ", "", ""},
        {"", "", ""},
        // B0 A1 is a character; the A1 A1 after it is a full-width space.
        {"\xB0\xA1\xA1\xA1", "\xB0\xA1", "\xB0\xA1"},
        // A1 A1 | A1: the lone last byte is no space.
        {"\xA1\xA1\xA1", "\xA1", "\xA1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Trim(c.text), c.trimmed) << c.text;
        EXPECT_EQ(RemoveSpaces(c.text), c.withoutSpaces) << c.text;
    }
}

TEST(SplitText, KeepsInnerEmptyPiecesAndDropsTheOneAfterAFinalSeparator) {
    struct Case {
        std::string text, separator;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"", ";", {}},
        {"a", ";", {"a"}},
        {"a;b", ";", {"a", "b"}},
        {";a;;b;", ";", {"", "a", "", "b"}},
        {"a;;", ";", {"a", ""}},
        {";", ";", {""}},
        {"a\r\nb\r\n\r\n", "\r\n", {"a", "b", ""}},
        {"a;b", "", {"a;b"}},
        {"\x81;x;y", ";", {"\x81;x", "y"}},  // 81 3B is one character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitText(c.text, c.separator), c.pieces) << c.text;
    }
}

TEST(TextBetween, CutsBetweenMarkers) {
    const std::string quote(kQuoteMarker);
    // GBK: [标题]=值[/标题]
    const std::string title = "\xB1\xEA\xCC\xE2";
    const std::string entry = "[" + title + "]=\xD6\xB5[/" + title + "]";
    struct Case {
        std::string text, left, right;
        int start;
        bool ignoreCase;
        std::string expected;
    };
    const Case cases[] = {
        {"k=v;", "k=", ";", 0, false, "v"},
        {"k=v;", "k=", "#", 0, false, ""},
        {"k=v;", "x=", ";", 0, false, ""},
        {"k=;", "k=", ";", 0, false, ""},
        {"abc;d", "", ";", 0, false, "abc"},
        {"k=1;k=2;", "k=", ";", 3, false, "2"},
        {"b=1 a=\"x y\"", "a=" + quote, quote, 0, false, "x y"},
        {"a=#x#", "a=" + quote, quote, 0, false, ""},
        {"<TITLE>Hi</title>", "<title>", "</TITLE>", 0, true, "Hi"},
        {"<TITLE>Hi</title>", "<title>", "</TITLE>", 0, false, ""},
        {"x" + entry, "[" + title + "]=", "[/" + title + "]", 0, true, "\xD6\xB5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.ignoreCase), c.expected)
            << c.text << " | " << c.left << " | " << c.right;
    }
}

TEST(TextHelpers, ValueAfterColonAndLowerCase) {
    EXPECT_EQ(ValueAfterColon("User-Agent:  Foo/1.0 "), "Foo/1.0");
    EXPECT_EQ(ValueAfterColon("Host: a:81"), "a:81");
    EXPECT_EQ(ValueAfterColon("no colon"), "");
    EXPECT_EQ(ValueAfterColon(":"), "");
    EXPECT_EQ(ToLowerAscii("HTTP://Ex.COM/P"), "http://ex.com/p");
    EXPECT_EQ(ToLowerAscii(kTrailA + "A"), kTrailA + "a");
}

// Random GBK-like texts: a found position really holds the searched text on a character
// boundary, and split pieces joined again give the text back.
TEST(RandomInput, SearchesAndSplitsAgreeWithTheText) {
    const char alphabet[] = {'a', 'A', ';', ' ', '\x81', '\xA1', '\xD6', '\x41'};
    std::mt19937 random(54321);
    std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 1);
    auto randomText = [&](size_t maxLength) {
        std::string text(std::uniform_int_distribution<size_t>(0, maxLength)(random), ' ');
        for (char& c : text) {
            c = alphabet[pick(random)];
        }
        return text;
    };
    auto isBoundary = [](const std::string& text, size_t index) {
        size_t i = 0;
        while (i < index) {
            i += static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
        }
        return i == index;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(20);
        const std::string what = randomText(3);
        const int start = std::uniform_int_distribution<int>(0, 22)(random);
        const bool ignoreCase = round % 2 == 1;
        const int found = FindText(text, what, start, ignoreCase);
        if (found != 0) {
            ASSERT_GE(found, std::max(start, 1));
            ASSERT_TRUE(isBoundary(text, static_cast<size_t>(found - 1))) << text << "|" << what;
            ASSERT_TRUE(EqualsText(text.substr(found - 1, what.size()), what, ignoreCase));
        }
        const std::string between = TextBetween(text, what, ";", start, ignoreCase);
        ASSERT_NE(text.find(between), std::string::npos);
        ASSERT_LE(Trim(text).size(), text.size());

        const std::vector<std::string> pieces = SplitText(text, ";");
        std::string joined;
        for (size_t i = 0; i < pieces.size(); ++i) {
            joined += (i > 0 ? ";" : "") + pieces[i];
        }
        ASSERT_TRUE(joined == text || joined + ";" == text) << text;
    }
}

}  // namespace
}  // namespace lumaru
