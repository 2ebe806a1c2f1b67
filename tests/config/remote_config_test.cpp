#include "config/remote_config.h"

#include <gtest/gtest.h>

#include "net/text_encodings.h"

namespace lumaru {
namespace {

std::string Page(const std::string& article) {
    return "<html><head><title>Lumaru</title></head><body>"
           "<!-- 正文开始 -->" +
           article + "<!-- 正文结束 --></body></html>";
}

TEST(ParseRemoteConfig, ReadsEveryKeyIntoItsField) {
    std::string article;
    const char* keys[] = {"edition111",  "edition88", "edition333", "edition4", "edition5",
                          "edition6",    "edition7",  "edition8",   "edition9", "edition10",
                          "edition11",   "edition12", "edition13",  "edition3", "editionn3",
                          "downloadURL", "explain"};
    for (const char* key : keys) {
        article += std::string("<p>[") + key + "]=v-" + key + "[/" + key + "]</p>\n";
    }
    const RemoteConfig config = ParseRemoteConfig(Page(article));
    EXPECT_EQ(config.routes[0], "v-edition111");
    EXPECT_EQ(config.routes[1], "v-edition88");
    EXPECT_EQ(config.routes[2], "v-edition333");
    EXPECT_EQ(config.routes[8], "v-edition9");
    EXPECT_EQ(config.edition10, "v-edition10");
    EXPECT_EQ(config.edition12, "v-edition12");
    EXPECT_EQ(config.edition13, "v-edition13");
    EXPECT_EQ(config.edition3, "v-edition3");
    EXPECT_EQ(config.editionn3, "v-editionn3");
    EXPECT_EQ(config.downloadUrl, "v-downloadURL");
    EXPECT_EQ(config.explain, "v-explain");
}

TEST(ParseRemoteConfig, TakesEachValueAsWritten) {
    struct Case {
        const char* what;
        std::string body;
        std::string edition3;
        std::string editionn3;
        std::string route4;
    } cases[] = {
        {"only edition5", Page("[edition5]=abc[/edition5]"), "", "", "abc"},
        {"edition3 and editionn3 apart",
         Page("[editionn3]=2.0[/editionn3][edition3]=1.0[/edition3]"), "1.0", "2.0", ""},
        {"entry outside the article", "[edition3]=x[/edition3]" + Page(""), "", "", ""},
        {"entity kept", Page("[edition5]=http://a/?a=1&amp;b=2[/edition5]"), "", "",
         "http://a/?a=1&amp;b=2"},
        {"first of two wins", Page("[edition3]=1[/edition3][edition3]=2[/edition3]"), "1", "", ""},
        {"tag in capitals", Page("[EDITION3]=up[/Edition3]"), "up", "", ""},
        {"spaces and markup kept", Page("[edition5]= <b>x</b>\r\n[/edition5]"), "", "",
         " <b>x</b>\r\n"},
        {"closing tag missing: runs to the next key's closing tag",
         Page("[edition3]=a [edition3]=b[/edition3]"), "a [edition3]=b", "", ""},
        {"closing tag missing altogether", Page("[edition3]=a"), "", "", ""},
        {"article markers missing", "[edition3]=1[/edition3]", "", "", ""},
        {"body cut at its first zero byte", Page(std::string("[edition3]=1[/edition3]\0", 24)), "",
         "", ""},
        {"empty page", "", "", "", ""},
    };
    for (const Case& c : cases) {
        const RemoteConfig config = ParseRemoteConfig(c.body);
        EXPECT_EQ(config.edition3, c.edition3) << c.what;
        EXPECT_EQ(config.editionn3, c.editionn3) << c.what;
        EXPECT_EQ(config.routes[4], c.route4) << c.what;
    }
}

TEST(ParseRemoteConfig, ConvertsTheUtf8PageToGbkAndNeverMatchesInsideACharacter) {
    // 癧 is B0 5B in GBK: its second byte is "[", which must not start a key's tag.
    const RemoteConfig config =
        ParseRemoteConfig(Page("<p>癧edition3]=wrong[/edition3]</p>[edition3]=2.1[/edition3]"
                               "[explain]=说明[/explain][edition12]=Lumaru影视[/edition12]"));
    EXPECT_EQ(config.edition3, "2.1");
    EXPECT_EQ(config.explain, Utf8ToAnsi("说明"));
    EXPECT_EQ(config.edition12, Utf8ToAnsi("Lumaru影视"));
}

TEST(IsWebAddress, OpensOnlyWebAddresses) {
    EXPECT_TRUE(IsWebAddress("https://example.com/setup.exe"));
    EXPECT_TRUE(IsWebAddress("HTTP://example.com/"));
    for (const char* address : {"", "file:///etc/passwd", "/etc/passwd", "javascript:alert(1)",
                                "ftp://example.com/", "http://", "mailto:a@b.c"}) {
        EXPECT_FALSE(IsWebAddress(address)) << address;
    }
}

}  // namespace
}  // namespace lumaru
