#pragma once

#include <cstdint>

#include "skin/pe_image_view.h"

namespace lumaru::pe {

// Adds `delta` (modulo 2^32) to the 32-bit value at every HIGHLOW (type 3) entry of the base
// relocation blocks that start at `table_rva`; entries of every other type are skipped. The walk
// ends at a block whose VirtualAddress is 0, or at the very end of the image.
// Returns false, possibly with some values already changed, when a block header does not fit in
// the image, a block is shorter than its own header or runs past the image, or an entry points
// outside the image.
bool ApplyRelocations(MappedImage& image, std::uint32_t table_rva, std::uint32_t delta);

}  // namespace lumaru::pe
