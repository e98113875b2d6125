// Linked into dravoserv-bench only, in place of the product's drawn keys (net/query/SipHashKey.cpp, which
// the linker then leaves in its library): every table of that program hashes with the benchmarks' key.
#include "support/FixedHashKey.h"

namespace dravo {

SipHashKey NewSipHashKey() {
    return bench::FIXED_HASH_KEY;
}

} // namespace dravo
