#include "regex/subject_offsets.h"

#include <gtest/gtest.h>

#include <string>

#include "net/text_encodings.h"

namespace lumaru {
namespace {

TEST(SubjectOffsetsTest, RefusesTextsThatDoNotCorrespond) {
    const std::string gbk = Utf8ToAnsi("a中b");
    const struct {
        const char* name;
        std::string utf8;
    } cases[] = {
        {"ASCII differs", "x中b"},
        {"character missing", "a中"},
        {"character added", "a中bc"},
        {"ASCII for a double-byte character", "a?b"},
    };
    for (const auto& c : cases) {
        SubjectOffsets map;
        EXPECT_FALSE(map.Build(gbk, c.utf8)) << c.name;
        EXPECT_EQ(map.ToGbk(1), 0u) << c.name;
    }
}

TEST(SubjectOffsetsTest, CharacterByCharacterCopyAlwaysCorresponds) {
    // Long enough for many checkpoints, with bytes that are not GBK characters mixed in.
    std::string gbk;
    for (int i = 0; i < 500; ++i) {
        gbk += Utf8ToAnsi("标题 title ") + "\xFF\x80\xA2\xA0" + std::string(i % 11, 'x') + "\x81";
    }
    const std::string utf8 = Utf8CopyByCharacter(gbk);
    SubjectOffsets map;
    ASSERT_TRUE(map.Build(gbk, utf8));

    // Every character boundary maps back to the boundary before the same character, whichever
    // order the offsets are asked in.
    std::vector<std::pair<size_t, size_t>> boundaries;
    for (size_t u = 0, g = 0;; u += Utf8CharLength(std::string_view(utf8).substr(u)),
                g += GbkCharLength(std::string_view(gbk).substr(g))) {
        boundaries.emplace_back(u, g);
        if (u >= utf8.size()) {
            break;
        }
    }
    EXPECT_EQ(boundaries.back(), std::make_pair(utf8.size(), gbk.size()));
    for (size_t i = 0; i < boundaries.size(); i += 7) {
        EXPECT_EQ(map.ToGbk(boundaries[i].first), boundaries[i].second);
    }
    for (size_t i = boundaries.size(); i-- > 0;) {
        ASSERT_EQ(map.ToGbk(boundaries[i].first), boundaries[i].second);
    }
    EXPECT_EQ(map.ToGbk(utf8.size() + 100), gbk.size());
}

}  // namespace
}  // namespace lumaru
