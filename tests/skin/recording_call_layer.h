#pragma once

// A stand-in for the call layer that runs nothing: it records each call's address and arguments
// and answers with scripted results.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "skin/call_address.h"

namespace lumaru::test {

// The zero-terminated text at a 32-bit address of this process.
inline std::string TextAt(std::uint32_t address) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(address));
}

struct RecordedCall {
    std::uint32_t address = 0;
    CallArguments arguments{};
    // For calls to the resolver: the texts its first two arguments point to, read during the
    // call (the ordinal text is gone afterwards).
    std::string library;
    std::string procedure;
};

class RecordingCallLayer final : public CallLayer {
public:
    // Calls to this address are taken as import resolver calls and have their texts read.
    std::uint32_t resolver = 0;

    // The result of each call; by default 1 (an entry point that accepts).
    std::function<std::optional<std::uint32_t>(const RecordedCall&)> respond =
        [](const RecordedCall&) { return std::optional<std::uint32_t>(1); };

    std::vector<RecordedCall> calls;

    std::optional<std::uint32_t> Call(std::uint32_t address,
                                      const CallArguments& arguments) override {
        RecordedCall call{address, arguments, {}, {}};
        if (resolver != 0 && address == resolver) {
            call.library = TextAt(arguments[0]);
            call.procedure = TextAt(arguments[1]);
        }
        calls.push_back(call);
        return respond(calls.back());
    }

    // The calls not made to the resolver: entry point calls.
    std::vector<RecordedCall> EntryCalls() const {
        std::vector<RecordedCall> result;
        for (const RecordedCall& call : calls) {
            if (resolver == 0 || call.address != resolver) {
                result.push_back(call);
            }
        }
        return result;
    }
};

}  // namespace lumaru::test
