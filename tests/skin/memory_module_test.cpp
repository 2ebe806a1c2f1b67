// Loader tests over images built by the test itself, with a recording call layer: nothing in
// an image is ever run. The same file is cross-built and run under wine (see
// scripts/test-loader-wine.sh), so it keeps to the platform-neutral parts of the loader.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "pe_image_writer.h"
#include "recording_call_layer.h"
#include "skin/memory_module.h"
#include "skin/pe_format.h"
#include "skin/pe_headers.h"
#include "test_image_platform.h"

namespace lumaru::test {
namespace {

constexpr std::uint32_t kImageBase = 0x10000000;
constexpr std::uint32_t kResolver = 0x00C0FFEE;
constexpr std::uint32_t kUserValue = 0x5EED;
constexpr std::uint32_t kPointerValue = kImageBase + 0x1010;  // relocated by the loader

// The one good image every test starts from: a DLL with code, data holding a relocated pointer,
// imports by name and by ordinal, and exports by name and by ordinal.
struct GoodImage {
    PeImageWriter writer;
    std::uint32_t code_rva = 0;
    std::uint32_t data_rva = 0;
    std::vector<std::uint32_t> import_slots;
    std::string bytes;

    GoodImage() {
        writer.image_base = kImageBase;
        // mov eax, 1 / ret 12: a real entry point, though nothing here runs it.
        code_rva = writer.AddSection(std::string("\xB8\x01\x00\x00\x00\xC2\x0C\x00", 8) +
                                     std::string(0x18, '\xCC'));
        std::string data(0x20, '\0');
        Put32(data, 0x00, kPointerValue);
        Put32(data, 0x04, 0x11111111);  // behind a type-0 entry
        Put32(data, 0x08, 0x22222222);  // behind a type-10 entry
        data_rva = writer.AddSection(data, 0x40);
        writer.entry_point = code_rva;
        import_slots = writer.AddImports({
            {"KERNEL32.dll", {{"GetTickCount", 0, 7}, {"lstrlenA", 0, 0}}},
            {"lumaru_probe.dll", {{"", 7, 0}}},
        });
        writer.AddExports("skin.dll", 1, {code_rva, code_rva + 4, code_rva + 8, 0},
                          {{"3", 0}, {"SkinH_AttachRes", 1}, {"Hole", 3}, {"03", 2}});
        writer.AddRelocations({{data_rva, {HighLow(0), 0x0004, 0xA008}}});
        bytes = writer.Build();
    }
};

class MemoryModuleTest : public ::testing::Test {
protected:
    MemoryModuleTest() {
        calls.resolver = kResolver;
        platform.libraries["KERNEL32.dll"] = {{"GetTickCount", 0x7000'0010},
                                              {"lstrlenA", 0x7000'0020}};
        platform.libraries["lumaru_probe.dll"] = {{"#7", 0x7100'0070}};
    }

    std::uint8_t ByteAt(std::uint32_t address) const {
        return *reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(address));
    }
    std::uint32_t ValueAt(std::uint32_t address) const {
        std::uint32_t value;
        std::memcpy(&value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)), 4);
        return value;
    }

    RecordingCallLayer calls;
    TestImagePlatform platform;
    GoodImage good;
};

TEST(AlignUpTest, RoundsUpToMultiples) {
    struct Case {
        std::uint64_t value, alignment, expected;
    };
    const Case cases[] = {
        {0, 0x1000, 0},           {1, 0x1000, 0x1000}, {0x1000, 0x1000, 0x1000},
        {0x1001, 0x1000, 0x2000}, {7, 1, 7},           {0xFFFFFFFF, 0x1000, 0x100000000}};
    for (const Case& c : cases) {
        EXPECT_EQ(pe::AlignUp(c.value, c.alignment), c.expected) << c.value << " / " << c.alignment;
    }
}

TEST(ImageLayoutTest, ImageSizeTakesTheLargestAlignedSectionEndWithLow16BitsOfVirtualSize) {
    struct Case {
        const char* what;
        std::uint32_t size_of_image, virtual_size, raw_size, expected;
    };
    // One section at 0x1000 with SectionAlignment 0x1000.
    const Case cases[] = {
        {"SizeOfImage larger", 0x8000, 0x100, 0x200, 0x8000},
        {"virtual size larger", 0x1000, 0x1800, 0x200, 0x3000},
        {"raw size larger", 0x1000, 0x100, 0x2200, 0x4000},
        {"only the low 16 bits of VirtualSize", 0x1000, 0x12000, 0x200, 0x3000},
        {"VirtualSize 0x10000 counts as 0", 0x1000, 0x10000, 0x200, 0x2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PeImageWriter writer;
        writer.characteristics = kImageExecutable;
        writer.AddSection(std::string(c.raw_size, '\x90'), c.virtual_size);
        writer.size_of_image = c.size_of_image;
        const auto layout = pe::ReadImageLayout(writer.Build());
        ASSERT_TRUE(layout.has_value());
        EXPECT_EQ(layout->image_size, c.expected);
    }
}

// Copies of the good image with one thing broken each: Load fails, leaving nothing allocated,
// nothing mapped and no entry point called.
TEST_F(MemoryModuleTest, RefusesBrokenImagesWithoutLeavingAnythingBehind) {
    const std::uint32_t size = good.writer.ImageSize();
    const std::uint32_t relocations = good.writer.FileOffset(good.writer.DirectoryRva(5));
    const std::uint32_t imports = good.writer.FileOffset(good.writer.DirectoryRva(1));
    const std::uint32_t first_slot = good.writer.FileOffset(good.import_slots[0]);
    struct Case {
        const char* what;
        bool maps_first;  // fails only after memory was taken (and given back)
        std::function<void(std::string&)> breakIt;
    };
    const Case cases[] = {
        {"63 bytes", false, [](std::string& b) { b.resize(63); }},
        {"no MZ", false, [](std::string& b) { b[1] = 'X'; }},
        {"e_lfanew + 248 past the end", false,
         [](std::string& b) { Put32(b, 60, static_cast<std::uint32_t>(b.size()) - 247); }},
        {"negative e_lfanew", false, [](std::string& b) { Put32(b, 60, 0xFFFFFF80); }},
        {"signature not PE\\0\\0", false,
         [](std::string& b) { Put32(b, PeOffsets::kNt, 0x01004550); }},
        {"no executable-image flag", false,
         [](std::string& b) {
             Put16(b, PeOffsets::kCharacteristics, kImageDll | kImage32BitMachine);
         }},
        {"section table past the end", false,
         [](std::string& b) { Put16(b, PeOffsets::kNumberOfSections, 0xFFFF); }},
        {"section data past the end", false,
         [](std::string& b) {
             Put32(b, PeOffsets::Section(0) + 20, static_cast<std::uint32_t>(b.size()) - 4);
         }},
        {"section alignment 0", false,
         [](std::string& b) { Put32(b, PeOffsets::kSectionAlignment, 0); }},
        {"image size 0", false,
         [](std::string& b) {
             Put16(b, PeOffsets::kNumberOfSections, 0);
             Put32(b, PeOffsets::kSizeOfImage, 0);
         }},
        {"headers larger than the image", false,
         [](std::string& b) {
             Put16(b, PeOffsets::kNumberOfSections, 0);
             Put32(b, PeOffsets::kSizeOfImage, 0x100);
         }},
        {"image reaching past 4 GiB", false,
         [](std::string& b) { Put32(b, PeOffsets::Section(1) + 12, 0xFFFFF000); }},
        {"DLL entry point 0", false, [](std::string& b) { Put32(b, PeOffsets::kEntryPoint, 0); }},
        {"DLL entry point outside the image", false,
         [size](std::string& b) { Put32(b, PeOffsets::kEntryPoint, size); }},
        {"relocation table outside the image", true,
         [size](std::string& b) { Put32(b, PeOffsets::Directory(5), size + 0x1000); }},
        {"relocation block shorter than its header", true,
         [relocations](std::string& b) { Put32(b, relocations + 4, 4); }},
        {"relocation block running past the image", true,
         [relocations](std::string& b) { Put32(b, relocations + 4, 0x100000); }},
        {"relocation target outside the image", true,
         [relocations, size](std::string& b) { Put32(b, relocations, size - 2); }},
        {"import table outside the image", true,
         [size](std::string& b) { Put32(b, PeOffsets::Directory(1), size - 4); }},
        {"import library name outside the image", true,
         [imports](std::string& b) { Put32(b, imports + 12, 0xFFFFFFF0); }},
        {"import address table outside the image", true,
         [imports, size](std::string& b) { Put32(b, imports + 16, size); }},
        {"import name at the end of the image", true,
         [first_slot, size](std::string& b) { Put32(b, first_slot, size - 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good.bytes;
        c.breakIt(bytes);
        calls.calls.clear();
        platform.reserve_calls = 0;
        MemoryModule module(calls, platform);
        EXPECT_FALSE(module.Load(bytes, kResolver, kUserValue));
        EXPECT_EQ(module.Handle(), 0u);
        EXPECT_TRUE(platform.live.empty());
        EXPECT_EQ(platform.reserve_calls > 0, c.maps_first);
        EXPECT_TRUE(calls.EntryCalls().empty());
    }
}

TEST_F(MemoryModuleTest, MapsTheImageAndCallsItsEntryPointForProcessAttach) {
    MemoryModule module(calls, platform);
    ASSERT_TRUE(module.Load(good.bytes, kResolver, kUserValue));
    const std::uint32_t base = module.Handle();
    ASSERT_NE(base, 0u);
    ASSERT_EQ(platform.live.size(), 1u);
    EXPECT_EQ(platform.live.begin()->first, base);
    EXPECT_EQ(platform.live.begin()->second, good.writer.ImageSize());

    // Headers and section table copied; section data at its address; the rest zero.
    EXPECT_EQ(ByteAt(base), 'M');
    EXPECT_EQ(ValueAt(base + PeOffsets::kNt), 0x4550u);
    EXPECT_EQ(ValueAt(base + PeOffsets::Section(0) + 12), good.code_rva);
    EXPECT_EQ(ByteAt(base + good.code_rva), 0xB8);
    EXPECT_EQ(ByteAt(base + good.code_rva + 0x1F), 0xCC);
    EXPECT_EQ(ByteAt(base + good.code_rva + 0x20), 0);
    EXPECT_EQ(ValueAt(base + good.data_rva + 0x3C), 0u);

    const std::vector<RecordedCall> entry = calls.EntryCalls();
    ASSERT_EQ(entry.size(), 1u);
    EXPECT_EQ(entry[0].address, base + good.code_rva);
    EXPECT_EQ(entry[0].arguments, (CallArguments{0, 1, 0}));
    EXPECT_EQ(calls.calls.back().address, base + good.code_rva) << "entry point called last";
    EXPECT_EQ(module.EntryPoint(), base + good.code_rva);
    EXPECT_TRUE(module.Free());
}

TEST_F(MemoryModuleTest, EntryPointRefusingAttachIsDetachedAndReleased) {
    calls.respond = [](const RecordedCall& call) {
        return std::optional<std::uint32_t>(call.address == kResolver ? 0x7200'0000u : 0u);
    };
    MemoryModule module(calls, platform);
    EXPECT_FALSE(module.Load(good.bytes, kResolver, kUserValue));
    const std::vector<RecordedCall> entry = calls.EntryCalls();
    ASSERT_EQ(entry.size(), 2u);
    EXPECT_EQ(entry[0].arguments, (CallArguments{0, 1, 0}));
    EXPECT_EQ(entry[1].address, entry[0].address);
    EXPECT_EQ(entry[1].arguments, (CallArguments{0, 0, 0}));
    EXPECT_EQ(module.Handle(), 0u);
    EXPECT_EQ(module.EntryPoint(), 0u);
    EXPECT_TRUE(platform.live.empty());
}

TEST_F(MemoryModuleTest, DllFailsCleanlyWhereItsCodeCannotRun) {
    calls.respond = [](const RecordedCall& call) {
        return call.address == kResolver ? std::optional<std::uint32_t>(0x7200'0000u)
                                         : std::nullopt;
    };
    MemoryModule module(calls, platform);
    EXPECT_FALSE(module.Load(good.bytes, kResolver, kUserValue));
    EXPECT_EQ(calls.EntryCalls().size(), 1u) << "one attempt, no detach for code that never ran";
    EXPECT_TRUE(platform.live.empty());
}

TEST_F(MemoryModuleTest, WhereImageCodeCannotRunTheSystemCallLayerRunsNothing) {
    if (SystemCanRunImageCode()) {
        return;  // a 32-bit Windows build: the real DLL tests cover it
    }
    MemoryModule module(SystemCallLayer(), platform);
    EXPECT_FALSE(module.Load(good.bytes)) << "a DLL needs its entry point run";
    EXPECT_FALSE(module.Load(good.bytes, kResolver, kUserValue)) << "nor can a resolver run";
    EXPECT_TRUE(platform.live.empty());
    EXPECT_FALSE(CallAddress(0x1000, {1, 2, 3}).has_value());

    good.writer.characteristics = kImageExecutable | kImage32BitMachine;
    ASSERT_TRUE(module.Load(good.writer.Build())) << "an executable image maps, nothing called";
    EXPECT_TRUE(module.Free());
}

TEST_F(MemoryModuleTest, ExecutableImageMapsWithoutItsEntryPointBeingCalled) {
    good.writer.characteristics = kImageExecutable | kImage32BitMachine;
    MemoryModule module(calls, platform);
    ASSERT_TRUE(module.Load(good.writer.Build(), kResolver, kUserValue));
    EXPECT_TRUE(calls.EntryCalls().empty());
    EXPECT_EQ(module.EntryPoint(), module.Handle() + good.code_rva);
    EXPECT_TRUE(module.Free());
    EXPECT_TRUE(calls.EntryCalls().empty()) << "no detach call for an executable either";
    EXPECT_TRUE(platform.live.empty());
}

TEST_F(MemoryModuleTest, NothingMapped) {
    MemoryModule module(calls, platform);
    EXPECT_TRUE(module.Free());
    EXPECT_EQ(module.FindExport("SkinH_AttachRes"), 0u);
    EXPECT_EQ(module.FindExport("1"), 0u);
    EXPECT_EQ(module.EntryPoint(), 0u);
    EXPECT_EQ(module.Handle(), 0u);
    EXPECT_TRUE(calls.calls.empty());
}

TEST_F(MemoryModuleTest, FreeDetachesAndReleasesTheImage) {
    MemoryModule module(calls, platform);
    ASSERT_TRUE(module.Load(good.bytes, kResolver, kUserValue));
    const std::uint32_t entry = module.EntryPoint();
    calls.calls.clear();
    EXPECT_TRUE(module.Free());
    ASSERT_EQ(calls.calls.size(), 1u);
    EXPECT_EQ(calls.calls[0].address, entry);
    EXPECT_EQ(calls.calls[0].arguments, (CallArguments{0, 0, 0}));
    EXPECT_EQ(module.Handle(), 0u);
    EXPECT_TRUE(platform.live.empty());
    EXPECT_TRUE(module.Free()) << "a second Free finds nothing mapped";
    EXPECT_EQ(calls.calls.size(), 1u);
}

TEST_F(MemoryModuleTest, LoadingAgainFreesTheFirstImageFirst) {
    MemoryModule module(calls, platform);
    ASSERT_TRUE(module.Load(good.bytes, kResolver, kUserValue));
    const std::uint32_t first_entry = module.EntryPoint();
    calls.calls.clear();
    ASSERT_TRUE(module.Load(good.bytes, kResolver, kUserValue));
    const std::vector<RecordedCall> entry = calls.EntryCalls();
    ASSERT_EQ(entry.size(), 2u);
    EXPECT_EQ(entry[0].address, first_entry);
    EXPECT_EQ(entry[0].arguments, (CallArguments{0, 0, 0}));
    EXPECT_EQ(entry[1].address, module.EntryPoint());
    EXPECT_EQ(entry[1].arguments, (CallArguments{0, 1, 0}));
    EXPECT_EQ(calls.calls.front().address, first_entry) << "detached before the second is bound";
    ASSERT_EQ(platform.live.size(), 1u);
    EXPECT_EQ(platform.live.begin()->first, module.Handle());
    EXPECT_TRUE(module.Free());
}

TEST_F(MemoryModuleTest, ResolverGetsLibraryAndProcedureTextsAndTheUserValue) {
    std::uint32_t next = 0x7300'0000;
    calls.respond = [&next](const RecordedCall& call) {
        return std::optional<std::uint32_t>(call.address == kResolver ? next++ : 1);
    };
    MemoryModule module(calls, platform);
    ASSERT_TRUE(module.Load(good.bytes, kResolver, kUserValue));
    const std::uint32_t base = module.Handle();

    struct Expected {
        const char* library;
        const char* procedure;
    };
    const Expected expected[] = {
        {"KERNEL32.dll", "GetTickCount"}, {"KERNEL32.dll", "lstrlenA"}, {"lumaru_probe.dll", "7"}};
    ASSERT_EQ(calls.calls.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].procedure);
        const RecordedCall& call = calls.calls[i];
        EXPECT_EQ(call.address, kResolver);
        EXPECT_EQ(call.library, expected[i].library);
        EXPECT_EQ(call.procedure, expected[i].procedure);
        EXPECT_EQ(call.arguments[2], kUserValue);
        if (i < 2) {
            // Names are handed over where they lie in the mapped image.
            EXPECT_GE(call.arguments[1], base);
            EXPECT_LT(call.arguments[1], base + good.writer.ImageSize());
        }
        EXPECT_EQ(ValueAt(base + good.import_slots[i]), 0x7300'0000u + i);
    }
    EXPECT_EQ(platform.opened, (std::vector<std::string>{"KERNEL32.dll", "lumaru_probe.dll"}));
    EXPECT_TRUE(platform.lookups.empty()) << "the resolver answered everything";
    EXPECT_TRUE(platform.live.size() == 1u) << "the ordinal text's memory was given back";
    EXPECT_TRUE(module.Free());
}

TEST_F(MemoryModuleTest, SystemLookupBindsByNameAndByOrdinalWhenTheResolverDeclines) {
    calls.respond = [](const RecordedCall& call) {
        return std::optional<std::uint32_t>(call.address == kResolver ? 0 : 1);
    };
    for (const std::uint32_t resolver : {kResolver, 0u}) {
        SCOPED_TRACE(resolver == 0 ? "no resolver" : "resolver returning 0");
        platform.lookups.clear();
        MemoryModule module(calls, platform);
        ASSERT_TRUE(module.Load(good.bytes, resolver, kUserValue));
        const std::uint32_t base = module.Handle();
        EXPECT_EQ(ValueAt(base + good.import_slots[0]), 0x7000'0010u);
        EXPECT_EQ(ValueAt(base + good.import_slots[1]), 0x7000'0020u);
        EXPECT_EQ(ValueAt(base + good.import_slots[2]), 0x7100'0070u);
        EXPECT_EQ(platform.lookups,
                  (std::vector<std::string>{"KERNEL32.dll!GetTickCount", "KERNEL32.dll!lstrlenA",
                                            "lumaru_probe.dll#7"}));
        EXPECT_TRUE(module.Free());
    }
}

TEST_F(MemoryModuleTest, AnImportNobodyCanBindFailsTheLoad) {
    calls.respond = [](const RecordedCall& call) {
        return std::optional<std::uint32_t>(call.address == kResolver ? 0 : 1);
    };
    platform.libraries["KERNEL32.dll"].erase("lstrlenA");
    MemoryModule module(calls, platform);
    EXPECT_FALSE(module.Load(good.bytes, kResolver, kUserValue));
    EXPECT_EQ(platform.lookups.size(), 2u) << "stops at the first import it cannot bind";
    EXPECT_TRUE(calls.EntryCalls().empty());
    EXPECT_TRUE(platform.live.empty());
}

TEST_F(MemoryModuleTest, RelocatesByTheDistanceFromImageBase) {
    // Where ImageBase is free, delta 0; where it is taken, the image moves and every HIGHLOW
    // target moves with it while entries of other types are left alone.
    MemoryModule module(calls, platform);
    const std::uint32_t blocker = platform.ReserveAt(kImageBase, 0x1000);
    ASSERT_TRUE(module.Load(good.bytes, 0, 0)) << "resolved by the scripted system lookup";
    const std::uint32_t base = module.Handle();
    if (blocker != 0) {
        EXPECT_NE(base, kImageBase);
    }
    EXPECT_EQ(ValueAt(base + good.data_rva), kPointerValue + (base - kImageBase));
    EXPECT_EQ(ValueAt(base + good.data_rva + 4), 0x11111111u);
    EXPECT_EQ(ValueAt(base + good.data_rva + 8), 0x22222222u);
    EXPECT_TRUE(module.Free());
    if (blocker != 0) {
        platform.Release(blocker, 0x1000);
    }

    ASSERT_TRUE(module.Load(good.bytes, 0, 0));
    if (module.Handle() == kImageBase) {
        EXPECT_EQ(ValueAt(kImageBase + good.data_rva), kPointerValue);
    }
    EXPECT_TRUE(module.Free());
}

TEST_F(MemoryModuleTest, FindsExportsByExactNameAndByOrdinal) {
    MemoryModule module(calls, platform);
    ASSERT_TRUE(module.Load(good.bytes, 0, 0));
    const std::uint32_t code = module.Handle() + good.code_rva;
    struct Case {
        const char* name;
        std::uint32_t expected;
    };
    // Functions (ordinal base 1): code, code+4, code+8, 0; names "3"→0, "SkinH_AttachRes"→1,
    // "Hole"→3, "03"→2.
    const Case cases[] = {
        {"SkinH_AttachRes", code + 4},
        {"skinh_attachres", 0},
        {"SkinH_AttachRe", 0},
        {"3", code + 8},  // the ordinal 3, not the export named "3"
        {"1", code},
        {"03", code + 8},  // not a number written the usual way: a name
        {"4", 0},          // ordinal whose address is 0
        {"Hole", 0},       // named, but its address is 0
        {"5", 0},          // beyond NumberOfFunctions
        {"0", 0},          // below the ordinal base
        {"-1", 0},
        {"", 0},
        {"99999999999", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(module.FindExport(c.name), c.expected) << '"' << c.name << '"';
    }
    EXPECT_TRUE(module.Free());
}

// Export tables broken after loading succeeded: FindExport gives 0 and reads nothing outside.
TEST_F(MemoryModuleTest, BrokenExportTablesFindNothing) {
    const std::uint32_t size = good.writer.ImageSize();
    const std::uint32_t directory = good.writer.FileOffset(good.writer.DirectoryRva(0));
    struct Case {
        const char* what;
        const char* name;
        std::function<void(std::string&)> breakIt;
    };
    const Case cases[] = {
        {"directory outside the image", "1",
         [size](std::string& b) { Put32(b, PeOffsets::Directory(0), size - 8); }},
        {"functions outside the image", "1",
         [directory, size](std::string& b) { Put32(b, directory + 28, size - 2); }},
        {"function address outside the image", "1",
         [directory, size](std::string& b) { Put32(b, directory + 40, size); }},
        {"names outside the image", "SkinH_AttachRes",
         [directory](std::string& b) { Put32(b, directory + 32, 0xFFFFFFFE); }},
        {"first name outside the image", "SkinH_AttachRes",
         [directory, size](std::string& b) { Put32(b, directory + 40 + 4 * 4, size); }},
        {"name ordinals outside the image", "SkinH_AttachRes",
         [directory, size](std::string& b) { Put32(b, directory + 36, size - 1); }},
        {"huge name count", "Missing",
         [directory](std::string& b) { Put32(b, directory + 24, 0xFFFFFFFF); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good.bytes;
        c.breakIt(bytes);
        MemoryModule module(calls, platform);
        ASSERT_TRUE(module.Load(bytes, 0, 0));
        EXPECT_EQ(module.FindExport(c.name), 0u);
        EXPECT_TRUE(module.Free());
    }
}

TEST_F(MemoryModuleTest, CopiesShareOneImageAndAllSeeItFreed) {
    MemoryModule module(calls, platform);
    ASSERT_TRUE(module.Load(good.bytes, 0, 0));
    MemoryModule copy = module.Copy();
    EXPECT_EQ(copy.Handle(), module.Handle());
    EXPECT_EQ(copy.FindExport("SkinH_AttachRes"), module.FindExport("SkinH_AttachRes"));
    EXPECT_TRUE(copy.Free());
    EXPECT_EQ(module.Handle(), 0u);
    EXPECT_EQ(module.FindExport("SkinH_AttachRes"), 0u);
    EXPECT_TRUE(module.Free());
    EXPECT_EQ(calls.EntryCalls().size(), 2u) << "one attach, one detach";
}

TEST_F(MemoryModuleTest, DestroyLeavesTheImageMappedAndAttached) {
    {
        MemoryModule module(calls, platform);
        ASSERT_TRUE(module.Load(good.bytes, 0, 0));
    }
    EXPECT_EQ(platform.live.size(), 1u);
    EXPECT_EQ(calls.EntryCalls().size(), 1u) << "no detach call";
    const auto block = *platform.live.begin();
    platform.Release(block.first, block.second);
}

}  // namespace
}  // namespace lumaru::test
