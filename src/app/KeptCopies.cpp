// Copies beside the configuration file: few, whole, and never the same bytes twice.
#include "app/KeptCopies.h"

#include "platform/fs/BoundedFile.h"
#include "platform/fs/FittedName.h"

#include <system_error>

namespace dravo {
namespace {

std::filesystem::path CopyName(const std::filesystem::path& file, std::string_view suffix, int number) {
    const std::string ending = std::string(suffix) + (number == 0 ? std::string() : "." + std::to_string(number));
    return file.parent_path() / FittedName("", file.filename().string(), ending);
}

bool HoldsBytes(const std::filesystem::path& copy, std::string_view bytes) {
    const BoundedFile read = ReadBoundedFile(copy, bytes.size() + 1);
    return read.m_Outcome == BoundedFile::Outcome::Read && read.m_Bytes == bytes;
}

} // namespace

KeptCopies::Choice KeptCopies::Choose(const std::filesystem::path& file, std::string_view suffix,
                                      std::optional<std::string_view> bytes) {
    std::optional<std::filesystem::path> free;
    std::optional<std::filesystem::path> oldest;
    std::filesystem::file_time_type oldestTime = std::filesystem::file_time_type::max();
    for (int number = 0; number < MAX_KEPT_COPIES; ++number) {
        const std::filesystem::path copy = CopyName(file, suffix, number);
        std::error_code error;
        const auto status = std::filesystem::symlink_status(copy, error);
        if (!std::filesystem::exists(status)) {
            free = free.value_or(copy);
            continue;
        }
        if (bytes && std::filesystem::is_regular_file(status) && HoldsBytes(copy, *bytes)) {
            return {copy, true};
        }
        const auto written = std::filesystem::last_write_time(copy, error);
        if (!error && written < oldestTime) {
            oldestTime = written;
            oldest = copy;
        }
    }
    return {free.value_or(oldest.value_or(CopyName(file, suffix, 0))), false};
}

std::optional<std::filesystem::path> KeptCopies::KeepOriginal(const std::filesystem::path& file, std::string_view bytes,
                                                              const FileOwnership& ownership, std::string& error) {
    const Choice choice = Choose(file, ORIGINAL_SUFFIX, bytes);
    if (choice.m_AlreadyKept) {
        return choice.m_Path;
    }
    const std::filesystem::path writing = WritingName(choice.m_Path);
    if (!CreateFreshFile(writing, error)) {
        return std::nullopt;
    }
    if (!WriteFreshFile(writing, bytes, error) || !ApplyOwnership(writing, ownership, error) ||
        !CommitFile(writing, choice.m_Path, error)) {
        DiscardFile(writing);
        return std::nullopt;
    }
    return choice.m_Path;
}

std::filesystem::path KeptCopies::WritingName(const std::filesystem::path& file) {
    return file.parent_path() / FittedName(".", file.filename().string(), ".saving");
}

} // namespace dravo
