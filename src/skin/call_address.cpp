#include "skin/call_address.h"

#include <algorithm>

#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define LUMARU_NATIVE_X86_CALLS 1
#endif

namespace lumaru {

namespace {

#if defined(LUMARU_NATIVE_X86_CALLS)

// Pushes the ten arguments, calls, and puts the stack pointer back from a callee-saved register,
// so it does not matter how many bytes the callee popped on return.
std::uint32_t CallWithTenArguments(std::uint32_t address, const std::uint32_t* arguments) {
    std::uint32_t result;
#if defined(_MSC_VER)
    std::uint32_t saved_stack;
    __asm {
        mov saved_stack, esp
        mov eax, arguments
        push dword ptr [eax + 36]
        push dword ptr [eax + 32]
        push dword ptr [eax + 28]
        push dword ptr [eax + 24]
        push dword ptr [eax + 20]
        push dword ptr [eax + 16]
        push dword ptr [eax + 12]
        push dword ptr [eax + 8]
        push dword ptr [eax + 4]
        push dword ptr [eax]
        call address
        mov esp, saved_stack
        mov result, eax
    }
#else
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "pushl 36(%2)\n\t"
        "pushl 32(%2)\n\t"
        "pushl 28(%2)\n\t"
        "pushl 24(%2)\n\t"
        "pushl 20(%2)\n\t"
        "pushl 16(%2)\n\t"
        "pushl 12(%2)\n\t"
        "pushl 8(%2)\n\t"
        "pushl 4(%2)\n\t"
        "pushl 0(%2)\n\t"
        "calll *%1\n\t"
        "movl %%esi, %%esp\n\t"
        : "=a"(result)
        : "r"(address), "r"(arguments)
        : "ecx", "edx", "esi", "memory", "cc");
#endif
    return result;
}

class NativeCallLayer final : public CallLayer {
public:
    std::optional<std::uint32_t> Call(std::uint32_t address,
                                      const CallArguments& arguments) override {
        return CallWithTenArguments(address, arguments.data());
    }
};

#else

class NoCallLayer final : public CallLayer {
public:
    std::optional<std::uint32_t> Call(std::uint32_t, const CallArguments&) override {
        return std::nullopt;
    }
};

#endif

}  // namespace

CallLayer& SystemCallLayer() {
#if defined(LUMARU_NATIVE_X86_CALLS)
    static NativeCallLayer layer;
#else
    static NoCallLayer layer;
#endif
    return layer;
}

bool SystemCanRunImageCode() {
#if defined(LUMARU_NATIVE_X86_CALLS)
    return true;
#else
    return false;
#endif
}

std::optional<std::uint32_t> CallAddress(CallLayer& layer, std::uint32_t address,
                                         std::initializer_list<std::uint32_t> arguments) {
    if (address == 0 || arguments.size() > kCallArgumentCount) {
        return std::nullopt;
    }
    CallArguments all{};
    std::copy(arguments.begin(), arguments.end(), all.begin());
    return layer.Call(address, all);
}

std::optional<std::uint32_t> CallAddress(std::uint32_t address,
                                         std::initializer_list<std::uint32_t> arguments) {
    return CallAddress(SystemCallLayer(), address, arguments);
}

}  // namespace lumaru
