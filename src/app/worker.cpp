#include "app/worker.h"

#include <utility>

namespace lumaru {

Worker::Worker(Routine routine)
    : thread_([routine = std::move(routine)](std::stop_token stop) { routine(stop); }) {}

}  // namespace lumaru
