#pragma once

#include <sys/types.h>

#include <vector>

namespace lumaru::bench {

// A process and every process below it (the browser engine's helpers), read from /proc.
std::vector<pid_t> ProcessTree(pid_t root);

struct Memory {
    long rssKiB = 0;  // resident set, counting shared pages in every process that maps them
    long pssKiB = 0;  // proportional set: shared pages divided among the processes sharing them
};

// The memory of one process; zeros when it is gone.
Memory ProcessMemory(pid_t pid);

}  // namespace lumaru::bench
