// The image platform outside Windows. Image code never runs here (see call_address.h), so image
// memory is mapped readable and writable only, and below 4 GiB so that the image's 32-bit
// addresses and relocated values are the real ones.
#if !defined(_WIN32)

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include "skin/image_memory.h"

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

namespace lumaru {

namespace {

constexpr std::uint64_t kAddressSpaceEnd = std::uint64_t{1} << 32;

bool FitsBelow4GiB(std::uintptr_t address, std::uint64_t size) {
    return address != 0 && address < kAddressSpaceEnd && kAddressSpaceEnd - address >= size;
}

void* AsPointer(std::uint32_t address) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

class PosixImagePlatform final : public ImagePlatform {
public:
    std::uint32_t ReserveAt(std::uint32_t address, std::uint32_t size) override {
        const auto page = static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE));
        if (size == 0 || address % page != 0 || !FitsBelow4GiB(address, size)) {
            return 0;
        }
        void* p = mmap(AsPointer(address), size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (p == MAP_FAILED) {
            return 0;
        }
        // Kernels without MAP_FIXED_NOREPLACE take the address as a mere hint.
        if (p != AsPointer(address)) {
            munmap(p, size);
            return 0;
        }
        return address;
    }

    std::uint32_t ReserveAnywhere(std::uint32_t size) override {
        if (size == 0) {
            return 0;
        }
#if defined(MAP_32BIT)
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
#else
        void* p = mmap(AsPointer(0x10000000), size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
#endif
        if (p == MAP_FAILED) {
            return 0;
        }
        const auto address = reinterpret_cast<std::uintptr_t>(p);
        if (!FitsBelow4GiB(address, size)) {
            munmap(p, size);
            return 0;
        }
        return static_cast<std::uint32_t>(address);
    }

    bool Release(std::uint32_t base, std::uint32_t size) override {
        return base != 0 && size != 0 && munmap(AsPointer(base), size) == 0;
    }

    std::uintptr_t OpenLibrary(const char* name) override {
        return reinterpret_cast<std::uintptr_t>(dlopen(name, RTLD_NOW | RTLD_LOCAL));
    }

    std::uint32_t FindProcedure(std::uintptr_t library, const char* name) override {
        // A null handle would make dlsym search the whole process.
        if (library == 0) {
            return 0;
        }
        const auto address =
            reinterpret_cast<std::uintptr_t>(dlsym(reinterpret_cast<void*>(library), name));
        return address < kAddressSpaceEnd ? static_cast<std::uint32_t>(address) : 0;
    }

    std::uint32_t FindProcedureByOrdinal(std::uintptr_t, std::uint16_t) override {
        return 0;  // shared objects have no ordinals
    }
};

}  // namespace

ImagePlatform& SystemImagePlatform() {
    static PosixImagePlatform platform;
    return platform;
}

}  // namespace lumaru

#endif
