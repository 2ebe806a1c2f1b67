#include "app/worker.h"

#include <utility>

namespace lumaru {

Worker::Worker(Routine routine)
    : thread_([routine = std::move(routine)](std::stop_token stop) { routine(stop); }) {}

Worker::~Worker() {
    thread_.request_stop();
    // std::jthread joins on destruction.
}

}  // namespace lumaru
