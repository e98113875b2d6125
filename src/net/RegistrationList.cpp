// Reading the registration file.
#include "net/RegistrationList.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace dravo {

std::optional<std::vector<std::string>> ReadRegistrationList(const std::filesystem::path& file) {
    const std::unique_ptr<FILE, int (*)(FILE*)> stream(std::fopen(file.string().c_str(), "r"), &std::fclose);
    if (!stream) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    char piece[REGISTRATION_LINE_PIECE + 1];
    while (std::fgets(piece, sizeof piece, stream.get()) != nullptr) {
        size_t length = BoundedText(piece, sizeof piece).size();
        if (length > 0 && piece[length - 1] == '\n') {
            --length;
            // A file written on Windows ends its lines with "\r\n".
            if (length > 0 && piece[length - 1] == '\r') {
                --length;
            }
        }
        lines.emplace_back(piece, length);
    }
    return lines;
}

} // namespace dravo
