#pragma once

// Calls into code of a mapped 32-bit image. Such code can run only in a 32-bit x86 Windows
// process; everywhere else the system call layer says so and calls nothing. The loader takes
// the layer as an interface so that tests can put a recording stand-in in its place.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace lumaru {

inline constexpr std::size_t kCallArgumentCount = 10;
using CallArguments = std::array<std::uint32_t, kCallArgumentCount>;

class CallLayer {
public:
    virtual ~CallLayer() = default;

    // Calls the routine at `address` with the ten 32-bit arguments on the stack (first argument
    // at the lowest address) and returns its 32-bit result; the caller's stack is restored
    // whatever the routine removed, so routines that clean up their own arguments and routines
    // that do not are served alike. nullopt when the routine was not called because this
    // process cannot run it.
    virtual std::optional<std::uint32_t> Call(std::uint32_t address,
                                              const CallArguments& arguments) = 0;
};

// The layer of this process: a real call in a 32-bit x86 Windows build, otherwise one that
// never runs anything.
CallLayer& SystemCallLayer();

// Whether SystemCallLayer() can run image code at all.
bool SystemCanRunImageCode();

// Calls `address` through `layer` with up to ten arguments, the missing ones 0. Address 0 and
// more than ten arguments are refused without a call.
std::optional<std::uint32_t> CallAddress(CallLayer& layer, std::uint32_t address,
                                         std::initializer_list<std::uint32_t> arguments);

// The same through SystemCallLayer().
std::optional<std::uint32_t> CallAddress(std::uint32_t address,
                                         std::initializer_list<std::uint32_t> arguments);

}  // namespace lumaru
