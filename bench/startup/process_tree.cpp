#include "process_tree.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace lumaru::bench {
namespace {

// The parent of a process from /proc/<pid>/stat; the command name in brackets may hold spaces,
// so the fields are read after its closing bracket.
pid_t ParentOf(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(line.substr(close + 1));
    char state = 0;
    pid_t parent = -1;
    fields >> state >> parent;
    return parent;
}

long FieldKiB(const std::string& path, const std::string& name) {
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (line.rfind(name, 0) == 0) {
            return std::strtol(line.c_str() + name.size(), nullptr, 10);
        }
    }
    return 0;
}

}  // namespace

std::vector<pid_t> ProcessTree(pid_t root) {
    std::multimap<pid_t, pid_t> children;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* entry = readdir(proc)) {
            const std::string name = entry->d_name;
            if (name.find_first_not_of("0123456789") == std::string::npos) {
                children.emplace(ParentOf(name), static_cast<pid_t>(std::stol(name)));
            }
        }
        closedir(proc);
    }
    std::vector<pid_t> tree = {root};
    for (std::size_t next = 0; next < tree.size(); ++next) {
        const auto [begin, end] = children.equal_range(tree[next]);
        for (auto it = begin; it != end; ++it) {
            tree.push_back(it->second);
        }
    }
    return tree;
}

Memory ProcessMemory(pid_t pid) {
    const std::string base = "/proc/" + std::to_string(pid);
    return Memory{FieldKiB(base + "/status", "VmRSS:"), FieldKiB(base + "/smaps_rollup", "Pss:")};
}

}  // namespace lumaru::bench
