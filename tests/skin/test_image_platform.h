#pragma once

// An image platform for tests: real memory from another platform (the system's by default),
// with every block that is still taken kept in a list, and a scripted library loader.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "skin/image_memory.h"

namespace lumaru::test {

class TestImagePlatform final : public ImagePlatform {
public:
    explicit TestImagePlatform(ImagePlatform& memory = SystemImagePlatform()) : memory_(memory) {}

    // Blocks taken and not yet given back, base → size.
    std::map<std::uint32_t, std::uint32_t> live;
    int reserve_calls = 0;
    // When set, ReserveAt fails as if ImageBase were taken.
    bool refuse_reserve_at = false;

    // The libraries the loader may open and their procedures: "name" or "#ordinal" → address.
    std::map<std::string, std::map<std::string, std::uint32_t>> libraries;
    std::vector<std::string> opened;   // every name handed to OpenLibrary
    std::vector<std::string> lookups;  // "library!name" or "library#ordinal"

    std::uint32_t ReserveAt(std::uint32_t address, std::uint32_t size) override {
        ++reserve_calls;
        return Track(refuse_reserve_at ? 0 : memory_.ReserveAt(address, size), size);
    }
    std::uint32_t ReserveAnywhere(std::uint32_t size) override {
        ++reserve_calls;
        return Track(memory_.ReserveAnywhere(size), size);
    }
    bool Release(std::uint32_t base, std::uint32_t size) override {
        const auto block = live.find(base);
        if (block == live.end() || block->second != size) {
            return false;  // never given out, or given back twice
        }
        live.erase(block);
        return memory_.Release(base, size);
    }

    std::uintptr_t OpenLibrary(const char* name) override {
        opened.push_back(name);
        std::uintptr_t handle = 1;
        for (const auto& library : libraries) {
            if (library.first == name) {
                return handle;
            }
            ++handle;
        }
        return 0;
    }
    std::uint32_t FindProcedure(std::uintptr_t library, const char* name) override {
        return Find(library, "!", name);
    }
    std::uint32_t FindProcedureByOrdinal(std::uintptr_t library, std::uint16_t ordinal) override {
        return Find(library, "#", std::to_string(ordinal));
    }

private:
    std::uint32_t Track(std::uint32_t base, std::uint32_t size) {
        if (base != 0) {
            live[base] = size;
        }
        return base;
    }

    std::uint32_t Find(std::uintptr_t handle, const std::string& kind, const std::string& key) {
        if (handle == 0 || handle > libraries.size()) {
            return 0;
        }
        auto library = libraries.begin();
        std::advance(library, handle - 1);
        lookups.push_back(library->first + kind + key);
        const auto procedure = library->second.find(kind == "#" ? "#" + key : key);
        return procedure == library->second.end() ? 0 : procedure->second;
    }

    ImagePlatform& memory_;
};

}  // namespace lumaru::test
