#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/shared_state.h"
#include "skin/image_memory.h"
#include "skin/memory_module.h"
#include "skin/skin_engine.h"
#include "skin/skin_file.h"
#include "skin/skin_table.h"

namespace lumaru {
namespace {

// What a skin engine was handed.
struct Attach {
    const char* skin;
    std::uint32_t length;
    const char* password;
    std::int32_t a, b, c;
};

class RecordingEngine final : public SkinEngine {
public:
    void AttachRes(const char* skin, std::uint32_t length, const char* password, std::int32_t a,
                   std::int32_t b, std::int32_t c) override {
        calls.push_back({skin, length, password, a, b, c});
    }
    std::vector<Attach> calls;
};

// Records every call into image code and answers as told (1 by default, so a DLL maps).
class RecordingCallLayer final : public CallLayer {
public:
    std::optional<std::uint32_t> Call(std::uint32_t address,
                                      const CallArguments& arguments) override {
        calls.push_back({address, arguments});
        return answer ? answer(address) : std::optional<std::uint32_t>(1);
    }
    struct Record {
        std::uint32_t address;
        CallArguments arguments;
    };
    std::vector<Record> calls;
    std::function<std::optional<std::uint32_t>(std::uint32_t)> answer;
};

void Put16(std::string& image, std::size_t offset, std::uint16_t value) {
    image[offset] = static_cast<char>(value & 0xFF);
    image[offset + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& image, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kSectionFileOffset = 0x200;
constexpr std::uint32_t kFirstExportRva = 0x1100;

// A 32-bit DLL of one section whose export table names two routines, `first` (at RVA 0x1100)
// and "SkinH_Detach".
std::string EngineImage(const std::string& first) {
    std::string image(0x400, '\0');
    const auto at = [](std::uint32_t rva) { return rva - kSectionRva + kSectionFileOffset; };
    Put16(image, 0, 0x5A4D);  // "MZ"
    Put32(image, 60, 0x40);   // e_lfanew
    const std::size_t nt = 0x40;
    Put32(image, nt, 0x4550);  // "PE\0\0"
    Put16(image, nt + 4, 0x14C);
    Put16(image, nt + 6, 1);                     // one section
    Put16(image, nt + 20, 0xE0);                 // size of the optional header
    Put16(image, nt + 22, 0x2102);               // executable, 32-bit, DLL
    Put16(image, nt + 24, 0x10B);                // PE32
    Put32(image, nt + 40, kSectionRva);          // entry point
    Put32(image, nt + 52, 0x10000000);           // image base
    Put32(image, nt + 56, 0x1000);               // section alignment
    Put32(image, nt + 60, 0x200);                // file alignment
    Put32(image, nt + 80, 0x2000);               // size of image
    Put32(image, nt + 84, 0x200);                // size of headers
    Put32(image, nt + 116, 16);                  // data directories
    Put32(image, nt + 120, kSectionRva + 0x10);  // export directory
    Put32(image, nt + 124, 0x100);
    const std::size_t section = nt + 248;
    std::memcpy(&image[section], ".text", 5);
    Put32(image, section + 8, 0x200);
    Put32(image, section + 12, kSectionRva);
    Put32(image, section + 16, 0x200);
    Put32(image, section + 20, kSectionFileOffset);

    const std::size_t directory = at(kSectionRva + 0x10);
    Put32(image, directory + 16, 1);  // ordinal base
    Put32(image, directory + 20, 2);  // functions
    Put32(image, directory + 24, 2);  // names
    Put32(image, directory + 28, kSectionRva + 0x40);
    Put32(image, directory + 32, kSectionRva + 0x50);
    Put32(image, directory + 36, kSectionRva + 0x58);
    Put32(image, at(kSectionRva + 0x40), kFirstExportRva);
    Put32(image, at(kSectionRva + 0x44), kFirstExportRva + 0x10);
    // The names are read as one run of consecutive texts from the first.
    const std::uint32_t firstName = kSectionRva + 0x90;
    const std::uint32_t secondName = firstName + static_cast<std::uint32_t>(first.size()) + 1;
    Put32(image, at(kSectionRva + 0x50), firstName);
    Put32(image, at(kSectionRva + 0x54), secondName);
    Put16(image, at(kSectionRva + 0x58), 0);
    Put16(image, at(kSectionRva + 0x5A), 1);
    std::memcpy(&image[at(firstName)], first.data(), first.size());
    std::memcpy(&image[at(secondName)], "SkinH_Detach", 12);
    return image;
}

// Memory below 4 GiB, so that a 32-bit engine can be handed its address.
class LowMemory {
public:
    explicit LowMemory(std::string_view contents)
        : size_(static_cast<std::uint32_t>(contents.size())),
          base_(SystemImagePlatform().ReserveAnywhere(size_)) {
        if (base_ != 0) {
            std::memcpy(data(), contents.data(), contents.size());
        }
    }
    ~LowMemory() {
        if (base_ != 0) {
            SystemImagePlatform().Release(base_, size_);
        }
    }
    LowMemory(const LowMemory&) = delete;
    LowMemory& operator=(const LowMemory&) = delete;

    char* data() const { return reinterpret_cast<char*>(static_cast<std::uintptr_t>(base_)); }
    std::string_view view() const { return {data(), size_}; }
    std::uint32_t address() const { return base_; }

private:
    std::uint32_t size_;
    std::uint32_t base_;
};

class ApplySkinTest : public testing::Test {
protected:
    void TearDown() override {
        if (State().skinEngineLoader) {
            State().skinEngineLoader->Free();
        }
        State() = SharedState{};
    }

    // Maps an engine image through the recording call layer, as start-up would.
    std::uint32_t MapEngine(const std::string& image) {
        State().skinEngineLoader = std::make_shared<MemoryModule>(calls_);
        EXPECT_TRUE(State().skinEngineLoader->Load(image));
        calls_.calls.clear();  // forget the entry point's attach call
        return State().skinEngineLoader->Handle();
    }

    RecordingEngine native_;
    RecordingCallLayer calls_;
};

TEST(SkinTableTest, FourWholeSkinsOfOurFormatHeldInConstantData) {
    const auto& table = SkinTable();
    ASSERT_EQ(table.size(), 4u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(table[i].starts_with(".SHE"));
        const auto skin = ParseSkinFile(table[i]);
        ASSERT_TRUE(skin);
        EXPECT_FALSE(skin->styleSheet.empty());
        ASSERT_TRUE(skin->Colour(SkinRole::Window));
        names.insert(skin->name);
        // The same bytes at the same place on every call: an engine may keep the address.
        EXPECT_EQ(SkinTable()[i].data(), table[i].data());
    }
    EXPECT_EQ(names.size(), 4u);
    EXPECT_TRUE(SkinEngineImage().empty());
}

TEST_F(ApplySkinTest, WithoutAMappedEngineOurEngineGetsTheTableBytesThemselves) {
    // No loader at all, and a loader in which start-up mapped nothing.
    for (const bool withLoader : {false, true}) {
        SCOPED_TRACE(withLoader);
        if (withLoader) {
            State().skinEngineLoader = std::make_shared<MemoryModule>(calls_);
            LoadSkinEngine();
            EXPECT_EQ(State().skinEngineLoader->Handle(), 0u);
        }
        native_.calls.clear();
        const std::string_view skin = SkinTable()[1];
        ApplySkin(skin, "", 0, 0, 0, native_, calls_);
        ASSERT_EQ(native_.calls.size(), 1u);
        const Attach& attach = native_.calls[0];
        EXPECT_EQ(attach.skin, skin.data());  // the constant data, not a copy
        EXPECT_EQ(attach.length, skin.size());
        EXPECT_EQ(attach.password, nullptr);
        EXPECT_EQ(attach.a, 0);
        EXPECT_EQ(attach.b, 0);
        EXPECT_EQ(attach.c, 0);
        EXPECT_EQ(State().currentSkin.bytes, skin);
        EXPECT_TRUE(calls_.calls.empty());
    }
}

TEST_F(ApplySkinTest, EachCallReplacesTheCurrentSkinAndPassesItsArgumentsInOrder) {
    const char password[] = "key";
    ApplySkin(SkinTable()[2], "", 0, 0, 0, native_);
    ApplySkin(SkinTable()[0], password, 7, -1, 3, native_);
    ApplySkin(SkinTable()[3], nullptr, 0, 0, 0, native_);
    ASSERT_EQ(native_.calls.size(), 3u);
    EXPECT_EQ(native_.calls[1].skin, SkinTable()[0].data());
    EXPECT_EQ(native_.calls[1].password, password);
    EXPECT_EQ(native_.calls[1].a, 7);
    EXPECT_EQ(native_.calls[1].b, -1);
    EXPECT_EQ(native_.calls[1].c, 3);
    EXPECT_EQ(native_.calls[2].password, nullptr);
    EXPECT_EQ(State().currentSkin.bytes, SkinTable()[3]);
    EXPECT_EQ(State().currentSkin.a, 0);
    EXPECT_EQ(State().currentSkin.b, 0);

    ApplySkin(SkinTable()[0], password, 7, -1, 3, native_);
    EXPECT_EQ(State().currentSkin.bytes, SkinTable()[0]);
    EXPECT_EQ(State().currentSkin.a, 7);
    EXPECT_EQ(State().currentSkin.b, -1);
    EXPECT_EQ(State().currentSkin.c, 3);
}

TEST_F(ApplySkinTest, AMappedEngineExportingAttachIsCalledInsteadWithSixArguments) {
    const std::uint32_t base = MapEngine(EngineImage(kAttachSkinExport));
    ASSERT_NE(base, 0u);
    const LowMemory skin(SkinTable()[1]);
    ASSERT_NE(skin.address(), 0u);

    ApplySkin(skin.view(), "", 0, 0, 0, native_, calls_);
    ApplySkin(skin.view(), "", 5, -2, 9, native_, calls_);

    EXPECT_TRUE(native_.calls.empty());
    ASSERT_EQ(calls_.calls.size(), 2u);
    const auto length = static_cast<std::uint32_t>(SkinTable()[1].size());
    EXPECT_EQ(calls_.calls[0].address, base + kFirstExportRva);
    EXPECT_EQ(calls_.calls[0].arguments,
              (CallArguments{skin.address(), length, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(calls_.calls[1].arguments,
              (CallArguments{skin.address(), length, 0, 5, 0xFFFFFFFE, 9, 0, 0, 0, 0}));
    EXPECT_EQ(State().currentSkin.bytes, SkinTable()[1]);
}

TEST_F(ApplySkinTest, NoCallGoesThroughAnAddressTheEngineCannotServe) {
    const LowMemory skin(SkinTable()[0]);
    ASSERT_NE(skin.address(), 0u);
    struct Case {
        const char* name;
        std::string image;
        bool callLayerRuns;
        bool attachIsCalled;
    };
    const Case cases[] = {
        // The export is looked up by its exact, case-sensitive name.
        {"engine without the export", EngineImage("skinh_attachres"), true, false},
        {"engine code that cannot run here", EngineImage(kAttachSkinExport), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint32_t base = MapEngine(c.image);
        ASSERT_NE(base, 0u);
        if (!c.callLayerRuns) {
            calls_.answer = [](std::uint32_t) { return std::nullopt; };
        }
        native_.calls.clear();
        ApplySkin(skin.view(), "", 0, 0, 0, native_, calls_);
        EXPECT_EQ(calls_.calls.size(), c.attachIsCalled ? 1u : 0u);
        ASSERT_EQ(native_.calls.size(), 1u);
        EXPECT_EQ(native_.calls[0].skin, skin.data());
        calls_.answer = nullptr;
        State().skinEngineLoader->Free();
        calls_.calls.clear();
    }
}

TEST_F(ApplySkinTest, BytesBeyondA32BitAddressAreNotHandedToTheMappedEngine) {
    const std::string_view skin = SkinTable()[2];
    if (reinterpret_cast<std::uintptr_t>(skin.data()) <=
        std::numeric_limits<std::uint32_t>::max()) {
        GTEST_SKIP() << "the program's data lies below 4 GiB here";
    }
    MapEngine(EngineImage(kAttachSkinExport));
    ApplySkin(skin, "", 0, 0, 0, native_, calls_);
    EXPECT_TRUE(calls_.calls.empty());  // a truncated address would point at foreign memory
    ASSERT_EQ(native_.calls.size(), 1u);
    EXPECT_EQ(native_.calls[0].skin, skin.data());
}

}  // namespace
}  // namespace lumaru
