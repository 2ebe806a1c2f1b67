// The scraper patterns over a 2 MB GBK page of 1,000 entries: RegexObject (Create and reading
// every group of every match) against std::regex (ECMAScript, case ignored, over the same GBK
// bytes) and against the bare cost of converting the page to Unicode once.
//
// libstdc++'s std::regex recurses once per character a lazy group takes and can overflow a stack
// on long matches, so the whole program runs on a thread with a 1 GiB stack. With entries of about
// 2 KB it gets through the full page even on an 8 MB stack.

#include <benchmark/benchmark.h>
#include <pthread.h>

#include <cstdio>
#include <regex>
#include <string>

#include "net/text_encodings.h"
#include "regex/regex_object.h"

namespace lumaru {
namespace {

constexpr int kEntries = 1000;
constexpr size_t kPageBytes = 2 * 1024 * 1024;

// Room entry of a live category page.
const std::string kLivePattern =
    "class=\"video-item\" data-sid=\"(.*?)\" data-ssid[\\s\\S]*?title=\"(.*?)\" target=\"";
// Row of a catalogue list page.
const std::string kCataloguePattern =
    "<a href=\"(.*?)\" target=\"_blank\">(.*?)</a></td>\r\n<td align=\"(.*?)\"><font "
    "color=\"(.*?)\">(.*?)</font></td>";

std::string Gbk(std::string_view utf8) {
    return Utf8ToAnsi(utf8);
}

// Filler markup with Chinese text, as between the entries of a real page.
std::string Filler(size_t bytes, int seed) {
    const std::string line =
        Gbk("<div class=\"tag\"><span>热门推荐</span><em>人气 " + std::to_string(seed) +
            "</em><i>主播正在直播中，欢迎关注</i></div>\r\n");
    std::string filler;
    while (filler.size() + line.size() <= bytes) {
        filler += line;
    }
    filler.append(bytes - filler.size(), ' ');
    return filler;
}

// A page of kEntries entries padded to about kPageBytes.
template <typename MakeEntry>
std::string MakePage(MakeEntry makeEntry) {
    std::string page = Gbk("<html><head><title>列表</title></head><body>\r\n");
    const size_t perEntry = kPageBytes / kEntries;
    for (int i = 0; i < kEntries; ++i) {
        const std::string entry = makeEntry(i);
        page += entry;
        if (entry.size() < perEntry) {
            page += Filler(perEntry - entry.size(), i);
        }
    }
    return page + "</body></html>\r\n";
}

const std::string& LivePage() {
    static const std::string page = MakePage([](int i) {
        const std::string sid = std::to_string(50000000 + i * 37);
        return Gbk("<li class=\"video-item\" data-sid=\"" + sid + "\" data-ssid=\"" + sid +
                   "\" data-type=\"live\">\r\n<a href=\"/" + sid +
                   "\" class=\"video-cover\"><img src=\"//img.example/" + sid +
                   ".jpg\" alt=\"封面\"></a>\r\n<div class=\"video-info\"><p class=\"name\">"
                   "主播昵称</p>\r\n<a class=\"title\" title=\"好声音之夜 第" +
                   std::to_string(i) + "场 欢迎来听歌\" target=\"_blank\">好声音之夜</a>\r\n");
    });
    return page;
}

const std::string& CataloguePage() {
    static const std::string page = MakePage([](int i) {
        return Gbk("<tr><td><a href=\"/detail/?" + std::to_string(20000 + i) +
                   ".html\" target=\"_blank\">电影名称第" + std::to_string(i) +
                   "部 高清国语版</a></td>\r\n<td align=\"center\"><font color=\"#2C6700\">"
                   "中国大陆</font></td><td>2015-06-01</td></tr>\r\n");
    });
    return page;
}

const std::string& PageOf(int which) {
    return which == 0 ? LivePage() : CataloguePage();
}

const std::string& PatternOf(int which) {
    return which == 0 ? kLivePattern : kCataloguePattern;
}

void SetLabel(benchmark::State& state, int which, size_t matches) {
    state.SetLabel(std::string(which == 0 ? "live" : "catalogue") + ", " + std::to_string(matches) +
                   " matches");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(PageOf(which).size()));
}

void BM_RegexObject(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const std::string& page = PageOf(which);
    size_t matches = 0;
    for (auto _ : state) {
        RegexObject regex;
        regex.Create(PatternOf(which), page);
        matches = static_cast<size_t>(regex.MatchCount());
        for (int n = 1; n <= regex.MatchCount(); ++n) {
            for (int g = 1; g <= regex.GroupCount(); ++g) {
                benchmark::DoNotOptimize(regex.SubmatchText(n, g));
            }
        }
    }
    if (matches != kEntries) {
        state.SkipWithError("wrong number of matches");
    }
    SetLabel(state, which, matches);
}

void BM_StdRegex(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const std::string& page = PageOf(which);
    size_t matches = 0;
    for (auto _ : state) {
        const std::regex regex(PatternOf(which), std::regex::ECMAScript | std::regex::icase);
        matches = 0;
        for (std::sregex_iterator it(page.begin(), page.end(), regex), end; it != end; ++it) {
            ++matches;
            for (size_t g = 1; g < it->size(); ++g) {
                benchmark::DoNotOptimize(it->str(g));
            }
        }
    }
    if (matches != kEntries) {
        state.SkipWithError("wrong number of matches");
    }
    SetLabel(state, which, matches);
}

void BM_ConvertPageToUnicode(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const std::string& page = PageOf(which);
    for (auto _ : state) {
        benchmark::DoNotOptimize(GbkToUtf16(page));
    }
    SetLabel(state, which, 0);
}

// Argument 0: the live page and pattern; 1: the catalogue page and pattern.
BENCHMARK(BM_RegexObject)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdRegex)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertPageToUnicode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct Arguments {
    int argc;
    char** argv;
};

void* RunBenchmarks(void* raw) {
    auto* arguments = static_cast<Arguments*>(raw);
    benchmark::Initialize(&arguments->argc, arguments->argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return nullptr;
}

}  // namespace
}  // namespace lumaru

int main(int argc, char** argv) {
    lumaru::Arguments arguments{argc, argv};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, size_t{1} << 30);
    pthread_t thread;
    if (pthread_create(&thread, &attributes, lumaru::RunBenchmarks, &arguments) != 0) {
        std::fprintf(stderr, "cannot start the benchmark thread\n");
        return 1;
    }
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    return 0;
}
