#include "skin/skin_engine.h"

#include <limits>
#include <optional>
#include <string>

#include "app/shared_state.h"
#include "skin/memory_module.h"
#include "skin/skin_table.h"

namespace lumaru {
namespace {

// A 32-bit engine can only be handed addresses below 4 GiB.
std::optional<std::uint32_t> Address32(const void* pointer) {
    const auto address = reinterpret_cast<std::uintptr_t>(pointer);
    if (address > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(address);
}

// Calls the mapped engine's attach export; false when no call was made.
bool AttachThroughMappedEngine(const char* skin, std::uint32_t length, const char* password,
                               std::int32_t a, std::int32_t b, std::int32_t c, CallLayer& calls) {
    const std::shared_ptr<MemoryModule>& loader = State().skinEngineLoader;
    if (!loader) {
        return false;
    }
    const std::uint32_t attach = loader->FindExport(kAttachSkinExport);
    if (attach == 0) {
        return false;
    }
    const auto skinAddress = Address32(skin);
    const auto passwordAddress = Address32(password);
    if (!skinAddress || !passwordAddress) {
        return false;
    }
    // The engine's result says nothing the program acts on.
    return CallAddress(calls, attach,
                       {*skinAddress, length, *passwordAddress, static_cast<std::uint32_t>(a),
                        static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(c)})
        .has_value();
}

}  // namespace

std::string_view SkinEngineImage() {
    return {};
}

void LoadSkinEngine() {
    if (const std::shared_ptr<MemoryModule>& loader = State().skinEngineLoader) {
        loader->Load(SkinEngineImage(), 0, 0);
    }
}

void ApplySkin(std::string_view skin, const char* password, std::int32_t a, std::int32_t b,
               std::int32_t c, SkinEngine& nativeEngine, CallLayer& calls) {
    State().currentSkin = CurrentSkin{std::string(skin), a, b, c};
    if (skin.size() > std::numeric_limits<std::uint32_t>::max()) {
        return;  // no engine takes a count that does not fit its 32 bits
    }
    const auto length = static_cast<std::uint32_t>(skin.size());
    const char* passwordText = (password && *password) ? password : nullptr;
    if (!AttachThroughMappedEngine(skin.data(), length, passwordText, a, b, c, calls)) {
        nativeEngine.AttachRes(skin.data(), length, passwordText, a, b, c);
    }
}

}  // namespace lumaru
