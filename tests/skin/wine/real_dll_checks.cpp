// Loader tests that really run code: real DLLs built by the cross compiler, mapped from memory
// in a 32-bit Windows process with the system call layer and platform. Built and run only by
// scripts/test-loader-wine.sh.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "skin/call_address.h"
#include "skin/memory_module.h"

namespace lumaru::test {
namespace {

std::uint32_t AddressOf(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

template <typename Function>
std::uint32_t AddressOfFunction(Function* function) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(function));
}

// A file lying beside this program, as bytes.
std::string ReadBesideProgram(const std::string& name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    directory.erase(directory.find_last_of("\\/") + 1);
    std::ifstream file(directory + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

template <typename Function>
Function Procedure(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<std::uintptr_t>(GetProcAddress(module, name)));
}

// The probe DLL, loaded by the system loader, counts the mapped DLLs' entry point calls.
struct Probe {
    HMODULE module = LoadLibraryA("lumaru_probe.dll");
    unsigned(__cdecl* count)() = Procedure<unsigned(__cdecl*)()>(module, "ProbeCount");
    unsigned(__cdecl* reason)(unsigned) = Procedure<unsigned(__cdecl*)(unsigned)>(module,
                                                                                  "ProbeReason");
    unsigned(__cdecl* handle)(unsigned) = Procedure<unsigned(__cdecl*)(unsigned)>(module,
                                                                                  "ProbeHandle");
    void(__cdecl* reset)() = Procedure<void(__cdecl*)()>(module, "ProbeReset");
};

class RealDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.module != nullptr);
        ASSERT_TRUE(probe.count && probe.reason && probe.handle && probe.reset);
        probe.reset();
        ASSERT_FALSE(subject.empty());
    }

    Probe probe;
    std::string subject = ReadBesideProgram("lumaru_subject.dll");
};

TEST_F(RealDllTest, ExportsRunWithStdcallAndCdeclThroughCallAddress) {
    MemoryModule module;
    ASSERT_TRUE(module.Load(subject));
    const std::uint32_t add_stdcall = module.FindExport("AddStdcall");
    const std::uint32_t add_cdecl = module.FindExport("AddCdecl");
    const std::uint32_t sum_ten = module.FindExport("SumTen");
    ASSERT_NE(add_stdcall, 0u);
    ASSERT_NE(add_cdecl, 0u);
    ASSERT_NE(sum_ten, 0u);
    EXPECT_EQ(CallAddress(add_stdcall, {2, 40}), std::optional<std::uint32_t>(42));
    EXPECT_EQ(CallAddress(add_cdecl, {2, 40}), std::optional<std::uint32_t>(42));
    EXPECT_EQ(CallAddress(sum_ten, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}),
              std::optional<std::uint32_t>(55));
    EXPECT_EQ(CallAddress(sum_ten, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
              std::optional<std::uint32_t>(10));

    // The address is real code: a typed call works as well.
    const auto add =
        reinterpret_cast<int(__stdcall*)(int, int)>(static_cast<std::uintptr_t>(add_stdcall));
    EXPECT_EQ(add(-5, 3), -2);

    // Ordinals from the export table, including one without a name.
    EXPECT_EQ(module.FindExport("1"), add_stdcall);
    EXPECT_EQ(module.FindExport("3"), sum_ten);
    const std::uint32_t ordinal_only = module.FindExport("9");
    ASSERT_NE(ordinal_only, 0u);
    EXPECT_EQ(CallAddress(ordinal_only, {}), std::optional<std::uint32_t>(9));
    EXPECT_EQ(module.FindExport("addstdcall"), 0u);
    EXPECT_EQ(module.FindExport("OrdinalOnly"), 0u);
    EXPECT_TRUE(module.Free());
}

TEST_F(RealDllTest, EntryPointGetsAttachWithHandle0AndDetachOnFree) {
    MemoryModule module;
    ASSERT_TRUE(module.Load(subject));
    ASSERT_EQ(probe.count(), 1u);
    EXPECT_EQ(probe.reason(0), 1u);
    EXPECT_EQ(probe.handle(0), 0u);
    EXPECT_TRUE(module.Free());
    ASSERT_EQ(probe.count(), 2u);
    EXPECT_EQ(probe.reason(1), 0u);
    EXPECT_EQ(module.Handle(), 0u);
}

TEST_F(RealDllTest, EntryPointRefusingAttachIsDetachedAndTheLoadFails) {
    const std::string refuser = ReadBesideProgram("lumaru_refuser.dll");
    ASSERT_FALSE(refuser.empty());
    MemoryModule module;
    EXPECT_FALSE(module.Load(refuser));
    ASSERT_EQ(probe.count(), 2u);
    EXPECT_EQ(probe.reason(0), 1u);
    EXPECT_EQ(probe.reason(1), 0u);
    EXPECT_EQ(module.Handle(), 0u);
}

TEST_F(RealDllTest, ImportsAreBoundByNameFromKernel32AndByOrdinalFromTheProbe) {
    MemoryModule module;
    ASSERT_TRUE(module.Load(subject));
    EXPECT_EQ(CallAddress(module.FindExport("CurrentProcessId"), {}),
              std::optional<std::uint32_t>(GetCurrentProcessId()));
    const char text[] = "seven!!";
    EXPECT_EQ(CallAddress(module.FindExport("TextLength"), {AddressOf(text)}),
              std::optional<std::uint32_t>(7));
    EXPECT_EQ(probe.count(), 1u) << "the ordinal import reached the probe";
    EXPECT_TRUE(module.Free());
}

struct ResolverCall {
    std::string library;
    std::string procedure;
    std::uint32_t user_value;
};
std::vector<ResolverCall> resolver_calls;

DWORD __stdcall FakeProcessId() {
    return 4242;
}

// Answers GetCurrentProcessId itself and leaves everything else to the system.
std::uint32_t __stdcall Resolver(const char* library, const char* procedure,
                                 std::uint32_t user_value) {
    resolver_calls.push_back({library, procedure, user_value});
    return std::string(procedure) == "GetCurrentProcessId" ? AddressOfFunction(&FakeProcessId) : 0;
}

TEST_F(RealDllTest, ResolverIsAskedFirstAndTheSystemBindsWhatItDeclines) {
    resolver_calls.clear();
    MemoryModule module;
    ASSERT_TRUE(module.Load(subject, AddressOfFunction(&Resolver), 77));
    EXPECT_EQ(CallAddress(module.FindExport("CurrentProcessId"), {}),
              std::optional<std::uint32_t>(4242));
    const char text[] = "abc";
    EXPECT_EQ(CallAddress(module.FindExport("TextLength"), {AddressOf(text)}),
              std::optional<std::uint32_t>(3));

    bool saw_by_name = false;
    bool saw_by_ordinal = false;
    for (const ResolverCall& call : resolver_calls) {
        EXPECT_EQ(call.user_value, 77u);
        saw_by_name |= call.procedure == "GetCurrentProcessId" &&
                       CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, call.library.c_str(), -1,
                                      "kernel32.dll", -1) == CSTR_EQUAL;
        saw_by_ordinal |= call.library == "lumaru_probe.dll" && call.procedure == "7";
    }
    EXPECT_TRUE(saw_by_name);
    EXPECT_TRUE(saw_by_ordinal);
    EXPECT_EQ(probe.count(), 1u) << "the declined ordinal import was bound by the system";
    EXPECT_TRUE(module.Free());
}

TEST_F(RealDllTest, ASecondCopyIsRelocatedAndBothWork) {
    MemoryModule first;
    MemoryModule second;
    ASSERT_TRUE(first.Load(subject));
    ASSERT_TRUE(second.Load(subject));
    ASSERT_NE(first.Handle(), second.Handle());
    for (MemoryModule* module : {&first, &second}) {
        const auto greeting = CallAddress(module->FindExport("Greeting"), {});
        ASSERT_TRUE(greeting.has_value());
        // The pointer lies inside this copy and reads the text.
        EXPECT_GT(*greeting, module->Handle());
        EXPECT_LT(*greeting, module->Handle() + 0x100000);
        EXPECT_EQ(
            std::string(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(*greeting))),
            "lumaru");
        // A table of function addresses in data, each relocated.
        const std::uint32_t operate = module->FindExport("Operate");
        EXPECT_EQ(CallAddress(operate, {0, 30, 12}), std::optional<std::uint32_t>(42));
        EXPECT_EQ(CallAddress(operate, {1, 30, 12}), std::optional<std::uint32_t>(18));
    }
    EXPECT_TRUE(first.Free());
    EXPECT_TRUE(second.Free());
}

TEST_F(RealDllTest, ADllWithTheCRuntimeMapsAndRuns) {
    const std::string crt = ReadBesideProgram("lumaru_crt.dll");
    ASSERT_FALSE(crt.empty());
    MemoryModule module;
    ASSERT_TRUE(module.Load(crt));
    const std::uint32_t format = module.FindExport("FormatNumber");
    ASSERT_NE(format, 0u);
    char out[16] = {};
    EXPECT_EQ(CallAddress(format, {AddressOf(out), sizeof out, static_cast<std::uint32_t>(-12)}),
              std::optional<std::uint32_t>(5));
    EXPECT_EQ(std::string(out), "<-12>");
}

std::uint32_t __stdcall PopsTwelve(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return a * 100 + b * 10 + c;
}
std::uint32_t __stdcall PopsForty(std::uint32_t a1, std::uint32_t, std::uint32_t, std::uint32_t,
                                  std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                  std::uint32_t, std::uint32_t a10) {
    return a1 * 1000 + a10;
}
std::uint32_t __cdecl PopsNothing(std::uint32_t a, std::uint32_t b) {
    return a - b;
}

// Were the stack not restored after a callee that removes its own arguments, these loops would
// walk it down by 28 or 0 bytes per call and soon run off its end, or return to nowhere.
TEST(CallAddressTest, RestoresTheStackWhateverTheCalleeRemoves) {
    for (std::uint32_t i = 0; i < 100000; ++i) {
        ASSERT_EQ(CallAddress(AddressOfFunction(&PopsTwelve), {1, 2, i % 10}),
                  std::optional<std::uint32_t>(120 + i % 10));
        ASSERT_EQ(CallAddress(AddressOfFunction(&PopsForty), {7, 0, 0, 0, 0, 0, 0, 0, 0, i}),
                  std::optional<std::uint32_t>(7000 + i));
        ASSERT_EQ(CallAddress(AddressOfFunction(&PopsNothing), {i + 5, i}),
                  std::optional<std::uint32_t>(5));
    }
    EXPECT_TRUE(SystemCanRunImageCode());
    EXPECT_FALSE(CallAddress(0, {}).has_value()) << "address 0 is never called";
}

}  // namespace
}  // namespace lumaru::test
