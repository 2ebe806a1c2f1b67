// libFuzzer target: maps arbitrary bytes as a DLL image and looks up exports, without ever
// running anything from the image. The first input byte steers the stand-in call layer; the rest
// is the image.
//
//   bit 0: pass an import resolver     bit 1: the resolver binds (else it declines)
//   bit 2: the entry point accepts     bit 3: the call layer cannot run code at all

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "guarded_image_memory.h"
#include "recording_call_layer.h"
#include "skin/memory_module.h"
#include "skin/pe_headers.h"
#include "skin/pe_image_view.h"
#include "test_image_platform.h"

namespace {

constexpr std::uint32_t kResolver = 0x00C0FFEE;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::uint8_t control = data[0];
    const std::string_view image(reinterpret_cast<const char*>(data + 1), size - 1);

    lumaru::fuzz::GuardedImageMemory memory;
    lumaru::test::TestImagePlatform platform(memory);
    lumaru::test::RecordingCallLayer calls;
    calls.resolver = kResolver;
    calls.respond =
        [control](const lumaru::test::RecordedCall& call) -> std::optional<std::uint32_t> {
        if (control & 8) {
            return std::nullopt;
        }
        if (call.address == kResolver) {
            return (control & 2) ? 0x7000'0000u : 0u;
        }
        return (control & 4) ? 1u : 0u;
    };

    lumaru::MemoryModule module(calls, platform);
    if (module.Load(image, (control & 1) ? kResolver : 0, 0x5EED)) {
        // A name taken from the input's tail, besides the usual suspects.
        const std::string_view tail = image.substr(image.size() > 16 ? image.size() - 16 : 0);
        const std::string tail_name(tail.substr(0, tail.find('\0')));
        for (const std::string_view name :
             {std::string_view("SkinH_AttachRes"), std::string_view("1"), std::string_view("3"),
              std::string_view("0"), std::string_view("-1"), std::string_view(""),
              std::string_view(tail_name)}) {
            module.FindExport(name);
        }
        module.EntryPoint();
        if (!module.Free()) {
            // Free refuses only an image whose headers no longer read as an image; nothing ran,
            // so only the loader's own relocations or bindings can have overwritten them.
            if (platform.live.size() != 1) {
                std::abort();
            }
            const auto block = *platform.live.begin();
            if (lumaru::pe::ReadNtHeaders(
                    lumaru::pe::MappedImage(block.first, block.second).bytes())) {
                std::abort();
            }
            platform.Release(block.first, block.second);
        }
    }
    if (!platform.live.empty()) {
        std::abort();  // memory left behind
    }
    return 0;
}
