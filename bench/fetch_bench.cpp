// Throughput of the two page fetchers reading a 64 MB body from a loopback server, against the
// curl command reading the same body from the same server in the same run.
//
//   fetch_bench --benchmark_min_time=2
//
// Compare the bytes_per_second of BM_FetchPage and BM_FetchPageHttp with BM_CurlCommand.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "loopback_http_server.h"
#include "net/fetch_page.h"
#include "net/fetch_page_http.h"

namespace {

using lumaru::test::LoopbackHttpServer;
using lumaru::test::Reply;

constexpr std::size_t kBodyBytes = std::size_t{64} << 20;

// One server for the whole run, answering every request with the same canned 64 MB page.
LoopbackHttpServer& Server() {
    static LoopbackHttpServer server(
        [canned = std::make_shared<const Reply>(
             Reply::Make("200 OK", {{"Content-Type", "text/html"}}, std::string(kBodyBytes, 'x')))](
            const lumaru::test::Request&) { return *canned; });
    return server;
}

void BM_FetchPage(benchmark::State& state) {
    const std::string url = Server().Url("/big");
    for (auto _ : state) {
        const std::string body = lumaru::FetchPage(url);
        if (body.size() != kBodyBytes) {
            state.SkipWithError("short body");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}

void BM_FetchPageHttp(benchmark::State& state) {
    const std::string url = Server().Url("/big");
    for (auto _ : state) {
        const std::string page = lumaru::FetchPageHttp(url);
        if (page.size() != kBodyBytes) {
            state.SkipWithError("short page");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}

void BM_CurlCommand(benchmark::State& state) {
    const std::string command = "curl -s -o /dev/null " + Server().Url("/big");
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("curl command failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}

BENCHMARK(BM_CurlCommand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FetchPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FetchPageHttp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
