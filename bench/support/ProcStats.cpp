// Reading /proc.
#include "support/ProcStats.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace dravo::bench {

namespace {

uint64_t SchedstatNs(const std::filesystem::path& file) {
    std::ifstream in(file);
    uint64_t running = 0;
    in >> running;
    return running;
}

uint64_t StatusField(pid_t pid, const char* file, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    uint64_t total = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0) {
            std::istringstream fields(line.substr(key.size()));
            uint64_t value = 0;
            fields >> value;
            total += value;
        }
    }
    return total;
}

} // namespace

uint64_t CpuNs(pid_t pid) {
    uint64_t total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        total += SchedstatNs(task.path() / "schedstat");
    }
    return total;
}

uint64_t ThreadCpuNs(pid_t tid) {
    return SchedstatNs("/proc/self/task/" + std::to_string(tid) + "/schedstat");
}

uint64_t RssKb(pid_t pid) {
    return StatusField(pid, "status", "VmRSS:");
}

uint64_t PeakRssKb(pid_t pid) {
    return StatusField(pid, "status", "VmHWM:");
}

uint64_t PrivateKb(pid_t pid) {
    return StatusField(pid, "smaps_rollup", "Private_Clean:") + StatusField(pid, "smaps_rollup", "Private_Dirty:");
}

} // namespace dravo::bench
