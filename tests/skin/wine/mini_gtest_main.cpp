// Runs every test registered through the GoogleTest stand-in and says plainly whether all passed.
// An optional argument runs only the tests whose "Suite.Name" contains it.

#include <exception>
#include <memory>

#include "gtest/gtest.h"

int main(int argc, char** argv) {
    using namespace testing::mini;
    const std::string filter = argc > 1 ? argv[1] : "";
    int run = 0;
    std::vector<std::string> failed;
    for (const Registration& test : Registry()) {
        const std::string name = std::string(test.suite) + "." + test.name;
        if (name.find(filter) == std::string::npos) {
            continue;
        }
        ++run;
        std::printf("[ RUN      ] %s\n", name.c_str());
        std::fflush(stdout);
        FailuresInTest() = 0;
        try {
            std::unique_ptr<testing::Test> instance(test.make());
            instance->SetUp();
            instance->TestBody();
            instance->TearDown();
        } catch (const std::exception& error) {
            ++FailuresInTest();
            std::printf("uncaught exception: %s\n", error.what());
        } catch (...) {
            ++FailuresInTest();
            std::printf("uncaught exception\n");
        }
        std::printf("[ %s ] %s\n", FailuresInTest() == 0 ? "      OK" : " FAILED ", name.c_str());
        std::fflush(stdout);
        if (FailuresInTest() != 0) {
            failed.push_back(name);
        }
    }
    std::printf("[==========] %d tests ran, %d failed.\n", run, static_cast<int>(failed.size()));
    for (const std::string& name : failed) {
        std::printf("[  FAILED  ] %s\n", name.c_str());
    }
    if (run == 0) {
        std::printf("FAIL: no test matched\n");
        return 1;
    }
    std::printf("%s\n", failed.empty() ? "PASS" : "FAIL");
    return failed.empty() ? 0 : 1;
}
