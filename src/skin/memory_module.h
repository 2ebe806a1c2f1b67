#pragma once

// MemoryModule maps a 32-bit Windows DLL image held as bytes in memory, without a file and
// without the system loader: it lays the image out in fresh memory, relocates it, binds its
// imports, runs its entry point and finds its exports.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "skin/call_address.h"
#include "skin/image_memory.h"

namespace lumaru {

// Where an image was mapped.
struct MappedImageRange {
    std::uint32_t base = 0;
    std::uint32_t size = 0;
};

// Maps `image`: checks the headers, takes memory at ImageBase or else anywhere, copies headers
// and sections, applies base relocations, binds imports and, for a DLL, calls its entry point
// with (0, 1, 0). An entry point that returns 0 is called again with (0, 0, 0). On every failure
// the memory is given back and nullopt returned; a DLL whose entry point cannot be called
// through `calls` fails the same way, without anything being run.
std::optional<MappedImageRange> LoadImage(std::string_view image, std::uint32_t resolver,
                                          std::uint32_t user_value, CallLayer& calls,
                                          ImagePlatform& platform);

// Calls a mapped DLL's entry point with (0, 0, 0) and gives the image's memory back. With
// headers that no longer read as "MZ" and "PE\0\0" it does nothing and returns false.
bool UnloadImage(const MappedImageRange& range, CallLayer& calls, ImagePlatform& platform);

// The object the program keeps to hold one mapped image. Its operations, in their fixed order:
// Destroy (the destructor), Copy, Load, Free, FindExport, EntryPoint, Handle.
//
// Copies share one record of the mapped image: when any of them frees it, all of them see
// nothing mapped, so no copy is left holding the address of released memory.
class MemoryModule {
public:
    explicit MemoryModule(CallLayer& calls = SystemCallLayer(),
                          ImagePlatform& platform = SystemImagePlatform());

    // Destroy: leaves a mapped image, and the libraries it pulled in, in memory.
    ~MemoryModule() = default;

    MemoryModule(const MemoryModule&) = default;
    MemoryModule& operator=(const MemoryModule&) = default;

    // A new object for the same mapped image.
    MemoryModule Copy() const { return *this; }

    // Frees a mapped image first, whatever that gives, then maps `image`. True when an image is
    // now mapped. `resolver` is the 32-bit address of an import resolver routine, 0 for none.
    bool Load(std::string_view image, std::uint32_t resolver = 0, std::uint32_t user_value = 0);

    // True when no image is mapped afterwards; an image that cannot be released stays mapped.
    bool Free();

    // The address of an export by name (case-sensitive) or by ordinal as decimal text; 0 when
    // it is missing or nothing is mapped.
    std::uint32_t FindExport(std::string_view name) const;

    // Base address + AddressOfEntryPoint of the mapped image; 0 when nothing is mapped.
    std::uint32_t EntryPoint() const;

    // The base address of the mapped image, 0 when nothing is mapped.
    std::uint32_t Handle() const { return mapped_->base; }

private:
    CallLayer* calls_;
    ImagePlatform* platform_;
    std::shared_ptr<MappedImageRange> mapped_;
};

}  // namespace lumaru
