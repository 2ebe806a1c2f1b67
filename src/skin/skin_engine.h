#pragma once

// Mapping the skin engine at start-up and handing it skins.

#include <cstdint>
#include <string_view>

#include "skin/call_address.h"

namespace lumaru {

// The engine export every skin goes through.
inline constexpr char kAttachSkinExport[] = "SkinH_AttachRes";

// A skin engine as the program calls it: the skin file's bytes and their count, a password text
// (null when there is none) and three integers. After the call every window of the program,
// including those opened later, has the skin; a later call replaces it.
class SkinEngine {
public:
    virtual ~SkinEngine() = default;
    virtual void AttachRes(const char* skin, std::uint32_t length, const char* password,
                           std::int32_t a, std::int32_t b, std::int32_t c) = 0;
};

// Maps SkinEngineImage() into the shared state's skin engine loader, if there is a loader. The
// outcome is not reported: without an engine image our own engine applies the skins.
void LoadSkinEngine();

// Makes `skin` the current skin: records a copy and a, b, c as the shared state's CurrentSkin,
// then hands the caller's bytes themselves (not the copy), their count, the password (null for
// an empty or absent text) and a, b, c to the engine. A mapped engine image is called through
// its "SkinH_AttachRes" export via `calls`; when no image is mapped, the image lacks that
// export, the call layer cannot run it, or an argument lies beyond a 32-bit address, nothing is
// called through that address and `nativeEngine` takes the skin instead.
void ApplySkin(std::string_view skin, const char* password, std::int32_t a, std::int32_t b,
               std::int32_t c, SkinEngine& nativeEngine, CallLayer& calls = SystemCallLayer());

}  // namespace lumaru
