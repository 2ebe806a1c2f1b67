// lumaru-demo-server: serves the demo world on 127.0.0.1:17878 until it is interrupted or
// terminated.
#include <csignal>
#include <cstdio>
#include <string>

#include "demo/demo_server.h"
#include "demo/demo_world.h"

int main() {
    // Block the stop signals in every thread, then wait for one of them here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::string error;
    auto server = lumaru::demo::StartDemoServer(lumaru::demo::kDemoPort, &error);
    if (!server) {
        std::fprintf(stderr, "lumaru-demo-server: %s (port %u)\n", error.c_str(),
                     static_cast<unsigned>(lumaru::demo::kDemoPort));
        return 1;
    }
    std::printf("lumaru-demo-server: serving %s/\n",
                lumaru::demo::DemoBase(server->Port()).c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&stopSignals, &received);
    server->Stop();
    return 0;
}
