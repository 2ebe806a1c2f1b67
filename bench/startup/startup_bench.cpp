// Start-up of Lumaru against a bare browser window, side by side in one run.
//
//   startup_bench [--runs N] [--settle SECONDS] [--platform offscreen|xcb]
//
// Each run starts both programs in turn (after one warm-up start of each) and measures
//   - the time from just before the process is spawned to the first show event of its window
//     (Lumaru: the main window, shown after the notice window has read the configuration page
//     from a loopback demo server, run the internet check and had its up-to-date message
//     answered; the baseline: its browser window), and
//   - memory a fixed time after that show: the resident set of the main process, and the resident
//     and proportional sets summed over the whole process tree (the browser engine's helper
//     processes included; the proportional set counts pages shared between them once).
// It prints median, minimum and maximum of each, and Lumaru's medians over the baseline's.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "demo/demo_server.h"
#include "process_tree.h"

extern char** environ;

namespace lumaru::bench {
namespace {

constexpr int kReportDescriptor = 3;  // where the programs write "shown <nanoseconds>"
constexpr int kShownTimeoutMs = 60'000;

struct Sample {
    double shownMs = 0;
    double mainRssMiB = 0;
    double treeRssMiB = 0;
    double treePssMiB = 0;
    double processes = 0;
};

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

bool Exists(pid_t pid) {
    return kill(pid, 0) == 0;
}

// Ends the program and every helper it started, and reaps them (this process is their
// subreaper, so orphaned helpers come back to it).
void EndTree(pid_t root) {
    const std::vector<pid_t> tree = ProcessTree(root);
    kill(-root, SIGTERM);
    for (pid_t pid : tree) {
        kill(pid, SIGTERM);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        const bool anyLeft = std::any_of(tree.begin(), tree.end(), Exists);
        if (!anyLeft) {
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-root, SIGKILL);
            for (pid_t pid : tree) {
                kill(pid, SIGKILL);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Starts the program with its report pipe on descriptor 3 and its output silenced, waits for
// its window to be shown, lets it settle, and measures. false when no show was reported.
bool RunOnce(const std::vector<std::string>& command, double settleSeconds, Sample& sample) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return false;
    }
    // dup2 onto the same number would leave close-on-exec set, so keep the write end elsewhere.
    if (pipeEnds[1] == kReportDescriptor) {
        const int moved = fcntl(pipeEnds[1], F_DUPFD_CLOEXEC, 10);
        close(pipeEnds[1]);
        pipeEnds[1] = moved;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], kReportDescriptor);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> argv;
    for (const std::string& part : command) {
        argv.push_back(const_cast<char*>(part.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    const long long started = MonotonicNs();
    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(spawned));
        return false;
    }

    std::string report;
    pollfd entry{pipeEnds[0], POLLIN, 0};
    const long long deadline = started + kShownTimeoutMs * 1'000'000LL;
    while (report.find('\n') == std::string::npos) {
        const long long leftMs = (deadline - MonotonicNs()) / 1'000'000;
        if (leftMs <= 0 || poll(&entry, 1, static_cast<int>(leftMs)) <= 0) {
            break;
        }
        char buffer[128];
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        report.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    const bool shown = report.rfind("shown ", 0) == 0;
    if (shown) {
        sample.shownMs = static_cast<double>(std::atoll(report.c_str() + 6) - started) / 1e6;
        std::this_thread::sleep_for(std::chrono::duration<double>(settleSeconds));
        const std::vector<pid_t> tree = ProcessTree(pid);
        sample.mainRssMiB = static_cast<double>(ProcessMemory(pid).rssKiB) / 1024.0;
        sample.treeRssMiB = sample.treePssMiB = 0;
        for (pid_t member : tree) {
            const Memory memory = ProcessMemory(member);
            sample.treeRssMiB += static_cast<double>(memory.rssKiB) / 1024.0;
            sample.treePssMiB += static_cast<double>(memory.pssKiB) / 1024.0;
        }
        sample.processes = static_cast<double>(tree.size());
    } else {
        std::fprintf(stderr, "%s reported no shown window within %d s\n", argv[0],
                     kShownTimeoutMs / 1000);
    }
    EndTree(pid);
    return shown;
}

struct Spread {
    double median, min, max;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

struct Program {
    const char* label;
    std::vector<std::string> command;
    std::vector<Sample> samples;
};

void PrintRow(const Program& program) {
    const auto column = [&](double Sample::*field) {
        std::vector<double> values;
        for (const Sample& sample : program.samples) {
            values.push_back(sample.*field);
        }
        return SpreadOf(values);
    };
    std::printf("%-22s", program.label);
    for (double Sample::*field :
         {&Sample::shownMs, &Sample::mainRssMiB, &Sample::treeRssMiB, &Sample::treePssMiB}) {
        const Spread spread = column(field);
        std::printf("  %7.1f [%6.1f ..%7.1f]", spread.median, spread.min, spread.max);
    }
    std::printf("  %5.0f\n", column(&Sample::processes).median);
}

}  // namespace
}  // namespace lumaru::bench

int main(int argc, char* argv[]) {
    using namespace lumaru::bench;
    int runs = 10;
    double settleSeconds = 3.0;
    std::string platform = "offscreen";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--runs") {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--settle") {
            settleSeconds = std::max(0.0, std::atof(argv[i + 1]));
        } else if (option == "--platform") {
            platform = argv[i + 1];
        }
    }
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    if (geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);  // the engine refuses root otherwise
    }
    prctl(PR_SET_CHILD_SUBREAPER, 1);

    std::string error;
    const auto server = lumaru::demo::StartDemoServer(0, &error);
    if (!server) {
        std::fprintf(stderr, "demo server: %s\n", error.c_str());
        return 1;
    }
    // The first row is the baseline; the lazy one is shown for reference only.
    Program programs[] = {
        {"bare window", {LUMARU_BARE_WINDOW}, {}},
        {"lumaru", {LUMARU_STARTUP_LAUNCHER, std::to_string(server->Port())}, {}},
        {"bare window, lazy page", {LUMARU_BARE_WINDOW, "--lazy"}, {}},
    };
    for (Program& program : programs) {
        Sample warmUp;
        RunOnce(program.command, 0.5, warmUp);
    }
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs) {
            Sample sample;
            if (RunOnce(program.command, settleSeconds, sample)) {
                program.samples.push_back(sample);
            }
        }
    }
    for (const Program& program : programs) {
        if (program.samples.empty()) {
            std::fprintf(stderr, "%s never showed its window\n", program.label);
            return 1;
        }
    }

    std::printf("Start-up, %d runs each, platform %s; memory %.1f s after the window is shown.\n",
                runs, platform.c_str(), settleSeconds);
    std::printf("Each column: median [min .. max].\n\n");
    std::printf("%-22s  %-24s  %-24s  %-24s  %-24s  %s\n", "", "shown (ms)", "main RSS (MiB)",
                "tree RSS (MiB)", "tree PSS (MiB)", "procs");
    for (const Program& program : programs) {
        PrintRow(program);
    }
    const auto median = [](const Program& program, double Sample::*field) {
        std::vector<double> values;
        for (const Sample& sample : program.samples) {
            values.push_back(sample.*field);
        }
        return SpreadOf(values).median;
    };
    std::printf("\nlumaru / bare window (medians):");
    const char* names[] = {"shown", "main RSS", "tree RSS", "tree PSS"};
    double Sample::*fields[] = {&Sample::shownMs, &Sample::mainRssMiB, &Sample::treeRssMiB,
                                &Sample::treePssMiB};
    for (int i = 0; i < 4; ++i) {
        std::printf("  %s %.2fx", names[i],
                    median(programs[1], fields[i]) / median(programs[0], fields[i]));
    }
    std::printf("\n");
    return 0;
}
