#include "net/text_encodings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

namespace lumaru {
namespace {

using namespace std::string_literals;

// GBK bytes of a few characters, named by what they are.
const std::string kZhong = "\xD6\xD0";                // 中
const std::string kGbkEAcute = "\xA8\xA6";            // é
const std::string kFullWidthSpace = "\xA1\xA1";       // U+3000
const std::string kUtf8Zhong = "\xE4\xB8\xAD";        // 中
const std::string kUtf8Replacement = "\xEF\xBF\xBD";  // U+FFFD
const std::string kWideReplacement = "\xFD\xFF"s;     // U+FFFD, UTF-16LE
const std::string kUtf8Euro = "\xE2\x82\xAC";         // U+20AC

TEST(UrlEncode, EscapesEveryByteUnlessKeptAndConvertsWhenAsked) {
    struct Case {
        std::string text;
        bool keepUnreserved;
        bool toUtf8;
        std::string expected;
    };
    const Case cases[] = {
        {"", false, false, ""},
        {"", true, true, ""},
        {"abc", false, false, "%61%62%63"},
        {"abc", true, false, "abc"},
        {"a b/c_d~e", true, false, "a%20b%2Fc%5Fd%7Ee"},
        {"-.09AZaz*+", true, false, "-.09AZaz%2A%2B"},
        {"\n", false, false, "%0A"},
        {kZhong, false, false, "%D6%D0"},
        {kZhong, true, false, "%D6%D0"},
        {kZhong, false, true, "%E4%B8%AD"},
        {"ab\0cd"s, false, false, "%61%62"},  // the text ends at its zero byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UrlEncode(c.text, c.keepUnreserved, c.toUtf8), c.expected)
            << "text=" << c.text << " keep=" << c.keepUnreserved << " utf8=" << c.toUtf8;
    }
    EXPECT_EQ(UrlEncode(AnsiToUtf8(kZhong)), "%E4%B8%AD");
}

TEST(WideBuffers, CountOneTerminatorExceptGbkToWideOfEmptyText) {
    EXPECT_EQ(TextToWide(""), "\0\0"s);
    EXPECT_EQ(TextToWide("", kCodePageGbk), "\0\0"s);
    EXPECT_EQ(GbkToWide(""), "");
    EXPECT_EQ(TextToWide("ab", kCodePageGbk), "a\0b\0\0\0"s);
    EXPECT_EQ(TextToWide(kUtf8Zhong), "\x2D\x4E\0\0"s);
    EXPECT_EQ(TextToWide(kZhong, kCodePageAnsi), "\x2D\x4E\0\0"s);
    EXPECT_EQ(GbkToWide(kZhong), "\x2D\x4E\0\0"s);
    EXPECT_EQ(GbkToWide("a\0b"s), "a\0\0\0"s);
    EXPECT_EQ(TextToWide("ab", 12345), "\0\0"s);  // unknown code page: empty wide text
}

TEST(WideBuffers, ReadUpToTheirFirstZeroUnitAndIgnoreAnOddByte) {
    EXPECT_EQ(WideToText(""), "");
    EXPECT_EQ(WideToText("a\0\0\0b\0"s), "a");
    EXPECT_EQ(WideToText("a\0b"s), "a");  // odd final byte dropped
    EXPECT_EQ(WideToText("\x2D\x4E\0\0"s), kZhong);
    EXPECT_EQ(WideToText("\x2D\x4E\0\0"s, kCodePageUtf8), kUtf8Zhong);
    EXPECT_EQ(WideToGbk("\x2D\x4E\0\0x\0"s), kZhong);
    EXPECT_EQ(WideToText("a\0"s, 12345), "");
    // A zero low byte alone is no terminator: U+4E00 is 00 4E.
    EXPECT_EQ(WideToText("\x00\x4E\0\0"s, kCodePageUtf8), "\xE4\xB8\x80");
}

TEST(RoundTrips, GbkTextsSurviveEveryPairOfConverters) {
    const std::string texts[] = {
        "plain ascii ~!@#",
        kZhong + "abc" + kZhong,
        "\x80",  // euro sign
        kFullWidthSpace + kGbkEAcute + "\xA8\xB5",
        "\xB0\xA1\x81\x40\xFE\x4F",  // first GB2312 character, GBK extension corners
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(text)), text);
        EXPECT_EQ(WideToGbk(GbkToWide(text)), text);
        EXPECT_EQ(WideToText(TextToWide(text, kCodePageGbk)), text);
        EXPECT_EQ(Utf16ToGbk(GbkToUtf16(text)), text);
        EXPECT_EQ(WideToText(TextToWide(AnsiToUtf8(text)), kCodePageUtf8), AnsiToUtf8(text));
    }
}

// Every lead/trail pair either decodes to one character that encodes back to the same pair, or
// is one replacement: its trail byte is never read as a character of its own.
TEST(RoundTrips, EveryGbkDoubleByteCharacterMapsBackOrIsOneReplacement) {
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string units = GbkToUtf16(pair);
            ASSERT_EQ(units.size(), 1u) << std::hex << lead << " " << trail;
            if (units[0] != u'\xFFFD') {
                ++mapped;
                EXPECT_EQ(Utf16ToGbk(units), pair) << std::hex << lead << " " << trail;
            }
        }
    }
    EXPECT_GT(mapped, 21000);  // GBK assigns 21886 double-byte characters
}

TEST(InvalidInput, GbkBecomesReplacementCharacters) {
    struct Case {
        std::string gbk;
        std::string utf8;
    };
    const Case cases[] = {
        {"\x80", kUtf8Euro},
        {"\xFF", kUtf8Replacement},
        {"a\x81", "a" + kUtf8Replacement},         // lead byte cut off at the end
        {"a\x81\0\x40"s, "a" + kUtf8Replacement},  // ... or by the zero that ends the text
        {"\x81\x30x", kUtf8Replacement + "0x"},    // no trail byte: the next byte is kept
        {"\xAA\xA1x", kUtf8Replacement + "x"},     // unassigned pair: one replacement
        {"\xFF\xFF" + kZhong, kUtf8Replacement + kUtf8Replacement + kUtf8Zhong},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiToUtf8(c.gbk), c.utf8);
        EXPECT_EQ(WideToText(GbkToWide(c.gbk), kCodePageUtf8), c.utf8);
    }
    EXPECT_EQ(GbkToWide("\xFF"), kWideReplacement + "\0\0"s);
}

TEST(InvalidInput, Utf8AndUnmappableCharactersBecomeQuestionMarksInGbk) {
    struct Case {
        std::string utf8;
        std::string gbk;
    };
    const Case cases[] = {
        {kUtf8Euro, "\x80"},         {"\xC3\xA9", kGbkEAcute},
        {"\xC3\xA4", "?"},            // a with diaeresis: GBK lacks it
        {"\xF0\x9F\x98\x80x", "?x"},  // outside the BMP: one character, one mark
        {"\xC0\xAFx", "??x"},         // overlong: each byte is invalid on its own
        {"\xED\xA0\x80", "???"},      // an encoded surrogate
        {"\xE4\xB8", "?"},            // truncated at the end
        {"\xE4\xB8x", "?x"},          // truncated before an ASCII byte
        {"\xFF\xFE", "??"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.gbk) << c.utf8;
        EXPECT_EQ(WideToText(TextToWide(c.utf8)), c.gbk) << c.utf8;
    }
    EXPECT_EQ(TextToWide("\xFFx"), kWideReplacement + "x\0\0\0"s);
}

TEST(InvalidInput, LoneSurrogatesBecomeReplacements) {
    const std::string loneHigh = "\x00\xD8x\0"s;
    const std::string loneLow = "\x00\xDC"s;
    EXPECT_EQ(WideToText(loneHigh, kCodePageUtf8), kUtf8Replacement + "x");
    EXPECT_EQ(WideToText(loneHigh + "\x00\xD8"s, kCodePageUtf8),
              kUtf8Replacement + "x" + kUtf8Replacement);
    EXPECT_EQ(WideToGbk(loneLow + loneHigh), "??x");
    EXPECT_EQ(Utf16ToGbk(u"\xD83D\xDE00|\xDC00"), "?|?");
}

TEST(WideToGbk, ComposesBaseLettersWithCombiningMarksWhereGbkHasThem) {
    struct Case {
        std::u16string units;
        std::string gbk;
    };
    const Case cases[] = {
        {u"e\u0301", kGbkEAcute},
        {u"u\u0308\u0304", "\xA8\xB5"},  // u, diaeresis, macron: one pinyin letter
        {u"\u304B\u3099", "\xA4\xAC"},   // ka + voiced mark = ga
        {u"x\u0301", "x?"},              // no such precomposed letter
        {u"\u0301e", "?e"},              // a mark before any base stays a mark
    };
    for (const Case& c : cases) {
        std::string wide;
        for (char16_t unit : c.units) {
            wide.push_back(static_cast<char>(unit & 0xFF));
            wide.push_back(static_cast<char>(unit >> 8));
        }
        EXPECT_EQ(WideToGbk(wide), c.gbk);
    }
    // The general converter writes what it is given, letter by letter.
    EXPECT_EQ(WideToText("e\0\x01\x03"s), "e?");
}

TEST(Utf16, ConvertsWithoutTerminatorAndStopsAtZero) {
    EXPECT_EQ(GbkToUtf16(""), u"");
    EXPECT_EQ(GbkToUtf16("a" + kZhong + "\x80"), u"a\u4E2D\u20AC");
    EXPECT_EQ(Utf16ToGbk(u"a\u4E2D\u20AC"), "a" + kZhong + "\x80");
    EXPECT_EQ(Utf16ToGbk(std::u16string(u"ab\0cd", 5)), "ab");
}

// Long inputs whose output outgrows the first size guess: each euro byte becomes three bytes.
TEST(LongInput, OutputGrowsPastTheFirstGuess) {
    const std::string euros(10000, '\x80');
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        expected += kUtf8Euro;
    }
    EXPECT_EQ(AnsiToUtf8(euros), expected);
    EXPECT_EQ(Utf8ToAnsi(expected), euros);
    const std::string invalid(5000, '\xFF');
    EXPECT_EQ(AnsiToUtf8(invalid).size(), 5000u * 3);
}

// Each thread has its own conversion descriptors; results must not mix.
TEST(Threads, ConcurrentConversionsGiveTheirOwnResults) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            const std::string gbk = std::string(static_cast<size_t>(t + 1), 'a') + kZhong;
            const std::string utf8 = std::string(static_cast<size_t>(t + 1), 'a') + kUtf8Zhong;
            for (int i = 0; i < 2000; ++i) {
                if (AnsiToUtf8(gbk) != utf8 || Utf8ToAnsi(utf8) != gbk ||
                    WideToGbk(GbkToWide(gbk)) != gbk) {
                    ++failures[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// Random bytes, weighted towards lead bytes, zero and the edges of the ranges: the direct
// conversions and the ones through UTF-16 must agree, and no output holds a zero byte.
TEST(InvalidInput, RandomBytesGiveTheSameResultOnEveryPath) {
    const unsigned char alphabet[] = {0x00, 0x20, 0x41, 0x7F, 0x80, 0x81, 0xA1, 0xAA, 0xC0,
                                      0xD6, 0xE4, 0xED, 0xF0, 0xF4, 0xFE, 0xFF, 0x30, 0x9F};
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 1);
    std::uniform_int_distribution<size_t> length(0, 24);
    for (int round = 0; round < 5000; ++round) {
        std::string bytes(length(random), '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(alphabet[pick(random)]);
        }
        const std::string utf8 = AnsiToUtf8(bytes);
        ASSERT_EQ(utf8, WideToText(GbkToWide(bytes), kCodePageUtf8));
        ASSERT_EQ(utf8.find('\0'), std::string::npos);
        const std::string gbk = Utf8ToAnsi(bytes);
        ASSERT_EQ(gbk, WideToText(TextToWide(bytes)));
        ASSERT_EQ(gbk, Utf16ToGbk(GbkToUtf16(Utf8ToAnsi(bytes))));
        ASSERT_EQ(WideToGbk(bytes), WideToGbk(bytes + "\0\0"));
    }
}

}  // namespace
}  // namespace lumaru
