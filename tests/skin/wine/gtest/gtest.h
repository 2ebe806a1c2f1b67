#pragma once

// A small stand-in for the part of GoogleTest the loader tests use, for the cross build run
// under wine, where GoogleTest is not available. TEST, TEST_F, EXPECT_* and ASSERT_* with
// streamed messages, SCOPED_TRACE; the runner is in mini_gtest_main.cpp.

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace testing {

class Test {
public:
    virtual ~Test() = default;
    virtual void SetUp() {}
    virtual void TearDown() {}
    virtual void TestBody() = 0;
};

namespace mini {

struct Registration {
    const char* suite;
    const char* name;
    Test* (*make)();
};

inline std::vector<Registration>& Registry() {
    static std::vector<Registration> registry;
    return registry;
}

inline int& FailuresInTest() {
    static int failures = 0;
    return failures;
}

inline std::vector<std::string>& Traces() {
    static std::vector<std::string> traces;
    return traces;
}

struct Registrar {
    Registrar(const char* suite, const char* name, Test* (*make)()) {
        Registry().push_back({suite, name, make});
    }
};

template <typename T>
concept Streamable = requires(std::ostream& out, const T& value) {
    out << value;
};

template <typename T>
concept Range = requires(const T& value) {
    value.begin();
    value.end();
};

template <typename T>
std::string Print(const T& value) {
    std::ostringstream out;
    if constexpr (std::is_same_v<T, bool>) {
        out << (value ? "true" : "false");
    } else if constexpr (std::is_same_v<T, unsigned char> || std::is_same_v<T, signed char>) {
        out << static_cast<int>(value);
    } else if constexpr (Streamable<T>) {
        out << value;
    } else if constexpr (Range<T>) {
        out << "{";
        const char* separator = "";
        for (const auto& item : value) {
            out << separator << Print(item);
            separator = ", ";
        }
        out << "}";
    } else {
        out << "<value>";
    }
    return out.str();
}

class Message {
public:
    template <typename T>
    Message& operator<<(const T& value) {
        stream_ << Print(value);
        return *this;
    }
    std::string str() const { return stream_.str(); }

private:
    std::ostringstream stream_;
};

class Reporter {
public:
    Reporter(const char* file, int line, std::string text)
        : file_(file), line_(line), text_(std::move(text)) {}

    // Takes the streamed message; `return Reporter(...) = Message() << ...` ends a test.
    void operator=(const Message& message) const {
        ++FailuresInTest();
        std::printf("%s:%d: Failure\n%s\n", file_, line_, text_.c_str());
        if (!message.str().empty()) {
            std::printf("%s\n", message.str().c_str());
        }
        for (const std::string& trace : Traces()) {
            std::printf("  trace: %s\n", trace.c_str());
        }
        std::fflush(stdout);
    }

private:
    const char* file_;
    int line_;
    std::string text_;
};

class ScopedTrace {
public:
    ScopedTrace(const char* file, int line, const std::string& message) {
        Traces().push_back(std::string(file) + ":" + std::to_string(line) + ": " + message);
    }
    template <typename T>
    ScopedTrace(const char* file, int line, const T& message)
        : ScopedTrace(file, line, Print(message)) {}
    ~ScopedTrace() { Traces().pop_back(); }
    ScopedTrace(const ScopedTrace&) = delete;
    ScopedTrace& operator=(const ScopedTrace&) = delete;
};

inline std::optional<std::string> Truth(bool value, bool expected, const char* text) {
    if (value == expected) {
        return std::nullopt;
    }
    return std::string("Value of: ") + text + "\n  Actual: " + (value ? "true" : "false") +
           "\nExpected: " + (expected ? "true" : "false");
}

#define MINI_GTEST_COMPARE_(name, op)                                                            \
    template <typename A, typename B>                                                            \
    std::optional<std::string> name(const char* a_text, const char* b_text, const A& a,          \
                                    const B& b) {                                                \
        if (a op b) {                                                                            \
            return std::nullopt;                                                                 \
        }                                                                                        \
        return std::string("Expected: (") + a_text + ") " #op " (" + b_text + ")\n  " + a_text + \
               " is " + Print(a) + "\n  " + b_text + " is " + Print(b);                          \
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
MINI_GTEST_COMPARE_(Eq, ==)
MINI_GTEST_COMPARE_(Ne, !=)
MINI_GTEST_COMPARE_(Lt, <)
MINI_GTEST_COMPARE_(Le, <=)
MINI_GTEST_COMPARE_(Gt, >)
MINI_GTEST_COMPARE_(Ge, >=)
#pragma GCC diagnostic pop
#undef MINI_GTEST_COMPARE_

}  // namespace mini
}  // namespace testing

#define MINI_GTEST_CHECK_(failure, on_failure)                                        \
    switch (0)                                                                        \
    case 0:                                                                           \
    default:                                                                          \
        if (const std::optional<std::string> mini_failure = (failure); !mini_failure) \
            ;                                                                         \
        else                                                                          \
            on_failure ::testing::mini::Reporter(__FILE__, __LINE__, *mini_failure) = \
                ::testing::mini::Message()

#define MINI_GTEST_NONFATAL_
#define MINI_GTEST_FATAL_ return

#define EXPECT_TRUE(c) \
    MINI_GTEST_CHECK_(::testing::mini::Truth(!!(c), true, #c), MINI_GTEST_NONFATAL_)
#define EXPECT_FALSE(c) \
    MINI_GTEST_CHECK_(::testing::mini::Truth(!!(c), false, #c), MINI_GTEST_NONFATAL_)
#define ASSERT_TRUE(c) MINI_GTEST_CHECK_(::testing::mini::Truth(!!(c), true, #c), MINI_GTEST_FATAL_)
#define ASSERT_FALSE(c) \
    MINI_GTEST_CHECK_(::testing::mini::Truth(!!(c), false, #c), MINI_GTEST_FATAL_)
#define MINI_GTEST_BINARY_(kind, a, b, on_failure) \
    MINI_GTEST_CHECK_(::testing::mini::kind(#a, #b, (a), (b)), on_failure)
#define EXPECT_EQ(a, b) MINI_GTEST_BINARY_(Eq, a, b, MINI_GTEST_NONFATAL_)
#define EXPECT_NE(a, b) MINI_GTEST_BINARY_(Ne, a, b, MINI_GTEST_NONFATAL_)
#define EXPECT_LT(a, b) MINI_GTEST_BINARY_(Lt, a, b, MINI_GTEST_NONFATAL_)
#define EXPECT_LE(a, b) MINI_GTEST_BINARY_(Le, a, b, MINI_GTEST_NONFATAL_)
#define EXPECT_GT(a, b) MINI_GTEST_BINARY_(Gt, a, b, MINI_GTEST_NONFATAL_)
#define EXPECT_GE(a, b) MINI_GTEST_BINARY_(Ge, a, b, MINI_GTEST_NONFATAL_)
#define ASSERT_EQ(a, b) MINI_GTEST_BINARY_(Eq, a, b, MINI_GTEST_FATAL_)
#define ASSERT_NE(a, b) MINI_GTEST_BINARY_(Ne, a, b, MINI_GTEST_FATAL_)
#define ASSERT_LT(a, b) MINI_GTEST_BINARY_(Lt, a, b, MINI_GTEST_FATAL_)
#define ASSERT_GT(a, b) MINI_GTEST_BINARY_(Gt, a, b, MINI_GTEST_FATAL_)
#define ASSERT_GE(a, b) MINI_GTEST_BINARY_(Ge, a, b, MINI_GTEST_FATAL_)

#define MINI_GTEST_CONCAT_(a, b) MINI_GTEST_CONCAT2_(a, b)
#define MINI_GTEST_CONCAT2_(a, b) a##b
#define SCOPED_TRACE(message)                                                                  \
    ::testing::mini::ScopedTrace MINI_GTEST_CONCAT_(mini_trace_, __LINE__)(__FILE__, __LINE__, \
                                                                           (message))

#define MINI_GTEST_TEST_(suite, name, base)                                             \
    class suite##_##name##_Test : public base {                                         \
    public:                                                                             \
        void TestBody() override;                                                       \
    };                                                                                  \
    static ::testing::mini::Registrar suite##_##name##_registrar(                       \
        #suite, #name, []() -> ::testing::Test* { return new suite##_##name##_Test; }); \
    void suite##_##name##_Test::TestBody()

#define TEST(suite, name) MINI_GTEST_TEST_(suite, name, ::testing::Test)
#define TEST_F(fixture, name) MINI_GTEST_TEST_(fixture, name, fixture)
