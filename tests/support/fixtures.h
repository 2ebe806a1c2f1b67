#pragma once

#include <string>

namespace lumaru::test {

// Reads a file under tests/fixtures whole, as bytes; empty when it cannot be read.
std::string ReadFixture(const std::string& relativePath);

}  // namespace lumaru::test
