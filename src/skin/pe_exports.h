#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "skin/pe_image_view.h"

namespace lumaru::pe {

// The ordinal a name stands for: a name that survives the round trip to a 32-bit integer and back
// to decimal text unchanged ("6", "-1") is an ordinal; anything else ("06", "A6", "") is a name.
std::optional<std::int32_t> OrdinalFromName(std::string_view name);

// The address of the export `name` (a name, case-sensitive, or an ordinal as decimal text) of the
// mapped image, 0 when there is none. The headers are read afresh on every call. Names are
// walked as one run of zero-terminated texts starting at the first entry of AddressOfNames.
// An export whose address would lie outside the image is treated as missing, so a caller never
// receives an address outside the image.
std::uint32_t LookupExport(const MappedImage& image, std::string_view name);

}  // namespace lumaru::pe
