#pragma once

// Image memory for the fuzzer: every block is placed so that it ends right at an inaccessible
// guard page and starts right after another, so a read or write even one byte outside the image
// faults at once instead of landing in neighbouring memory unnoticed. Blocks lie below 4 GiB like
// real image memory. ImageBase is always taken, so every image is relocated.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <map>

#include "skin/image_memory.h"

namespace lumaru::fuzz {

class GuardedImageMemory final : public ImagePlatform {
public:
    // Larger images are refused like a failed allocation, to keep each run quick.
    static constexpr std::uint32_t kMaxSize = 64u << 20;

    std::uint32_t ReserveAt(std::uint32_t, std::uint32_t) override { return 0; }

    std::uint32_t ReserveAnywhere(std::uint32_t size) override {
        if (size == 0 || size > kMaxSize) {
            return 0;
        }
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t usable = (size + page - 1) / page * page;
        const std::size_t total = usable + 2 * page;
        void* start = mmap(nullptr, total, PROT_NONE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_32BIT, -1, 0);
        if (start == MAP_FAILED) {
            return 0;
        }
        char* usable_start = static_cast<char*>(start) + page;
        if (mprotect(usable_start, usable, PROT_READ | PROT_WRITE) != 0) {
            munmap(start, total);
            return 0;
        }
        const auto base = static_cast<std::uint32_t>(
            reinterpret_cast<std::uintptr_t>(usable_start + (usable - size)));
        blocks_[base] = {start, total};
        return base;
    }

    bool Release(std::uint32_t base, std::uint32_t) override {
        const auto block = blocks_.find(base);
        if (block == blocks_.end()) {
            return false;
        }
        munmap(block->second.start, block->second.total);
        blocks_.erase(block);
        return true;
    }

    std::uintptr_t OpenLibrary(const char*) override { return 0; }
    std::uint32_t FindProcedure(std::uintptr_t, const char*) override { return 0; }
    std::uint32_t FindProcedureByOrdinal(std::uintptr_t, std::uint16_t) override { return 0; }

private:
    struct Block {
        void* start;
        std::size_t total;
    };
    std::map<std::uint32_t, Block> blocks_;
};

}  // namespace lumaru::fuzz
