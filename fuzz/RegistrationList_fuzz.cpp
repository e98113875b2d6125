// Fuzzes the reading of "srv_send.txt" with the input as the file: every line it
// gives is at most 255 characters and holds no line feed.
#include "FuzzSupport.h"
#include "net/webreg/RegistrationList.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static dravo::fuzz::ScratchFile file(dravo::REGISTRATION_FILE);
    file.Write(data, size);
    const auto lines = dravo::ReadRegistrationList(file.Path());
    if (!lines) {
        std::abort();
    }
    size_t total = 0;
    for (const std::string& line : *lines) {
        if (line.size() > dravo::REGISTRATION_LINE_PIECE || line.find('\n') != std::string::npos) {
            std::abort();
        }
        total += line.size();
    }
    if (total > size) {
        std::abort();
    }
    return 0;
}
