// The image platform on Windows: the system's virtual memory and library loader.
#if defined(_WIN32)

#include <windows.h>

#include "skin/image_memory.h"

namespace lumaru {

namespace {

constexpr std::uint64_t kAddressSpaceEnd = std::uint64_t{1} << 32;

// In a 64-bit process memory and procedures may lie above 4 GiB, where a 32-bit image cannot
// address them.
bool FitsBelow4GiB(const void* address, std::uint64_t size) {
    const auto value = reinterpret_cast<std::uintptr_t>(address);
    return value != 0 && value < kAddressSpaceEnd && kAddressSpaceEnd - value >= size;
}

class Win32ImagePlatform final : public ImagePlatform {
public:
    std::uint32_t ReserveAt(std::uint32_t address, std::uint32_t size) override {
        return Reserve(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), size);
    }

    std::uint32_t ReserveAnywhere(std::uint32_t size) override { return Reserve(nullptr, size); }

    bool Release(std::uint32_t base, std::uint32_t) override {
        return base != 0 && VirtualFree(reinterpret_cast<void*>(static_cast<std::uintptr_t>(base)),
                                        0, MEM_RELEASE) != 0;
    }

    std::uintptr_t OpenLibrary(const char* name) override {
        return reinterpret_cast<std::uintptr_t>(LoadLibraryA(name));
    }

    std::uint32_t FindProcedure(std::uintptr_t library, const char* name) override {
        if (library == 0) {
            return 0;
        }
        return Checked(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
    }

    std::uint32_t FindProcedureByOrdinal(std::uintptr_t library, std::uint16_t ordinal) override {
        if (library == 0 || ordinal == 0) {
            return 0;
        }
        return Checked(
            GetProcAddress(reinterpret_cast<HMODULE>(library), MAKEINTRESOURCEA(ordinal)));
    }

private:
    static std::uint32_t Reserve(void* address, std::uint32_t size) {
        if (size == 0) {
            return 0;
        }
        void* p = VirtualAlloc(address, size, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE);
        if (p == nullptr) {
            return 0;
        }
        if (!FitsBelow4GiB(p, size)) {
            VirtualFree(p, 0, MEM_RELEASE);
            return 0;
        }
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
    }

    static std::uint32_t Checked(FARPROC procedure) {
        const auto address = reinterpret_cast<std::uintptr_t>(procedure);
        return address < kAddressSpaceEnd ? static_cast<std::uint32_t>(address) : 0;
    }
};

}  // namespace

ImagePlatform& SystemImagePlatform() {
    static Win32ImagePlatform platform;
    return platform;
}

}  // namespace lumaru

#endif
