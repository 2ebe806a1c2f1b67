// Throughput of the text encodings on about 1 MB of page-like text, each next to a baseline in
// the same run: glibc iconv called directly with one descriptor opened up front.

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <string>

#include "net/text_encodings.h"

namespace {

constexpr size_t kInputBytes = 1 << 20;

// HTML with Chinese titles, as the scrapers and the configuration reader see it.
const std::string& Utf8Page() {
    static const std::string page = [] {
        const std::string row =
            "<li><a href=\"/detail/12345.html\" title=\"\xE7\x94\xB5\xE5\xBD\xB1\xE5\x90\x8D"
            "\xE7\xA7\xB0\">\xE7\x94\xB5\xE5\xBD\xB1\xE5\x90\x8D\xE7\xA7\xB0 2024</a>"
            "<span>\xE5\x8A\xA8\xE4\xBD\x9C / \xE5\x96\x9C\xE5\x89\xA7</span></li>\n";
        std::string text;
        while (text.size() < kInputBytes) {
            text += row;
        }
        return text;
    }();
    return page;
}

const std::string& GbkPage() {
    static const std::string page = lumaru::Utf8ToAnsi(Utf8Page());
    return page;
}

// Converts with a descriptor the caller keeps; the output is sized once, as a careful direct
// caller would.
std::string IconvConvert(iconv_t descriptor, const std::string& input, size_t outputRoom) {
    std::string output(outputRoom, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    iconv(descriptor, &in, &inLeft, &out, &outLeft);
    output.resize(output.size() - outLeft);
    return output;
}

void BM_Utf8ToAnsi(benchmark::State& state) {
    const std::string& input = Utf8Page();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lumaru::Utf8ToAnsi(input));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_Utf8ToAnsi);

void BM_Utf8ToAnsi_IconvBaseline(benchmark::State& state) {
    const std::string& input = Utf8Page();
    iconv_t descriptor = iconv_open("CP936", "UTF-8");
    for (auto _ : state) {
        benchmark::DoNotOptimize(IconvConvert(descriptor, input, input.size()));
    }
    iconv_close(descriptor);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_Utf8ToAnsi_IconvBaseline);

void BM_AnsiToUtf8(benchmark::State& state) {
    const std::string& input = GbkPage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lumaru::AnsiToUtf8(input));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_AnsiToUtf8);

void BM_AnsiToUtf8_IconvBaseline(benchmark::State& state) {
    const std::string& input = GbkPage();
    iconv_t descriptor = iconv_open("UTF-8", "CP936");
    for (auto _ : state) {
        benchmark::DoNotOptimize(IconvConvert(descriptor, input, input.size() * 3 / 2));
    }
    iconv_close(descriptor);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_AnsiToUtf8_IconvBaseline);

void BM_UrlEncode(benchmark::State& state) {
    const std::string& input = GbkPage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lumaru::UrlEncode(input));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_UrlEncode);

// The search words path: convert to UTF-8, then escape.
void BM_UrlEncodeToUtf8(benchmark::State& state) {
    const std::string& input = GbkPage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lumaru::UrlEncode(input, false, true));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_UrlEncodeToUtf8);

// Direct iconv to UTF-8 followed by a plain snprintf escape loop.
void BM_UrlEncodeToUtf8_IconvSnprintfBaseline(benchmark::State& state) {
    const std::string& input = GbkPage();
    iconv_t descriptor = iconv_open("UTF-8", "CP936");
    for (auto _ : state) {
        const std::string utf8 = IconvConvert(descriptor, input, input.size() * 3 / 2);
        std::string escaped;
        escaped.reserve(utf8.size() * 3);
        char digits[4];
        for (unsigned char byte : utf8) {
            std::snprintf(digits, sizeof digits, "%%%02X", byte);
            escaped.append(digits, 3);
        }
        benchmark::DoNotOptimize(escaped);
    }
    iconv_close(descriptor);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_UrlEncodeToUtf8_IconvSnprintfBaseline);

}  // namespace

BENCHMARK_MAIN();
