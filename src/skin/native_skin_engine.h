#pragma once

#include "skin/skin_engine.h"

namespace lumaru {

// Our own skin engine: reads a skin file of our format and gives the whole application its
// palette and style sheet, so every window, also one opened later, takes the skin on. A file
// that does not read as a whole skin changes nothing. Our skins carry no password, and the three
// integers choose nothing.
class NativeSkinEngine final : public SkinEngine {
public:
    void AttachRes(const char* skin, std::uint32_t length, const char* password, std::int32_t a,
                   std::int32_t b, std::int32_t c) override;
};

// The engine the program's windows are skinned with.
NativeSkinEngine& ProgramSkinEngine();

}  // namespace lumaru
