// Writes the fuzzer's seed corpus: images made by the test image writer, each behind a control
// byte (see memory_module_fuzzer.cpp).

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "pe_image_writer.h"

using namespace lumaru::test;

namespace {

PeImageWriter FullImage() {
    PeImageWriter writer;
    const std::uint32_t code =
        writer.AddSection(std::string("\xB8\x01\x00\x00\x00\xC2\x0C\x00", 8));
    std::string data(0x20, '\0');
    Put32(data, 0, writer.image_base + code);
    const std::uint32_t data_rva = writer.AddSection(data, 0x40);
    writer.entry_point = code;
    writer.AddImports({{"KERNEL32.dll", {{"GetTickCount", 0, 1}, {"lstrlenA", 0, 2}}},
                       {"probe.dll", {{"", 7, 0}}}});
    writer.AddExports("seed.dll", 1, {code, code + 4, 0}, {{"SkinH_AttachRes", 0}, {"Other", 1}});
    writer.AddRelocations({{data_rva, {HighLow(0), 0x0004}}});
    return writer;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds <directory>\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);
    int count = 0;
    const auto write = [&](const std::string& bytes, std::uint8_t control) {
        std::ofstream out(directory / ("seed-" + std::to_string(count++)), std::ios::binary);
        out.put(static_cast<char>(control));
        out << bytes;
    };

    PeImageWriter full = FullImage();
    for (const std::uint8_t control : {0x07, 0x05, 0x03, 0x01, 0x00, 0x08}) {
        write(full.Build(), control);
    }
    PeImageWriter executable = FullImage();
    executable.characteristics = kImageExecutable;
    write(executable.Build(), 0x03);

    PeImageWriter exports_only;
    const std::uint32_t code = exports_only.AddSection(std::string(16, '\xC3'));
    exports_only.entry_point = code;
    exports_only.AddExports("x.dll", 5, {code, 0, code + 1}, {{"a", 0}, {"b", 2}, {"c", 1}});
    write(exports_only.Build(), 0x04);

    PeImageWriter bare;
    bare.characteristics = kImageExecutable;
    bare.size_of_image = 0x2000;
    write(bare.Build(), 0x00);

    std::cout << "wrote " << count << " seeds to " << directory << "\n";
    return 0;
}
