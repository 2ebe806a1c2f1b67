#pragma once

#include <cstdint>

#include "skin/call_address.h"
#include "skin/image_memory.h"
#include "skin/pe_image_view.h"

namespace lumaru::pe {

// Binds the imports of a mapped image, writing each procedure's address over its entry in the
// import address table. Every library named by a descriptor is opened with the system's library
// loader (and never released). When `resolver` is not 0 it is called first for each import with
// (address of the library name, address of the procedure name or of its ordinal as decimal text,
// `user_value`); when it returns 0, or there is none, the system looks the procedure up.
// Returns false at the first import that cannot be bound, when the resolver cannot be called,
// or when a descriptor, name or table entry lies outside the image.
bool ResolveImports(MappedImage& image, std::uint32_t table_rva, std::uint32_t resolver,
                    std::uint32_t user_value, CallLayer& calls, ImagePlatform& platform);

}  // namespace lumaru::pe
