// The key of the address table's hash in the benchmarks' copy of the program (dravoserv-bench), which
// the query-abuse benchmark uses to build the worst set of addresses for the table.
#pragma once

#include "net/query/SipHash.h"

namespace dravo::bench {

inline constexpr SipHashKey FIXED_HASH_KEY{0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL};

} // namespace dravo::bench
