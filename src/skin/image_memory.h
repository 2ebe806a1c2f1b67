#pragma once

// What the loader needs from the operating system: memory for an image at a 32-bit address, and
// the system's library loader for imports. The loader takes it as an interface so that tests and
// the fuzzer can watch allocations and answer library look-ups themselves.

#include <cstdint>

namespace lumaru {

class ImagePlatform {
public:
    virtual ~ImagePlatform() = default;

    // Zeroed memory of `size` bytes at `address` (or at the nearest allocation boundary below, as
    // the system decides), usable for an image; 0 when it cannot be had there.
    virtual std::uint32_t ReserveAt(std::uint32_t address, std::uint32_t size) = 0;

    // Zeroed memory of `size` bytes wherever the system likes below 4 GiB; 0 on failure.
    virtual std::uint32_t ReserveAnywhere(std::uint32_t size) = 0;

    // Gives back memory taken by one of the two above; `size` is the size it was taken with.
    virtual bool Release(std::uint32_t base, std::uint32_t size) = 0;

    // The system library loader by name; 0 when the library cannot be loaded. Libraries are
    // never unloaded.
    virtual std::uintptr_t OpenLibrary(const char* name) = 0;

    // A procedure of an opened library by name or by ordinal; 0 when it is missing, when
    // `library` is 0, or when its address does not fit in 32 bits.
    virtual std::uint32_t FindProcedure(std::uintptr_t library, const char* name) = 0;
    virtual std::uint32_t FindProcedureByOrdinal(std::uintptr_t library, std::uint16_t ordinal) = 0;
};

// The operating system's own services: VirtualAlloc, LoadLibraryA and GetProcAddress on Windows;
// mmap below 4 GiB, dlopen and dlsym elsewhere.
ImagePlatform& SystemImagePlatform();

}  // namespace lumaru
