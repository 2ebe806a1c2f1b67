#pragma once

// Builds small 32-bit PE images in memory for the loader tests and the fuzzer's seeds: sections,
// base relocations, imports by name and by ordinal, exports by name and by ordinal. The file
// layout is fixed and simple: e_lfanew 0x80, headers in the first 0x400 bytes, each section's raw
// data at the next 0x200 boundary, each section at the next SectionAlignment boundary in memory.

#include <cstdint>
#include <string>
#include <vector>

namespace lumaru::test {

// File offsets of the header fields the tests break on purpose.
struct PeOffsets {
    static constexpr std::uint32_t kNt = 0x80;
    static constexpr std::uint32_t kNumberOfSections = kNt + 6;
    static constexpr std::uint32_t kCharacteristics = kNt + 22;
    static constexpr std::uint32_t kEntryPoint = kNt + 40;
    static constexpr std::uint32_t kImageBase = kNt + 52;
    static constexpr std::uint32_t kSectionAlignment = kNt + 56;
    static constexpr std::uint32_t kSizeOfImage = kNt + 80;
    static constexpr std::uint32_t kDirectories = kNt + 120;
    static constexpr std::uint32_t kSections = kNt + 248;

    static constexpr std::uint32_t Directory(int index) { return kDirectories + 8 * index; }
    static constexpr std::uint32_t Section(int index) { return kSections + 40 * index; }
};

inline constexpr std::uint16_t kImageExecutable = 0x0002;
inline constexpr std::uint16_t kImage32BitMachine = 0x0100;
inline constexpr std::uint16_t kImageDll = 0x2000;

struct ImportedProcedure {
    std::string name;           // imported by name when not empty
    std::uint16_t ordinal = 0;  // else by this ordinal
    std::uint16_t hint = 0;
};

struct ImportedLibrary {
    std::string name;
    std::vector<ImportedProcedure> procedures;
};

struct ExportedName {
    std::string name;
    std::uint16_t index = 0;  // into the function table
};

struct RelocationBlock {
    std::uint32_t page_rva = 0;
    std::vector<std::uint16_t> entries;  // type in the top four bits, offset in the low twelve
};

// A HIGHLOW relocation entry for `offset` within its block's page.
constexpr std::uint16_t HighLow(std::uint32_t offset) {
    return static_cast<std::uint16_t>(0x3000 | (offset & 0xFFF));
}

class PeImageWriter {
public:
    std::uint16_t characteristics = kImageExecutable | kImage32BitMachine | kImageDll;
    std::uint32_t image_base = 0x10000000;
    std::uint32_t entry_point = 0;
    std::uint32_t section_alignment = 0x1000;
    std::uint32_t size_of_image = 0;  // 0: up to the end of the last section, aligned

    // Adds a section at the next free address; returns its RVA. `virtual_size` 0 means the size
    // of `data`.
    std::uint32_t AddSection(std::string data, std::uint32_t virtual_size = 0);

    // Adds a section holding an import table for `libraries`; returns the RVA of each import
    // address table slot, in order.
    std::vector<std::uint32_t> AddImports(const std::vector<ImportedLibrary>& libraries);

    // Adds a section holding an export directory: function i has ordinal `ordinal_base` + i.
    // The names are written one after another in the order given.
    void AddExports(const std::string& library, std::uint32_t ordinal_base,
                    const std::vector<std::uint32_t>& function_rvas,
                    const std::vector<ExportedName>& names);

    // Adds a section holding these base relocation blocks and a terminating empty block.
    void AddRelocations(const std::vector<RelocationBlock>& blocks);

    // Overwrites 4 bytes of a section's data at `rva`.
    void Poke32(std::uint32_t rva, std::uint32_t value);

    // The file offset of the byte at `rva` in the built image (inside some section's data).
    std::uint32_t FileOffset(std::uint32_t rva) const;

    std::uint32_t ImageSize() const;

    // The RVA data directory `index` points to (0 export, 1 import, 5 base relocation).
    std::uint32_t DirectoryRva(int index) const { return directories_[index].rva; }

    std::string Build() const;

private:
    struct Section {
        std::uint32_t rva;
        std::uint32_t virtual_size;
        std::uint32_t file_offset;
        std::string data;
    };
    struct Directory {
        std::uint32_t rva = 0;
        std::uint32_t size = 0;
    };

    std::uint32_t NextRva() const;
    std::uint32_t NextFileOffset() const;

    std::vector<Section> sections_;
    Directory directories_[16];
};

// Little-endian helpers for patching built images.
void Put16(std::string& bytes, std::uint32_t offset, std::uint16_t value);
void Put32(std::string& bytes, std::uint32_t offset, std::uint32_t value);
std::uint32_t Get32(const std::string& bytes, std::uint32_t offset);

}  // namespace lumaru::test
