#include "skin/pe_exports.h"

#include <charconv>
#include <limits>
#include <string>

#include "skin/pe_format.h"
#include "skin/pe_headers.h"

namespace lumaru::pe {

namespace {

struct ExportDirectory {
    std::uint32_t base;
    std::uint32_t number_of_functions;
    std::uint32_t number_of_names;
    std::uint32_t functions;
    std::uint32_t names;
    std::uint32_t name_ordinals;
};

std::optional<ExportDirectory> ReadExportDirectory(std::string_view bytes, std::uint32_t rva) {
    if (rva > bytes.size() || bytes.size() - rva < kExportDirectorySize) {
        return std::nullopt;
    }
    const auto field = [&](std::size_t offset) { return *Read32(bytes, rva + offset); };
    return ExportDirectory{
        field(kExportBaseOffset),           field(kExportNumberOfFunctionsOffset),
        field(kExportNumberOfNamesOffset),  field(kExportAddressOfFunctionsOffset),
        field(kExportAddressOfNamesOffset), field(kExportAddressOfNameOrdinalsOffset)};
}

// The address of function `index`, 0 when the index is out of range, its RVA is 0 or it lies
// outside the image.
std::uint32_t FunctionAddress(const MappedImage& image, const ExportDirectory& directory,
                              std::int64_t index) {
    if (index < 0 || index >= directory.number_of_functions) {
        return 0;
    }
    const auto rva = Read32(image.bytes(), std::uint64_t{directory.functions} + 4 * index);
    if (!rva || *rva == 0 || *rva >= image.size()) {
        return 0;
    }
    return image.AddressOf(*rva);
}

}  // namespace

std::optional<std::int32_t> OrdinalFromName(std::string_view name) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), value);
    if (error != std::errc{} || end != name.data() + name.size() ||
        value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max() || std::to_string(value) != name) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::uint32_t LookupExport(const MappedImage& image, std::string_view name) {
    const std::string_view bytes = image.bytes();
    const auto nt = ReadNtHeaders(bytes);
    if (!nt || nt->exports.size == 0) {
        return 0;
    }
    const auto directory = ReadExportDirectory(bytes, nt->exports.virtual_address);
    if (!directory) {
        return 0;
    }
    if (const auto ordinal = OrdinalFromName(name)) {
        return FunctionAddress(image, *directory,
                               std::int64_t{*ordinal} - std::int64_t{directory->base});
    }
    if (directory->number_of_names == 0) {
        return 0;
    }
    const auto first_name = Read32(bytes, directory->names);
    if (!first_name) {
        return 0;
    }
    std::uint64_t current = *first_name;
    // Each name takes at least its terminator, so the walk leaves the image before it can loop
    // for long on a huge NumberOfNames.
    for (std::uint64_t i = 0; i < directory->number_of_names; ++i) {
        const auto text = ReadText(bytes, current);
        const auto index = Read16(bytes, std::uint64_t{directory->name_ordinals} + 2 * i);
        if (!text || !index) {
            return 0;
        }
        if (*text == name) {
            if (const std::uint32_t address = FunctionAddress(image, *directory, *index)) {
                return address;
            }
        }
        current += text->size() + 1;
    }
    return 0;
}

}  // namespace lumaru::pe
