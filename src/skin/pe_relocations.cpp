#include "skin/pe_relocations.h"

#include "skin/pe_format.h"

namespace lumaru::pe {

bool ApplyRelocations(MappedImage& image, std::uint32_t table_rva, std::uint32_t delta) {
    const std::string_view bytes = image.bytes();
    std::uint64_t block = table_rva;
    // Every block moves the walk forward by at least its 8-byte header, so it ends.
    while (block != image.size()) {
        const auto block_rva = Read32(bytes, block);
        const auto block_size = Read32(bytes, block + 4);
        if (!block_rva || !block_size) {
            return false;
        }
        if (*block_rva == 0) {
            return true;
        }
        if (*block_size < kRelocationBlockHeaderSize || block + *block_size > image.size()) {
            return false;
        }
        const std::uint32_t entries = (*block_size - kRelocationBlockHeaderSize) / 2;
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint16_t entry = *Read16(bytes, block + kRelocationBlockHeaderSize + 2 * i);
            if ((entry & kRelocationTypeMask) != kRelocationHighLow) {
                continue;
            }
            const std::uint64_t target =
                std::uint64_t{*block_rva} + (entry & kRelocationOffsetMask);
            const auto value = Read32(bytes, target);
            if (!value || !image.Write32(target, *value + delta)) {
                return false;
            }
        }
        block += *block_size;
    }
    return true;
}

}  // namespace lumaru::pe
