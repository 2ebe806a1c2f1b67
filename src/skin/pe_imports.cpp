#include "skin/pe_imports.h"

#include <string>

#include "skin/pe_format.h"

namespace lumaru::pe {

namespace {

// The decimal text of an ordinal handed to the resolver. It must have a 32-bit address like the
// names inside the image, so it lives in a small block of image-platform memory, taken at the
// first ordinal import and given back when binding ends.
class OrdinalText {
public:
    static constexpr std::uint32_t kSize = 16;

    explicit OrdinalText(ImagePlatform& platform) : platform_(platform) {}
    OrdinalText(const OrdinalText&) = delete;
    OrdinalText& operator=(const OrdinalText&) = delete;
    ~OrdinalText() {
        if (address_ != 0) {
            platform_.Release(address_, kSize);
        }
    }

    // The address of `ordinal` written as zero-terminated decimal text; 0 when no memory.
    std::uint32_t Write(std::uint16_t ordinal) {
        if (address_ == 0) {
            address_ = platform_.ReserveAnywhere(kSize);
            if (address_ == 0) {
                return 0;
            }
        }
        std::string text = std::to_string(ordinal);
        text.push_back('\0');
        MappedImage(address_, kSize).Write(0, text);
        return address_;
    }

private:
    ImagePlatform& platform_;
    std::uint32_t address_ = 0;
};

const char* TextPointer(const MappedImage& image, std::uint64_t rva) {
    return image.bytes().data() + rva;
}

}  // namespace

bool ResolveImports(MappedImage& image, std::uint32_t table_rva, std::uint32_t resolver,
                    std::uint32_t user_value, CallLayer& calls, ImagePlatform& platform) {
    const std::string_view bytes = image.bytes();
    OrdinalText ordinal_text(platform);
    for (std::uint64_t descriptor = table_rva;; descriptor += kImportDescriptorSize) {
        const auto first_thunk = Read32(bytes, descriptor + kImportFirstThunkOffset);
        const auto name_rva = Read32(bytes, descriptor + kImportNameOffset);
        if (!first_thunk || !name_rva) {
            return false;
        }
        if (*first_thunk == 0) {
            return true;
        }
        if (!ReadText(bytes, *name_rva)) {
            return false;
        }
        const std::uintptr_t library = platform.OpenLibrary(TextPointer(image, *name_rva));

        for (std::uint64_t thunk = *first_thunk;; thunk += 4) {
            const auto entry = Read32(bytes, thunk);
            if (!entry) {
                return false;
            }
            if (*entry == 0) {
                break;
            }
            const bool by_ordinal = (*entry & kImportByOrdinalFlag) != 0;
            const auto ordinal = static_cast<std::uint16_t>(*entry & 0xFFFF);
            const std::uint64_t name_at = std::uint64_t{*entry} + kImportHintSize;
            if (!by_ordinal && !ReadText(bytes, name_at)) {
                return false;
            }

            std::uint32_t address = 0;
            if (resolver != 0) {
                const std::uint32_t text =
                    by_ordinal ? ordinal_text.Write(ordinal)
                               : image.AddressOf(static_cast<std::uint32_t>(name_at));
                if (text == 0) {
                    return false;
                }
                const auto resolved =
                    CallAddress(calls, resolver, {image.AddressOf(*name_rva), text, user_value});
                if (!resolved) {
                    return false;
                }
                address = *resolved;
            }
            if (address == 0) {
                address = by_ordinal ? platform.FindProcedureByOrdinal(library, ordinal)
                                     : platform.FindProcedure(library, TextPointer(image, name_at));
            }
            if (address == 0 || !image.Write32(thunk, address)) {
                return false;
            }
        }
    }
}

}  // namespace lumaru::pe
