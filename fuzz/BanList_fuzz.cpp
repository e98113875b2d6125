// Fuzzes the ban list reader with the input as the file's content: every name it
// keeps is a non-empty word of at most 63 characters without white space, listed once.
#include "FuzzSupport.h"
#include "host/game/BanList.h"

#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static dravo::fuzz::ScratchFile file("banned.txt");
    file.Write(data, size);
    dravo::BanList bans;
    if (!bans.LoadBanList(file.Path()).m_Loaded) {
        std::abort();
    }
    std::set<std::string> seen;
    for (const std::string& name : bans.Names()) {
        if (name.empty() || name.size() > dravo::MAX_BANNED_NAME_CHARS ||
            name.find_first_of(" \t\n\v\f\r") != std::string::npos || !seen.insert(name).second ||
            !bans.IsBanned(name)) {
            std::abort();
        }
    }
    return 0;
}
