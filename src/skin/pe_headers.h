#pragma once

// Reading and checking the headers of a 32-bit PE image, both from the bytes the loader is
// given and from an image already mapped in memory.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace lumaru::pe {

struct DataDirectory {
    std::uint32_t virtual_address = 0;
    std::uint32_t size = 0;
};

// The fields of the DOS and NT headers the loader uses.
struct NtHeaders {
    std::uint32_t nt_offset = 0;  // e_lfanew
    std::uint16_t number_of_sections = 0;
    std::uint16_t characteristics = 0;
    std::uint32_t entry_point = 0;
    std::uint32_t image_base = 0;
    std::uint32_t section_alignment = 0;
    std::uint32_t size_of_image = 0;
    DataDirectory exports;
    DataDirectory imports;
    DataDirectory relocations;

    bool IsDll() const;
};

struct SectionHeader {
    std::uint32_t virtual_size = 0;
    std::uint32_t virtual_address = 0;
    std::uint32_t raw_size = 0;
    std::uint32_t raw_pointer = 0;

    // Sections without raw data or at address 0 are left as zero memory, not copied.
    bool IsCopied() const { return raw_size >= 1 && virtual_address != 0; }
};

// Everything the loader needs to know before it takes any memory.
struct ImageLayout {
    NtHeaders nt;
    std::vector<SectionHeader> sections;
    std::uint32_t headers_size = 0;  // DOS header up to the end of the section table
    std::uint32_t image_size = 0;    // bytes of memory the mapped image takes
};

// The DOS header's "MZ" and e_lfanew, and the NT headers with their "PE\0\0" signature, read
// from `bytes`; nullopt unless all of them lie inside. A negative e_lfanew is refused.
std::optional<NtHeaders> ReadNtHeaders(std::string_view bytes);

// The checks an image held as bytes must pass before it is mapped, and the size it maps to.
// Besides the format's own checks (signature, executable-image flag, a complete section table,
// a non-zero size) this refuses what would make the loader read, write or call outside the
// buffer or the image: section data beyond the buffer, a section alignment of 0, headers larger
// than the image, an image reaching past 4 GiB, and a DLL whose entry point is 0 or outside.
std::optional<ImageLayout> ReadImageLayout(std::string_view bytes);

}  // namespace lumaru::pe
