#pragma once

// The skins and the engine image the program carries in its constant data.

#include <array>
#include <cstddef>
#include <string_view>

namespace lumaru {

inline constexpr std::size_t kSkinCount = 4;

// The selector's item whose skin the main window starts with: "皮肤3".
inline constexpr int kStartSkinIndex = 2;

// The four skin files, in the order of the selector's items "皮肤1" to "皮肤4". Each view refers
// to constant data that stays in place for the life of the process, so its address can be
// handed to a skin engine that keeps it.
const std::array<std::string_view, kSkinCount>& SkinTable();

// The image of a skin engine library, mapped at start-up. We carry no outside engine, so the
// view is empty, nothing is mapped and our own engine applies the skins; a real image placed
// here would be mapped and called instead.
std::string_view SkinEngineImage();

}  // namespace lumaru
