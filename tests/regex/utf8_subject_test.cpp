#include "regex/utf8_subject.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "net/charset_converter.h"

namespace lumaru {
namespace {

// Random bytes weighted towards ASCII runs, GBK pairs and stray high bytes, with every kind of
// byte that can follow a lead byte.
std::string RandomGbkBytes(std::mt19937& random, size_t size) {
    std::string bytes;
    while (bytes.size() < size) {
        switch (random() % 4) {
            case 0:
                bytes.append(1 + random() % 20, static_cast<char>('a' + random() % 26));
                break;
            case 1:
                bytes += static_cast<char>(0xB0 + random() % 0x40);
                bytes += static_cast<char>(0xA1 + random() % 0x5E);
                break;
            default:
                bytes += static_cast<char>(random() % 256);
                break;
        }
    }
    return bytes;
}

TEST(Utf8SubjectTest, CopyIsTheTextEncodingsConversionOfTheWholeText) {
    std::mt19937 random(11);
    for (const size_t size : {0, 1, 7, 300, 5000, 100000}) {
        const std::string gbk = RandomGbkBytes(random, size);
        std::string expected;
        ConvertAppend(Charset::kGbk, Charset::kUtf8, gbk, expected);
        Utf8Subject subject(gbk);
        ASSERT_EQ(subject.Text(), expected) << size;
    }
}

TEST(Utf8SubjectTest, MapsEveryCharacterBoundaryBackInAnyOrder) {
    std::mt19937 random(5);
    const std::string gbk = RandomGbkBytes(random, 20000);
    Utf8Subject subject(gbk);
    const std::string_view utf8 = subject.Text();
    std::vector<std::pair<size_t, size_t>> boundaries;
    for (size_t u = 0, g = 0;;
         u += Utf8CharLength(utf8.substr(u)), g += GbkCharLength(std::string_view(gbk).substr(g))) {
        boundaries.emplace_back(u, g);
        if (u >= utf8.size() || g >= gbk.size()) {
            break;
        }
    }
    ASSERT_EQ(boundaries.back(), std::make_pair(utf8.size(), gbk.size()));
    for (size_t i = 0; i < boundaries.size(); i += 1 + random() % 600) {
        ASSERT_EQ(subject.ToGbk(boundaries[i].first), boundaries[i].second) << i;
    }
    for (size_t i = boundaries.size(); i-- > 0;) {
        ASSERT_EQ(subject.ToGbk(boundaries[i].first), boundaries[i].second) << i;
    }
    EXPECT_EQ(subject.ToGbk(utf8.size() + 100), gbk.size());
}

}  // namespace
}  // namespace lumaru
