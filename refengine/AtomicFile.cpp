// AtomicFile: what every system shares, the temporary file's name.
#include "AtomicFile.h"

namespace dravo::ref {

std::string AtomicFile::TemporaryPrefix(const std::string& fileName) {
    constexpr std::string_view MARK = ".dravo-save-";
    const size_t fixed = 1 + MARK.size() + TEMPORARY_RANDOM_LENGTH;
    size_t keep = fileName.size();
    if (fixed + keep > MAX_NAME_BYTES) {
        keep = MAX_NAME_BYTES - fixed;
        // Not inside a character: the cut name stays text.
        while (keep > 0 && (static_cast<unsigned char>(fileName[keep]) & 0xC0U) == 0x80U) {
            --keep;
        }
    }
    return "." + fileName.substr(0, keep) + std::string(MARK);
}

} // namespace dravo::ref
