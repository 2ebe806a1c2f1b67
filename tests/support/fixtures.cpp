#include "fixtures.h"

#include <fstream>
#include <sstream>

namespace lumaru::test {

std::string ReadFixture(const std::string& relativePath) {
    std::ifstream in(std::string(LUMARU_FIXTURES_DIR) + "/" + relativePath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace lumaru::test
