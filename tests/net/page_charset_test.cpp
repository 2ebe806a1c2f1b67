#include "net/page_charset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/text_encodings.h"

namespace lumaru {
namespace {

std::string Gbk(std::string_view utf8) {
    return Utf8ToAnsi(utf8);
}

struct PageCase {
    const char* name;
    std::string body;      // the page as it arrives; the fetcher first reads it as GBK text
    std::string expected;  // the page text afterwards
};

TEST(PageCharsetTest, DecodesPagesThatDeclareAnotherCharset) {
    const std::string utf8Page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "</head><body>中文标题 · 第1集</body></html>";
    const std::string gbkPage = Gbk(utf8Page) + "\xFF";
    const std::string padding(1024, ' ');
    const std::vector<PageCase> cases = {
        {"UTF-8 page comes back as GBK", utf8Page, Gbk(utf8Page)},
        {"quote before the name", "<meta charset=\"utf-8\">\n<p>汉字</p>",
         Gbk("<meta charset=\"utf-8\">\n<p>汉字</p>")},
        {"letter case of the tag ignored", "<META CHARSET='UTF-8'>名",
         Gbk("<META CHARSET='UTF-8'>名")},
        {"gb2312 read as it arrived", "<meta charset=gb2312>" + gbkPage,
         "<meta charset=gb2312>" + gbkPage},
        {"gbk read as it arrived", "<meta charset=\"gbk\">" + gbkPage,
         "<meta charset=\"gbk\">" + gbkPage},
        // Decoded all the same: the byte that is not GBK becomes "?".
        {"GBK in capitals decoded", "<meta charset=\"GBK\">" + gbkPage,
         "<meta charset=\"GBK\">" + Gbk(utf8Page) + "?"},
        {"declaration beyond the first 1024 bytes", padding + utf8Page, padding + utf8Page},
        {"tag and charset on different lines", "<meta\ncharset=utf-8>名",
         "<meta\ncharset=utf-8>名"},
        {"no declaration", "<p>名</p>", "<p>名</p>"},
        {"unknown charset", "<meta charset=x-no-such-charset>名",
         "<meta charset=x-no-such-charset>名"},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string pageText = c.body;
        DecodePageCharset(pageText, c.body);
        EXPECT_EQ(pageText, c.expected);
    }
}

TEST(PageCharsetTest, DecodesTheBodyNotThePageText) {
    const std::string body = "<meta charset=utf-8>一";
    std::string pageText = body.substr(0, 20) + "garbled";
    DecodePageCharset(pageText, body);
    EXPECT_EQ(pageText, Gbk(body));

    // The fetcher may hand in one buffer as both.
    std::string page = body;
    DecodePageCharset(page, page);
    EXPECT_EQ(page, Gbk(body));
}

TEST(PageCharsetTest, DecodesCharsetsIntoGbk) {
    const struct {
        const char* charset;
        std::string bytes;
        std::string gbk;
    } cases[] = {
        {"utf-8", "\xEF\xBB\xBF中文", Gbk("中文")},  // the byte-order mark is dropped
        {"utf-8",
         "a\xFF"
         "b\xE4\xB8",
         "a?b?"},                       // bad and cut-off sequences
        {"utf-8", "한글 ok", "?? ok"},  // characters GBK lacks
        {"GB2312", "\x81\x40\xD6\xD0",
         "\x81\x40\xD6\xD0"},  // GBK characters under the GB2312 label
        {"big5", "\xA4\xA4\xA4\xE5", Gbk("中文")},
        {"iso-8859-1", "caf\xE9 \x80", Gbk("café €")},
        {"utf-16le", std::string("\x2D\x4E\x61\x00", 4), Gbk("中a")},
        {"utf-8", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset);
        std::string gbk = "unchanged";
        ASSERT_TRUE(DecodeCharsetToGbk(c.bytes, c.charset, gbk));
        EXPECT_EQ(gbk, c.gbk);
    }
    std::string gbk = "unchanged";
    EXPECT_FALSE(DecodeCharsetToGbk("x", "no-such-charset", gbk));
    EXPECT_EQ(gbk, "unchanged");
}

}  // namespace
}  // namespace lumaru
