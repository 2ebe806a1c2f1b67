#include "skin/pe_headers.h"

#include <algorithm>

#include "skin/pe_format.h"

namespace lumaru::pe {

namespace {

constexpr std::uint64_t kAddressSpaceEnd = std::uint64_t{1} << 32;

DataDirectory ReadDirectory(std::string_view nt, int index) {
    const std::size_t offset = kDataDirectoriesOffset + kDataDirectorySize * index;
    return {*Read32(nt, offset), *Read32(nt, offset + 4)};
}

std::optional<SectionHeader> ReadSection(std::string_view bytes, std::uint64_t offset) {
    const auto virtual_size = Read32(bytes, offset + kSectionVirtualSizeOffset);
    const auto virtual_address = Read32(bytes, offset + kSectionVirtualAddressOffset);
    const auto raw_size = Read32(bytes, offset + kSectionRawSizeOffset);
    const auto raw_pointer = Read32(bytes, offset + kSectionRawPointerOffset);
    if (!virtual_size || !virtual_address || !raw_size || !raw_pointer) {
        return std::nullopt;
    }
    return SectionHeader{*virtual_size, *virtual_address, *raw_size, *raw_pointer};
}

}  // namespace

bool NtHeaders::IsDll() const {
    return (characteristics & kDllImage) != 0;
}

std::optional<NtHeaders> ReadNtHeaders(std::string_view bytes) {
    if (bytes.size() < kDosHeaderSize || Read16(bytes, kDosMagicOffset) != kDosMagic) {
        return std::nullopt;
    }
    const auto nt_offset = static_cast<std::int32_t>(*Read32(bytes, kNtOffsetField));
    if (nt_offset < 0 ||
        bytes.size() < std::uint64_t{static_cast<std::uint32_t>(nt_offset)} + kNtHeadersSize) {
        return std::nullopt;
    }
    const std::string_view nt = bytes.substr(static_cast<std::size_t>(nt_offset), kNtHeadersSize);
    if (*Read32(nt, 0) != kNtSignature) {
        return std::nullopt;
    }
    NtHeaders headers;
    headers.nt_offset = static_cast<std::uint32_t>(nt_offset);
    headers.number_of_sections = *Read16(nt, kNumberOfSectionsOffset);
    headers.characteristics = *Read16(nt, kCharacteristicsOffset);
    headers.entry_point = *Read32(nt, kEntryPointOffset);
    headers.image_base = *Read32(nt, kImageBaseOffset);
    headers.section_alignment = *Read32(nt, kSectionAlignmentOffset);
    headers.size_of_image = *Read32(nt, kSizeOfImageOffset);
    headers.exports = ReadDirectory(nt, kExportDirectory);
    headers.imports = ReadDirectory(nt, kImportDirectory);
    headers.relocations = ReadDirectory(nt, kBaseRelocationDirectory);
    return headers;
}

std::optional<ImageLayout> ReadImageLayout(std::string_view bytes) {
    const auto nt = ReadNtHeaders(bytes);
    if (!nt || (nt->characteristics & kExecutableImage) == 0) {
        return std::nullopt;
    }
    const std::uint64_t table_offset = std::uint64_t{nt->nt_offset} + kNtHeadersSize;
    const std::uint64_t headers_size =
        table_offset + std::uint64_t{kSectionHeaderSize} * nt->number_of_sections;
    if (bytes.size() < headers_size) {
        return std::nullopt;
    }
    if (nt->number_of_sections > 0 && nt->section_alignment == 0) {
        return std::nullopt;
    }

    ImageLayout layout;
    layout.nt = *nt;
    layout.headers_size = static_cast<std::uint32_t>(headers_size);
    std::uint64_t image_size = nt->size_of_image;
    for (std::uint16_t i = 0; i < nt->number_of_sections; ++i) {
        const auto section = ReadSection(bytes, table_offset + kSectionHeaderSize * i);
        if (!section) {
            return std::nullopt;
        }
        if (section->IsCopied() &&
            std::uint64_t{section->raw_pointer} + section->raw_size > bytes.size()) {
            return std::nullopt;
        }
        // Only the low 16 bits of VirtualSize count towards the image size.
        const std::uint64_t extent =
            std::max<std::uint64_t>(section->virtual_size & 0xFFFF, section->raw_size);
        image_size = std::max(image_size, AlignUp(std::uint64_t{section->virtual_address} + extent,
                                                  nt->section_alignment));
        layout.sections.push_back(*section);
    }

    if (image_size == 0 || image_size >= kAddressSpaceEnd || image_size < headers_size) {
        return std::nullopt;
    }
    layout.image_size = static_cast<std::uint32_t>(image_size);
    // A DLL's entry point is always called; it must be real code inside the image, not the
    // headers at offset 0.
    if (nt->IsDll() && (nt->entry_point == 0 || nt->entry_point >= layout.image_size)) {
        return std::nullopt;
    }
    return layout;
}

}  // namespace lumaru::pe
