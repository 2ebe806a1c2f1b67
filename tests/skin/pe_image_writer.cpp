#include "pe_image_writer.h"

#include <stdexcept>

namespace lumaru::test {

namespace {

constexpr std::uint32_t kHeadersFileSize = 0x400;
constexpr std::uint32_t kFileAlignment = 0x200;

std::uint32_t Align(std::uint32_t value, std::uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

void Put16(std::string& bytes, std::uint32_t offset, std::uint16_t value) {
    if (bytes.size() < offset + 2) {
        bytes.resize(offset + 2);
    }
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::uint32_t offset, std::uint32_t value) {
    Put16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t Get32(const std::string& bytes, std::uint32_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    }
    return value;
}

std::uint32_t PeImageWriter::NextRva() const {
    if (sections_.empty()) {
        return section_alignment;
    }
    const Section& last = sections_.back();
    return Align(last.rva + last.virtual_size, section_alignment);
}

std::uint32_t PeImageWriter::NextFileOffset() const {
    if (sections_.empty()) {
        return kHeadersFileSize;
    }
    const Section& last = sections_.back();
    return Align(last.file_offset + static_cast<std::uint32_t>(last.data.size()), kFileAlignment);
}

std::uint32_t PeImageWriter::AddSection(std::string data, std::uint32_t virtual_size) {
    const std::uint32_t rva = NextRva();
    const auto size = virtual_size != 0 ? virtual_size : static_cast<std::uint32_t>(data.size());
    sections_.push_back({rva, size, NextFileOffset(), std::move(data)});
    return rva;
}

std::vector<std::uint32_t> PeImageWriter::AddImports(
    const std::vector<ImportedLibrary>& libraries) {
    // Descriptors, then each library's address table, then the texts.
    const std::uint32_t rva = NextRva();
    std::uint32_t offset = static_cast<std::uint32_t>((libraries.size() + 1) * 20);
    std::vector<std::uint32_t> tables;
    for (const ImportedLibrary& library : libraries) {
        tables.push_back(offset);
        offset += static_cast<std::uint32_t>((library.procedures.size() + 1) * 4);
    }
    std::string data(offset, '\0');
    std::vector<std::uint32_t> slots;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        const std::uint32_t descriptor = static_cast<std::uint32_t>(i * 20);
        Put32(data, descriptor + 12, rva + static_cast<std::uint32_t>(data.size()));
        data += libraries[i].name;
        data.push_back('\0');
        Put32(data, descriptor + 16, rva + tables[i]);
        for (std::size_t j = 0; j < libraries[i].procedures.size(); ++j) {
            const ImportedProcedure& procedure = libraries[i].procedures[j];
            const std::uint32_t slot = tables[i] + static_cast<std::uint32_t>(j * 4);
            slots.push_back(rva + slot);
            if (procedure.name.empty()) {
                Put32(data, slot, 0x80000000u | procedure.ordinal);
                continue;
            }
            Put32(data, slot, rva + static_cast<std::uint32_t>(data.size()));
            std::string hint(2, '\0');
            Put16(hint, 0, procedure.hint);
            data += hint + procedure.name;
            data.push_back('\0');
        }
    }
    AddSection(std::move(data));
    directories_[1] = {rva, static_cast<std::uint32_t>((libraries.size() + 1) * 20)};
    return slots;
}

void PeImageWriter::AddExports(const std::string& library, std::uint32_t ordinal_base,
                               const std::vector<std::uint32_t>& function_rvas,
                               const std::vector<ExportedName>& names) {
    const std::uint32_t rva = NextRva();
    const auto functions = static_cast<std::uint32_t>(function_rvas.size());
    const auto count = static_cast<std::uint32_t>(names.size());
    const std::uint32_t functions_at = 40;
    const std::uint32_t names_at = functions_at + 4 * functions;
    const std::uint32_t ordinals_at = names_at + 4 * count;
    std::string data(ordinals_at + 2 * count, '\0');
    Put32(data, 12, rva + static_cast<std::uint32_t>(data.size()));
    data += library;
    data.push_back('\0');
    Put32(data, 16, ordinal_base);
    Put32(data, 20, functions);
    Put32(data, 24, count);
    Put32(data, 28, rva + functions_at);
    Put32(data, 32, rva + names_at);
    Put32(data, 36, rva + ordinals_at);
    for (std::uint32_t i = 0; i < functions; ++i) {
        Put32(data, functions_at + 4 * i, function_rvas[i]);
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        Put32(data, names_at + 4 * i, rva + static_cast<std::uint32_t>(data.size()));
        Put16(data, ordinals_at + 2 * i, names[i].index);
        data += names[i].name;
        data.push_back('\0');
    }
    const auto size = static_cast<std::uint32_t>(data.size());
    AddSection(std::move(data));
    directories_[0] = {rva, size};
}

void PeImageWriter::AddRelocations(const std::vector<RelocationBlock>& blocks) {
    const std::uint32_t rva = NextRva();
    std::string data;
    for (const RelocationBlock& block : blocks) {
        const std::uint32_t start = static_cast<std::uint32_t>(data.size());
        Put32(data, start, block.page_rva);
        Put32(data, start + 4, static_cast<std::uint32_t>(8 + 2 * block.entries.size()));
        for (std::size_t i = 0; i < block.entries.size(); ++i) {
            Put16(data, start + 8 + static_cast<std::uint32_t>(2 * i), block.entries[i]);
        }
    }
    const auto size = static_cast<std::uint32_t>(data.size());
    data.append(8, '\0');  // the terminating block
    AddSection(std::move(data));
    directories_[5] = {rva, size};
}

void PeImageWriter::Poke32(std::uint32_t rva, std::uint32_t value) {
    for (Section& section : sections_) {
        if (rva >= section.rva && rva + 4 <= section.rva + section.data.size()) {
            Put32(section.data, rva - section.rva, value);
            return;
        }
    }
    throw std::out_of_range("Poke32 outside every section's data");
}

std::uint32_t PeImageWriter::FileOffset(std::uint32_t rva) const {
    for (const Section& section : sections_) {
        if (rva >= section.rva && rva < section.rva + section.data.size()) {
            return section.file_offset + (rva - section.rva);
        }
    }
    throw std::out_of_range("FileOffset outside every section's data");
}

std::uint32_t PeImageWriter::ImageSize() const {
    return size_of_image != 0 ? size_of_image : NextRva();
}

std::string PeImageWriter::Build() const {
    std::string bytes(kHeadersFileSize, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, 60, PeOffsets::kNt);
    Put32(bytes, PeOffsets::kNt, 0x4550);
    Put16(bytes, PeOffsets::kNt + 4, 0x014C);  // i386
    Put16(bytes, PeOffsets::kNumberOfSections, static_cast<std::uint16_t>(sections_.size()));
    Put16(bytes, PeOffsets::kNt + 20, 224);  // SizeOfOptionalHeader
    Put16(bytes, PeOffsets::kCharacteristics, characteristics);
    Put16(bytes, PeOffsets::kNt + 24, 0x010B);  // PE32 magic
    Put32(bytes, PeOffsets::kEntryPoint, entry_point);
    Put32(bytes, PeOffsets::kImageBase, image_base);
    Put32(bytes, PeOffsets::kSectionAlignment, section_alignment);
    Put32(bytes, PeOffsets::kNt + 60, kFileAlignment);
    Put32(bytes, PeOffsets::kSizeOfImage, ImageSize());
    Put32(bytes, PeOffsets::kNt + 84, kHeadersFileSize);  // SizeOfHeaders
    Put32(bytes, PeOffsets::kNt + 116, 16);               // NumberOfRvaAndSizes
    for (int i = 0; i < 16; ++i) {
        Put32(bytes, PeOffsets::Directory(i), directories_[i].rva);
        Put32(bytes, PeOffsets::Directory(i) + 4, directories_[i].size);
    }
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& section = sections_[i];
        const std::uint32_t header = PeOffsets::Section(static_cast<int>(i));
        bytes.replace(header, 8, ".sect\0\0\0", 8);
        Put32(bytes, header + 8, section.virtual_size);
        Put32(bytes, header + 12, section.rva);
        Put32(bytes, header + 16, static_cast<std::uint32_t>(section.data.size()));
        Put32(bytes, header + 20, section.file_offset);
        bytes.resize(section.file_offset, '\0');
        bytes += section.data;
    }
    return bytes;
}

}  // namespace lumaru::test
