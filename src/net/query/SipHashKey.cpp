// The keys of the keyed hash, drawn from the system's random source. Alone in its file: the query
// benchmarks' copy of the program links a fixed key of its own in its place.
#include "net/query/SipHash.h"

#include <random>

namespace dravo {

SipHashKey NewSipHashKey() {
    std::random_device source;
    const auto half = [&source] { return uint64_t{source()} << 32 | source(); };
    return SipHashKey{half(), half()};
}

} // namespace dravo
