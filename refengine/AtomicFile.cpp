// AtomicFile: reading a whole file; the writing is the platform's (AtomicFile_posix.cpp, AtomicFile_win32.cpp).
#include "AtomicFile.h"

#include <fstream>
#include <system_error>

namespace dravo::ref {

std::string AtomicFile::Read(const std::filesystem::path& source, size_t maxBytes, std::string& bytes) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(source, code)) {
        return "Cannot read " + source.string() + ": " + (code ? code.message() : std::string("not an existing file")) +
               ".";
    }
    std::ifstream stream(source, std::ios::binary);
    if (!stream) {
        return "Cannot open " + source.string() + ".";
    }
    std::string text;
    char chunk[16384];
    while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0) {
        if (text.size() + static_cast<size_t>(stream.gcount()) > maxBytes) {
            return "Cannot read " + source.string() + ": larger than " + std::to_string(maxBytes) + " bytes.";
        }
        text.append(chunk, static_cast<size_t>(stream.gcount()));
    }
    if (stream.bad()) {
        return "Cannot read " + source.string() + ": read error.";
    }
    bytes = std::move(text);
    return {};
}

} // namespace dravo::ref
