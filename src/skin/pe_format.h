#pragma once

// Offsets and flags of the 32-bit PE image format that the in-memory loader reads, and
// bounded little-endian reads over byte buffers. Every read here is checked against the buffer
// it reads from, so a malformed image can never make the loader read outside it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumaru::pe {

// DOS header: 64 bytes at offset 0.
inline constexpr std::size_t kDosHeaderSize = 64;
inline constexpr std::size_t kDosMagicOffset = 0;
inline constexpr std::size_t kNtOffsetField = 60;   // e_lfanew
inline constexpr std::uint16_t kDosMagic = 0x5A4D;  // "MZ"

// NT headers, always taken as 248 bytes: signature, file header, 32-bit optional header with
// sixteen data directories. Offsets below are relative to e_lfanew.
inline constexpr std::size_t kNtHeadersSize = 248;
inline constexpr std::uint32_t kNtSignature = 0x4550;  // "PE\0\0"
inline constexpr std::size_t kNumberOfSectionsOffset = 6;
inline constexpr std::size_t kCharacteristicsOffset = 22;
inline constexpr std::size_t kEntryPointOffset = 40;
inline constexpr std::size_t kImageBaseOffset = 52;
inline constexpr std::size_t kSectionAlignmentOffset = 56;
inline constexpr std::size_t kSizeOfImageOffset = 80;
inline constexpr std::size_t kDataDirectoriesOffset = 120;
inline constexpr std::size_t kDataDirectorySize = 8;

inline constexpr int kExportDirectory = 0;
inline constexpr int kImportDirectory = 1;
inline constexpr int kBaseRelocationDirectory = 5;

inline constexpr std::uint16_t kExecutableImage = 0x0002;
inline constexpr std::uint16_t kDllImage = 0x2000;

// Section header: 40 bytes each, the table starting right after the 248 bytes of NT headers.
inline constexpr std::size_t kSectionHeaderSize = 40;
inline constexpr std::size_t kSectionVirtualSizeOffset = 8;
inline constexpr std::size_t kSectionVirtualAddressOffset = 12;
inline constexpr std::size_t kSectionRawSizeOffset = 16;
inline constexpr std::size_t kSectionRawPointerOffset = 20;

// Base relocation block header, then 16-bit entries: type in the top four bits.
inline constexpr std::size_t kRelocationBlockHeaderSize = 8;
inline constexpr std::uint16_t kRelocationTypeMask = 0xF000;
inline constexpr std::uint16_t kRelocationHighLow = 0x3000;
inline constexpr std::uint16_t kRelocationOffsetMask = 0x0FFF;

// Import descriptor: 20 bytes; the table ends at a descriptor whose FirstThunk is 0.
inline constexpr std::size_t kImportDescriptorSize = 20;
inline constexpr std::size_t kImportNameOffset = 12;
inline constexpr std::size_t kImportFirstThunkOffset = 16;
inline constexpr std::uint32_t kImportByOrdinalFlag = 0x80000000;
inline constexpr std::size_t kImportHintSize = 2;

// Export directory: 40 bytes.
inline constexpr std::size_t kExportDirectorySize = 40;
inline constexpr std::size_t kExportBaseOffset = 16;
inline constexpr std::size_t kExportNumberOfFunctionsOffset = 20;
inline constexpr std::size_t kExportNumberOfNamesOffset = 24;
inline constexpr std::size_t kExportAddressOfFunctionsOffset = 28;
inline constexpr std::size_t kExportAddressOfNamesOffset = 32;
inline constexpr std::size_t kExportAddressOfNameOrdinalsOffset = 36;

// The reason codes handed to a DLL's entry point.
inline constexpr std::uint32_t kProcessDetach = 0;
inline constexpr std::uint32_t kProcessAttach = 1;

// Bounded reads from `bytes` at `offset`; nullopt when any byte would lie outside. Offsets are
// 64-bit so that sums of 32-bit image fields cannot wrap around into the buffer.
inline std::optional<std::uint16_t> Read16(std::string_view bytes, std::uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 2) {
        return std::nullopt;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::optional<std::uint32_t> Read32(std::string_view bytes, std::uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < 4) {
        return std::nullopt;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The zero-terminated text starting at `offset`, without its terminator; nullopt when the text
// does not end inside the buffer.
inline std::optional<std::string_view> ReadText(std::string_view bytes, std::uint64_t offset) {
    if (offset >= bytes.size()) {
        return std::nullopt;
    }
    const std::string_view rest = bytes.substr(static_cast<std::size_t>(offset));
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return rest.substr(0, end);
}

// The smallest multiple of `alignment` that is not below `value`; `alignment` must be at least 1.
inline constexpr std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
    return alignment * ((value + alignment - 1) / alignment);
}

}  // namespace lumaru::pe
