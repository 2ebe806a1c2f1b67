#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "net/text_encodings.h"

namespace lumaru {
namespace {

// Test texts are written in UTF-8 and handed to the object in GBK, as the system holds them.
std::string Gbk(std::string_view utf8) {
    return Utf8ToAnsi(utf8);
}

std::vector<std::string> AllMatches(const RegexObject& regex) {
    std::vector<std::string> texts;
    for (int n = 1; n <= regex.MatchCount(); ++n) {
        texts.push_back(regex.MatchText(n));
    }
    return texts;
}

struct MatchCase {
    const char* name;
    std::string pattern;
    std::string subject;
    std::vector<std::string> matches;
    std::optional<bool> caseSensitive = std::nullopt;
    std::optional<bool> multiline = std::nullopt;
    std::optional<bool> global = std::nullopt;
    std::optional<bool> quoteMarker = std::nullopt;
};

TEST(RegexObjectTest, MatchesFollowTheScriptEngineRules) {
    const std::vector<MatchCase> cases = {
        {"no match", "<td>(.*?)</td>", "<tr></tr>", {}},
        {"empty subject", "x*", "", {}},
        {"case ignored by default", "ABC", "xabcXaBc", {"abc", "aBc"}},
        {"case kept on request", "ABC", "xabcXABC", {"ABC"}, true},
        {"only the first when not global", "\\d", "a1b2", {"1"}, std::nullopt, std::nullopt, false},
        {"lazy group stops at a line feed", "a(.*?)b", "a\nb axb", {"axb"}},
        {"dot takes a carriage return", "a.b", "a\rb", {"a\rb"}},
        {"literal line break crosses exactly it", "a\r\nb", "a\nb a\r\nb", {"a\r\nb"}},
        {"[\\s\\S] crosses lines", "<p>[\\s\\S]*?</p>", "<p>1\n2</p>", {"<p>1\n2</p>"}},
        {"^ at line starts by default", "^\\w", "a\nb", {"a", "b"}},
        {"^ at the start only without multiline", "^\\w", "a\nb", {"a"}, std::nullopt, false},
        {"empty matches step one character", "x*", "ab", {"", "", ""}},
        {"a match right after an empty one", "a*", "baa", {"", "aa", ""}},
        {"empty matches step over a whole GBK character", "x*", Gbk("中a"), {"", "", ""}},
        {"\\w and \\d are ASCII", "\\w+", Gbk("ab中cd12"), {"ab", "cd12"}},
        {"a Chinese character matches as one", "..", Gbk("中文字"), {Gbk("中文")}},
        {"a trail byte never matches alone", "a|@", "\x81\x61\x81\x40", {}},
        {"GBK in the pattern", Gbk("价格：(\\d+)元"), Gbk("《书》价格：12元"), {Gbk("价格：12元")}},
        {"quote marker stands for a quote",
         Gbk("id=#引号(\\w+)#引号"),
         "id=\"x1\"",
         {"id=\"x1\""},
         std::nullopt,
         std::nullopt,
         std::nullopt,
         true},
        {"quote marker literal without the option",
         Gbk("id=#引号"),
         Gbk("id=#引号 id=\""),
         {Gbk("id=#引号")}},
        {"script-engine escapes", "\\u4E2D[^]", Gbk("中\n"), {Gbk("中\n")}},
        {"unset backreference matches nothing", "(a)?\\1b", "b", {"b"}},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        RegexObject regex;
        ASSERT_TRUE(regex.Create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global,
                                 c.quoteMarker));
        EXPECT_EQ(AllMatches(regex), c.matches);
    }
}

TEST(RegexObjectTest, SplitsABlogEntryAtItsFirstLetterC) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create(".(.*?)C(.*?)<br />", "xabcdef<br />\nyghCijk<br />"));
    ASSERT_EQ(regex.MatchCount(), 2);
    EXPECT_EQ(regex.SubmatchText(1, 1), "ab");
    EXPECT_EQ(regex.SubmatchText(1, 2), "def");
    EXPECT_EQ(regex.SubmatchText(2, 1), "gh");
    EXPECT_EQ(regex.SubmatchText(2, 2), "ijk");
    EXPECT_EQ(regex.GroupCount(), 2);
}

TEST(RegexObjectTest, OutOfRangeAndUnsetGroupsGiveEmptyText) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(a)|(b)", "b"));
    int position = 99;
    EXPECT_EQ(regex.SubmatchText(1, 1, &position), "");
    EXPECT_EQ(position, -1);
    EXPECT_EQ(regex.SubmatchText(1, 2, &position), "b");
    EXPECT_EQ(position, 0);
    const std::vector<std::pair<int, int>> outOfRange = {{1, 3}, {1, 0}, {0, 1}, {2, 1}, {-1, -1}};
    for (const auto& [n, g] : outOfRange) {
        EXPECT_EQ(regex.SubmatchText(n, g, &position), "") << n << "," << g;
        EXPECT_EQ(position, -1);
    }
    EXPECT_EQ(regex.MatchText(0), "");
    EXPECT_EQ(regex.MatchText(2), "");
}

TEST(RegexObjectTest, ARejectedPatternFailsAndLeavesNoMatches) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(a)", "a"));
    for (const char* pattern : {"(", "a{2,1}", "[z-a]", "(?<=a+)b"}) {
        EXPECT_FALSE(regex.Create(pattern, "a")) << pattern;
        EXPECT_EQ(regex.MatchCount(), 0);
        EXPECT_EQ(regex.GroupCount(), 0);
        EXPECT_EQ(regex.MatchText(1), "");
        EXPECT_EQ(regex.ReplaceMatches("x"), "");
    }
}

TEST(RegexObjectTest, PositionsAreByteOffsetsIntoTheGbkSubject) {
    const std::string subject = Gbk("中中中aXa 名字：<b>值</b>");
    RegexObject regex;
    ASSERT_TRUE(regex.Create("a", subject));
    int position = -1;
    EXPECT_EQ(regex.MatchText(1, &position), "a");
    EXPECT_EQ(position, 6);
    // Searching the text from the character index would find the first "a" again.
    EXPECT_EQ(regex.MatchText(2, &position), "a");
    EXPECT_EQ(position, 8);

    ASSERT_TRUE(regex.Create("(a)(a)?X(a)", subject));
    EXPECT_EQ(regex.SubmatchText(1, 3, &position), "a");
    EXPECT_EQ(position, 8);

    ASSERT_TRUE(regex.Create(Gbk("：<b>(.*?)</b>"), subject));
    EXPECT_EQ(regex.MatchText(1, &position), Gbk("：<b>值</b>"));
    EXPECT_EQ(position, 14);
    EXPECT_EQ(regex.SubmatchText(1, 1, &position), Gbk("值"));
    EXPECT_EQ(position, 19);
    EXPECT_EQ(subject.substr(19, 2), Gbk("值"));
}

TEST(RegexObjectTest, ReturnsTheSubjectsOwnBytesAroundInvalidGbk) {
    // An unassigned pair, a lone lead byte and the euro byte each count as one character.
    const std::string subject =
        std::string("<i>\xA2\xA0</i><i>\x81</i><i>\x80</i><i>") + Gbk("中") + "</i>";
    RegexObject regex;
    ASSERT_TRUE(regex.Create("<i>(.)</i>", subject));
    ASSERT_EQ(regex.MatchCount(), 4);
    const std::vector<std::string> expected = {"\xA2\xA0", "\x81", "\x80", Gbk("中")};
    for (int n = 1; n <= 4; ++n) {
        int position = -1;
        EXPECT_EQ(regex.SubmatchText(n, 1, &position), expected[n - 1]);
        EXPECT_EQ(subject.substr(position, expected[n - 1].size()), expected[n - 1]);
    }
}

TEST(RegexObjectTest, RandomGbkSubjectsMapEveryMatchBackToItsBytes) {
    // Words of ASCII and GBK characters (some of them invalid) between separators: every match
    // must be exactly the bytes of one word, found at its own offset.
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {
        "a", "Z", "0", "\r", Gbk("中"), Gbk("文"), "\x81\x40", "\x80", "\xFF", "\xA2\xA0", "\x81"};
    for (int round = 0; round < 200; ++round) {
        std::string subject;
        std::vector<std::pair<size_t, std::string>> words;
        for (int w = 0; w < 40; ++w) {
            std::string word;
            for (int length = 1 + random() % 8; length > 0; --length) {
                word += pieces[random() % pieces.size()];
            }
            words.emplace_back(subject.size(), word);
            subject += word;
            subject += random() % 2 ? " " : "\n";
        }
        RegexObject regex;
        ASSERT_TRUE(regex.Create("([^ \\n]+)", subject));
        ASSERT_EQ(regex.MatchCount(), static_cast<int>(words.size()));
        for (int n = 1; n <= regex.MatchCount(); ++n) {
            int position = -1;
            ASSERT_EQ(regex.SubmatchText(n, 1, &position), words[n - 1].second);
            ASSERT_EQ(position, static_cast<int>(words[n - 1].first));
        }
    }
}

struct ReplaceCase {
    std::string pattern;
    std::string replacement;
    std::string expected;
    std::optional<bool> global = std::nullopt;
};

TEST(RegexObjectTest, ReplaceMatchesExpandsTheReplacement) {
    const std::string subject = Gbk("名a1b中c2d");
    const std::vector<ReplaceCase> cases = {
        {"(\\w)(\\d)", "[$2$1]", Gbk("名[1a]b中[2c]d")},
        {"\\d", "<$&>", Gbk("名a<1>b中c<2>d")},
        {"\\d", "$$", Gbk("名a$b中c$d")},
        {"(\\d)", "$10", Gbk("名a10b中c20d")},
        {"(\\d)", "$2$0$x$", Gbk("名a$2$0$x$b中c$2$0$x$d")},
        {Gbk("中"), "[$`|$']", Gbk("名a1b[名a1b|c2d]c2d")},
        {"\\d", Gbk("字"), Gbk("名a字b中c2d"), false},
        {"(x)?\\d", "($1)", Gbk("名a()b中c()d")},
        {"z", "y", subject},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.pattern + " -> " + c.replacement);
        RegexObject regex;
        ASSERT_TRUE(regex.Create(c.pattern, subject, std::nullopt, std::nullopt, c.global));
        EXPECT_EQ(regex.ReplaceMatches(c.replacement), c.expected);
    }
}

TEST(RegexObjectTest, CopySharesTheRunAndDestroyForgetsIt) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create(Gbk("#引号(\\w)#引号"), "'a' \"b\"", std::nullopt, std::nullopt,
                             std::nullopt, true));
    EXPECT_EQ(regex.GetPattern(), "\"(\\w)\"");
    RegexObject copy = regex.Copy();
    regex.Destroy();
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), "");
    EXPECT_EQ(copy.MatchCount(), 1);
    EXPECT_EQ(copy.SubmatchText(1, 1), "b");
    EXPECT_EQ(copy.ReplaceMatches("<$1>"), "'a' <b>");

    // A second Create replaces everything of the first run.
    ASSERT_TRUE(copy.Create("(\\d)(\\d)", "12 34"));
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.GroupCount(), 2);
    EXPECT_EQ(copy.GetPattern(), "(\\d)(\\d)");
}

TEST(RegexObjectTest, MultiMegabyteSubjectsNeverOverflowAStack) {
    const std::string entry = Gbk("<li class=\"room\">房间\n<a title=\"标题") + "\">x</a></li>\n";
    std::string page;
    while (page.size() < 4 * 1024 * 1024) {
        page += entry;
    }
    const int entries = static_cast<int>(page.size() / entry.size());
    const std::string longLine(4 * 1024 * 1024, 'a');
    struct BigCase {
        const char* name;
        std::string pattern;
        const std::string* subject;
        int minimum;  // matches that must be found
        int maximum;
    };
    const std::vector<BigCase> cases = {
        {"many matches", "class=\"(.*?)\"[\\s\\S]*?title=\"(.*?)\"", &page, entries, entries},
        {"one match over the whole page", "^([\\s\\S]*)$", &page, 1, 1},
        {"lazy gap that never closes", "class=[\\s\\S]*?nowhere", &page, 0, 0},
        {"one line of megabytes", "(a+)", &longLine, 1, 1},
        {"a group repeated per character", "(a|b)*c", &longLine, 0, 0},
        {"catastrophic backtracking", "(a*)*b", &longLine, 0, 0},
    };
    for (const BigCase& c : cases) {
        SCOPED_TRACE(c.name);
        RegexObject regex;
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(regex.Create(c.pattern, *c.subject));
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_GE(regex.MatchCount(), c.minimum);
        EXPECT_LE(regex.MatchCount(), c.maximum);
        EXPECT_LT(seconds, 30.0);
    }
}

}  // namespace
}  // namespace lumaru
