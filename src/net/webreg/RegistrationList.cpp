// Reading the registration file.
#include "net/webreg/RegistrationList.h"

#include "platform/fs/BoundedFile.h"

#include <algorithm>
#include <string_view>

namespace dravo {

std::optional<std::vector<std::string>> ReadRegistrationList(const std::filesystem::path& file) {
    const BoundedFile read = ReadBoundedFile(file, MAX_REGISTRATION_FILE_BYTES);
    if (!read.HasText()) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::string_view text = read.m_Bytes;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // A file written on Windows ends its lines with "\r\n".
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // A longer line comes in pieces, each a request of its own.
        do {
            lines.emplace_back(line.substr(0, REGISTRATION_LINE_PIECE));
            line.remove_prefix(std::min(line.size(), REGISTRATION_LINE_PIECE));
        } while (!line.empty());
    }
    return lines;
}

} // namespace dravo
