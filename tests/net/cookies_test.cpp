#include "net/cookies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumaru {
namespace {

TEST(CollectSetCookies, TakesTheNameValuePairOfEverySetCookieLine) {
    const std::string headers =
        "HTTP/1.1 200 OK\r\n"
        "Set-Cookie: a=1; path=/\r\n"
        "Content-Type: text/html\r\n"
        "Set-Cookie: b=2\r\n"
        "\r\n";
    struct Case {
        std::string headers, start, expected;
    };
    const Case cases[] = {
        {headers, "", "a=1; b=2"},
        {"", "", ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", "", ""},
        // The start text is kept whole and joined to the new items by one separator.
        {headers, "x=0", "x=0; a=1; b=2"},
        {headers, "x=0; ", "x=0; a=1; b=2"},
        {headers, "x=0;", "x=0; a=1; b=2"},
        {"HTTP/1.1 200 OK\r\n", "x=1; y=2", "x=1; y=2"},
        // Letter case is normalised by the fetchers before; other spellings are no cookies.
        {"set-cookie: c=3\r\n", "", ""},
        // Lines that set nothing add no empty item.
        {"Set-Cookie:\r\nSet-Cookie: ; path=/\r\nSet-Cookie: d=4\r\n", "", "d=4"},
        {"Set-Cookie:e=5;HttpOnly", "", "e=5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CollectSetCookies(c.headers, c.start), c.expected)
            << c.headers << " | " << c.start;
    }
}

TEST(MergeCookies, FreshCookiesReplaceOrDeleteOldOnesOfTheSameName) {
    struct Case {
        std::string oldCookies, freshCookies;
        std::string merged, freshAfter;
    };
    const Case cases[] = {
        {"a=1; b=2; c=3", "b=9; c=deleted", "b=9; a=1", "b=9;c=deleted"},
        {"a=1; a=2", "", "a=1", ""},
        {"", "", "", ""},
        {"", "x=1; y=2", "x=1; y=2", "x=1;y=2"},
        {"a=1", "a=deleted", "", "a=deleted"},
        {"a=1;;b=2;", "", "a=1; b=2", ""},
        {"x=1", "y=2; y=2", "y=2; x=1", "y=2;y=2"},
        {"a = 1;\xA1\xA1"
         "b=2",
         "", "a=1; b=2", ""},  // ASCII and full-width spaces go
        {"deleted", "", "deleted", ""},
    };
    for (const Case& c : cases) {
        std::string oldCookies = c.oldCookies;
        std::string freshCookies = c.freshCookies;
        EXPECT_EQ(MergeCookies(oldCookies, freshCookies), c.merged) << c.oldCookies;
        EXPECT_EQ(oldCookies, c.merged) << c.oldCookies;
        EXPECT_EQ(freshCookies, c.freshAfter) << c.oldCookies;
    }
}

// What a fetcher does over two responses: collect, merge, send the jar again.
TEST(MergeCookies, KeepsAJarAcrossResponses) {
    std::string jar;
    std::string fresh = CollectSetCookies("Set-Cookie: sid=1; path=/\r\nSet-Cookie: lang=zh", "");
    MergeCookies(jar, fresh);
    EXPECT_EQ(jar, "sid=1; lang=zh");
    fresh = CollectSetCookies("Set-Cookie: sid=deleted\r\nSet-Cookie: seen=1", "");
    MergeCookies(jar, fresh);
    EXPECT_EQ(jar, "seen=1; lang=zh");
}

TEST(CookieItems, NamesListsAndDistinctJoins) {
    EXPECT_EQ(CookieName(" a = 1 "), "a");
    EXPECT_EQ(CookieName("flag"), "flag");
    EXPECT_EQ(CookieName("=v"), "");
    EXPECT_EQ(CookieName("a=b=c"), "a");

    const std::vector<std::string> items = {"a=1", "B=2", "c"};
    EXPECT_TRUE(HasCookieName(items, "B"));
    EXPECT_TRUE(HasCookieName(items, "c"));
    EXPECT_FALSE(HasCookieName(items, "b"));
    EXPECT_FALSE(HasCookieName({}, ""));

    EXPECT_EQ(IndexOfText(items, "B=2"), 2);
    EXPECT_EQ(IndexOfText(items, "b=2"), -1);
    EXPECT_EQ(IndexOfText({"x", "x"}, "x"), 1);

    EXPECT_EQ(JoinDistinct("x; y; x", "; "), "x; y");
    EXPECT_EQ(JoinDistinct("", "; "), "");
    EXPECT_EQ(JoinDistinct("x;x;y;", ";"), "x;y");
}

}  // namespace
}  // namespace lumaru
