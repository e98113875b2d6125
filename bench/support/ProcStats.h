// ProcStats: what /proc says about a process: CPU time of all its threads (ns)
// and resident memory (kB).
#pragma once

#include <cstdint>
#include <sys/types.h>

namespace dravo::bench {

// Nanoseconds on a CPU of every thread of the process so far (per-thread schedstat).
uint64_t CpuNs(pid_t pid);
// Nanoseconds on a CPU of one thread (/proc/self/task/<tid>/schedstat).
uint64_t ThreadCpuNs(pid_t tid);
// VmRSS of the process, kB.
uint64_t RssKb(pid_t pid);
// VmHWM of the process: the most it was ever resident, kB.
uint64_t PeakRssKb(pid_t pid);
// Private_Clean + Private_Dirty of the process (smaps_rollup), kB.
uint64_t PrivateKb(pid_t pid);

} // namespace dravo::bench
