#include "skin/memory_module.h"

#include "skin/pe_exports.h"
#include "skin/pe_format.h"
#include "skin/pe_headers.h"
#include "skin/pe_image_view.h"
#include "skin/pe_imports.h"
#include "skin/pe_relocations.h"

namespace lumaru {

namespace {

std::uint32_t AllocateImage(const pe::ImageLayout& layout, ImagePlatform& platform) {
    if (const std::uint32_t base = platform.ReserveAt(layout.nt.image_base, layout.image_size)) {
        return base;
    }
    return platform.ReserveAnywhere(layout.image_size);
}

void CopyHeadersAndSections(std::string_view bytes, const pe::ImageLayout& layout,
                            pe::MappedImage& image) {
    // Both fit: the headers are no larger than the image, and every copied section lies inside
    // the buffer and, by the image size's construction, inside the image.
    image.Write(0, bytes.substr(0, layout.headers_size));
    for (const pe::SectionHeader& section : layout.sections) {
        if (section.IsCopied()) {
            image.Write(section.virtual_address,
                        bytes.substr(section.raw_pointer, section.raw_size));
        }
    }
}

bool PrepareImage(std::string_view bytes, const pe::ImageLayout& layout, std::uint32_t resolver,
                  std::uint32_t user_value, pe::MappedImage& image, CallLayer& calls,
                  ImagePlatform& platform) {
    CopyHeadersAndSections(bytes, layout, image);
    if (layout.nt.relocations.size > 0 &&
        !pe::ApplyRelocations(image, layout.nt.relocations.virtual_address,
                              image.base() - layout.nt.image_base)) {
        return false;
    }
    return layout.nt.imports.virtual_address == 0 ||
           pe::ResolveImports(image, layout.nt.imports.virtual_address, resolver, user_value, calls,
                              platform);
}

}  // namespace

std::optional<MappedImageRange> LoadImage(std::string_view bytes, std::uint32_t resolver,
                                          std::uint32_t user_value, CallLayer& calls,
                                          ImagePlatform& platform) {
    const auto layout = pe::ReadImageLayout(bytes);
    if (!layout) {
        return std::nullopt;
    }
    const std::uint32_t base = AllocateImage(*layout, platform);
    if (base == 0) {
        return std::nullopt;
    }
    pe::MappedImage image(base, layout->image_size);
    if (!PrepareImage(bytes, *layout, resolver, user_value, image, calls, platform)) {
        platform.Release(base, layout->image_size);
        return std::nullopt;
    }
    if (layout->nt.IsDll()) {
        const std::uint32_t entry = image.AddressOf(layout->nt.entry_point);
        const auto attached = CallAddress(calls, entry, {0, pe::kProcessAttach, 0});
        if (!attached || *attached == 0) {
            if (attached) {
                CallAddress(calls, entry, {0, pe::kProcessDetach, 0});
            }
            platform.Release(base, layout->image_size);
            return std::nullopt;
        }
    }
    return MappedImageRange{base, layout->image_size};
}

bool UnloadImage(const MappedImageRange& range, CallLayer& calls, ImagePlatform& platform) {
    const pe::MappedImage image(range.base, range.size);
    const auto nt = pe::ReadNtHeaders(image.bytes());
    if (!nt) {
        return false;
    }
    // The headers may have been changed since mapping; only an entry point inside the image
    // is called.
    if (nt->IsDll() && nt->entry_point != 0 && nt->entry_point < range.size) {
        CallAddress(calls, image.AddressOf(nt->entry_point), {0, pe::kProcessDetach, 0});
    }
    return platform.Release(range.base, range.size);
}

MemoryModule::MemoryModule(CallLayer& calls, ImagePlatform& platform)
    : calls_(&calls), platform_(&platform), mapped_(std::make_shared<MappedImageRange>()) {}

bool MemoryModule::Load(std::string_view image, std::uint32_t resolver, std::uint32_t user_value) {
    Free();
    const auto range = LoadImage(image, resolver, user_value, *calls_, *platform_);
    mapped_ = std::make_shared<MappedImageRange>(range.value_or(MappedImageRange{}));
    return mapped_->base != 0;
}

bool MemoryModule::Free() {
    if (mapped_->base != 0 && UnloadImage(*mapped_, *calls_, *platform_)) {
        *mapped_ = MappedImageRange{};
    }
    return mapped_->base == 0;
}

std::uint32_t MemoryModule::FindExport(std::string_view name) const {
    if (mapped_->base == 0) {
        return 0;
    }
    return pe::LookupExport(pe::MappedImage(mapped_->base, mapped_->size), name);
}

std::uint32_t MemoryModule::EntryPoint() const {
    if (mapped_->base == 0) {
        return 0;
    }
    const pe::MappedImage image(mapped_->base, mapped_->size);
    const auto nt = pe::ReadNtHeaders(image.bytes());
    return nt ? image.AddressOf(nt->entry_point) : 0;
}

}  // namespace lumaru
