// RezWriter: builds ".rez" archives (layout in RezFormat.h).
#include "RezWriter.h"

#include "ReadOnlyFile.h"
#include "RezArchive.h"
#include "RezFormat.h"
#include "TextUtil.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>

namespace dravo::ref {

namespace {

void AppendUint(std::string& out, uint32_t value, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

constexpr size_t MAX_COLLECTED_FILE = RezFormat::MAX_ARCHIVE_SIZE;

} // namespace

std::string RezWriter::Build(const std::vector<File>& files, std::string& error) {
    uint64_t tableEnd = RezFormat::HEADER_SIZE;
    uint64_t total = 0;
    std::unordered_set<std::string> names;
    for (const File& file : files) {
        if (std::string problem = RezArchive::CheckName(file.m_Name); !problem.empty()) {
            error = "Cannot pack " + file.m_Name + ": " + problem + ".";
            return {};
        }
        if (!names.insert(TextUtil::ToLower(file.m_Name)).second) {
            error = "Cannot pack " + file.m_Name + ": another file has the same name apart from letter case.";
            return {};
        }
        tableEnd += RezFormat::ENTRY_FIXED_SIZE + file.m_Name.size();
        total += file.m_Bytes.size();
    }
    for (const File& file : files) {
        const std::string lower = TextUtil::ToLower(file.m_Name);
        for (size_t at = lower.find('\\'); at != std::string::npos; at = lower.find('\\', at + 1)) {
            if (names.count(lower.substr(0, at)) != 0) {
                error = "Cannot pack " + file.m_Name + ": " + file.m_Name.substr(0, at) + " is also a file.";
                return {};
            }
        }
    }
    if (tableEnd + total > RezFormat::MAX_ARCHIVE_SIZE || files.size() > UINT32_MAX) {
        error = "The archive would be larger than 4 GiB.";
        return {};
    }
    std::string archive(RezFormat::MAGIC);
    archive.reserve(tableEnd + total);
    AppendUint(archive, RezFormat::VERSION, 4);
    AppendUint(archive, static_cast<uint32_t>(files.size()), 4);
    auto offset = static_cast<uint32_t>(tableEnd);
    for (const File& file : files) {
        AppendUint(archive, offset, 4);
        AppendUint(archive, static_cast<uint32_t>(file.m_Bytes.size()), 4);
        AppendUint(archive, static_cast<uint32_t>(file.m_Name.size()), 2);
        archive += file.m_Name;
        offset += static_cast<uint32_t>(file.m_Bytes.size());
    }
    for (const File& file : files) {
        archive += file.m_Bytes;
    }
    return archive;
}

std::vector<RezWriter::File> RezWriter::CollectDirectory(const std::filesystem::path& directory, std::string& error) {
    std::vector<File> files;
    std::error_code code;
    std::filesystem::recursive_directory_iterator entries(directory, code);
    for (const auto end = std::filesystem::recursive_directory_iterator(); !code && entries != end;
         entries.increment(code)) {
        if (!entries->is_regular_file(code)) {
            continue;
        }
        std::string name = std::filesystem::relative(entries->path(), directory, code).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        File file{name, {}};
        if (std::string problem = ReadOnlyFile::ReadAll(entries->path(), MAX_COLLECTED_FILE, file.m_Bytes);
            !problem.empty()) {
            error = problem;
            return {};
        }
        files.push_back(std::move(file));
    }
    if (code) {
        error = "Cannot read the directory " + directory.string() + ": " + code.message() + ".";
        return {};
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.m_Name < b.m_Name; });
    return files;
}

} // namespace dravo::ref
