#pragma once

// A bounded view of an image mapped in memory at a 32-bit address. All reads and writes that the
// loader makes inside a mapped image go through it, so none can leave the image.

#include <cstdint>
#include <string_view>

namespace lumaru::pe {

class MappedImage {
public:
    MappedImage(std::uint32_t base, std::uint32_t size) : base_(base), size_(size) {}

    std::uint32_t base() const { return base_; }
    std::uint32_t size() const { return size_; }

    // The whole image as bytes, for the bounded reads of pe_format.h.
    std::string_view bytes() const { return {Pointer(0), size_}; }

    // The 32-bit address of the byte at `rva`.
    std::uint32_t AddressOf(std::uint32_t rva) const { return base_ + rva; }

    // Writes a little-endian 32-bit value at `rva`; false when it would not fit in the image.
    bool Write32(std::uint64_t rva, std::uint32_t value) {
        if (rva > size_ || size_ - rva < 4) {
            return false;
        }
        char* p = Pointer(static_cast<std::uint32_t>(rva));
        for (int i = 0; i < 4; ++i) {
            p[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return true;
    }

    // Copies `data` to `rva`; false when it would not fit.
    bool Write(std::uint64_t rva, std::string_view data) {
        if (rva > size_ || size_ - rva < data.size()) {
            return false;
        }
        char* p = Pointer(static_cast<std::uint32_t>(rva));
        for (std::size_t i = 0; i < data.size(); ++i) {
            p[i] = data[i];
        }
        return true;
    }

private:
    char* Pointer(std::uint32_t rva) const {
        return reinterpret_cast<char*>(static_cast<std::uintptr_t>(base_) + rva);
    }

    std::uint32_t base_;
    std::uint32_t size_;
};

}  // namespace lumaru::pe
