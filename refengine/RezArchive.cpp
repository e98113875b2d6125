// RezArchive: a ".rez" archive opened for reading (layout in RezFormat.h).
#include "RezArchive.h"

#include "ReadOnlyFile.h"
#include "ResourcePath.h"
#include "RezFormat.h"
#include "TextUtil.h"

#include <unordered_set>

namespace dravo::ref {

namespace {

uint32_t ReadUint(const unsigned char* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// True when the first `count` parts of `entry` name `directory`, without regard to case.
bool StartsWith(const ResourcePathParts& entry, const ResourcePathParts& directory) {
    if (entry.size() < directory.size()) {
        return false;
    }
    for (size_t i = 0; i < directory.size(); ++i) {
        if (!TextUtil::EqualsNoCase(entry[i], directory[i])) {
            return false;
        }
    }
    return true;
}

std::string Refuse(const std::filesystem::path& path, const std::string& reason) {
    return "The archive " + path.string() + " is corrupt: " + reason + ".";
}

// Checks the names against each other: unique without regard to case, no file also a directory.
std::string CheckNamesAgree(const std::vector<RezArchive::Entry>& entries) {
    std::unordered_set<std::string> files;
    std::unordered_set<std::string> directories;
    for (const RezArchive::Entry& entry : entries) {
        const std::string lower = TextUtil::ToLower(entry.m_Name);
        if (!files.insert(lower).second) {
            return "the name " + entry.m_Name + " appears twice";
        }
        for (size_t at = lower.find('\\'); at != std::string::npos; at = lower.find('\\', at + 1)) {
            directories.insert(lower.substr(0, at));
        }
    }
    for (const RezArchive::Entry& entry : entries) {
        if (directories.count(TextUtil::ToLower(entry.m_Name)) != 0) {
            return "the name " + entry.m_Name + " is both a file and a directory";
        }
    }
    return {};
}

} // namespace

std::string RezArchive::CheckName(std::string_view name) {
    if (name.empty() || name.size() > RezFormat::MAX_NAME_LENGTH) {
        return "a name is empty or too long";
    }
    if (name.find('\0') != std::string_view::npos || name.find('/') != std::string_view::npos) {
        return "a name holds a NUL byte or a slash";
    }
    const ResourcePathParts parts = ResourcePath::Split(name);
    size_t joinedLength = parts.empty() ? 0 : parts.size() - 1;
    for (const std::string& part : parts) {
        joinedLength += part.size();
    }
    if (joinedLength != name.size() || !ResourcePath::StaysInside(parts)) {
        return "the name " + std::string(name) + " has an empty, \".\" or \"..\" component";
    }
    return {};
}

namespace {

// The header: magic, version, size and entry count. Empty when it is good; `count` is then set.
std::string CheckHeader(const ReadOnlyFile& file, uint64_t fileSize, uint32_t& count) {
    unsigned char header[RezFormat::HEADER_SIZE];
    if (fileSize < RezFormat::HEADER_SIZE || !file.ReadExactly(0, header, sizeof header)) {
        return "it is too short to hold an archive header";
    }
    if (std::string_view(reinterpret_cast<const char*>(header), RezFormat::MAGIC.size()) != RezFormat::MAGIC) {
        return "it does not start with " + std::string(RezFormat::MAGIC);
    }
    if (ReadUint(header + 8, 4) != RezFormat::VERSION) {
        return "its format version " + std::to_string(ReadUint(header + 8, 4)) + " is not supported";
    }
    if (fileSize > RezFormat::MAX_ARCHIVE_SIZE) {
        return "it is larger than 4 GiB";
    }
    count = ReadUint(header + 12, 4);
    if (count > (fileSize - RezFormat::HEADER_SIZE) / RezFormat::ENTRY_FIXED_SIZE) {
        return "its entry table is larger than the file";
    }
    return {};
}

// The entry table after the header; `position` ends where the file's data area begins.
std::string ReadEntries(const ReadOnlyFile& file, uint64_t fileSize, uint32_t count,
                        std::vector<RezArchive::Entry>& entries, uint64_t& position) {
    entries.reserve(count);
    position = RezFormat::HEADER_SIZE;
    for (uint32_t i = 0; i < count; ++i) {
        unsigned char fixed[RezFormat::ENTRY_FIXED_SIZE];
        if (position + sizeof fixed > fileSize || !file.ReadExactly(position, fixed, sizeof fixed)) {
            return "its entry table runs past the end of the file";
        }
        const uint32_t nameLength = ReadUint(fixed + 8, 2);
        position += sizeof fixed;
        if (nameLength == 0 || nameLength > RezFormat::MAX_NAME_LENGTH || position + nameLength > fileSize) {
            return "entry " + std::to_string(i) + " has a bad name length";
        }
        std::string name(nameLength, '\0');
        if (!file.ReadExactly(position, name.data(), nameLength)) {
            return "its entry table runs past the end of the file";
        }
        position += nameLength;
        if (std::string problem = RezArchive::CheckName(name); !problem.empty()) {
            return problem;
        }
        entries.push_back({ResourcePath::Split(name), std::move(name), ReadUint(fixed, 4), ReadUint(fixed + 4, 4)});
    }
    return {};
}

// Every entry's data lies in the data area, within the size a resource file may have.
std::string CheckDataAreas(const std::vector<RezArchive::Entry>& entries, uint64_t dataStart, uint64_t fileSize) {
    for (const RezArchive::Entry& entry : entries) {
        if (entry.m_Offset < dataStart || uint64_t{entry.m_Offset} + entry.m_Size > fileSize) {
            return "the data of " + entry.m_Name + " lies outside the file's data area";
        }
        if (entry.m_Size > MAX_RESOURCE_FILE_SIZE) {
            return entry.m_Name + " is larger than " + std::to_string(MAX_RESOURCE_FILE_SIZE >> 20) +
                   " MiB, more than any resource file may be";
        }
    }
    return CheckNamesAgree(entries);
}

} // namespace

std::unique_ptr<RezArchive> RezArchive::Open(const std::filesystem::path& path, std::string& error) {
    // A FIFO, a device or a directory of that name is refused here, without waiting on it.
    const std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(path, error);
    if (!file) {
        error = "The archive " + path.string() + " cannot be used. " + error;
        return nullptr;
    }
    const uint64_t fileSize = file->Size();
    uint32_t count = 0;
    std::vector<Entry> entries;
    uint64_t dataStart = 0;
    std::string problem = CheckHeader(*file, fileSize, count);
    if (problem.empty()) {
        problem = ReadEntries(*file, fileSize, count, entries, dataStart);
    }
    if (problem.empty()) {
        problem = CheckDataAreas(entries, dataStart, fileSize);
    }
    if (!problem.empty()) {
        error = Refuse(path, problem);
        return nullptr;
    }
    return std::unique_ptr<RezArchive>(new RezArchive(path, std::move(entries)));
}

std::optional<std::vector<ResourceItem>> RezArchive::ListDirectory(const ResourcePathParts& directory) const {
    std::vector<ResourceItem> items;
    std::unordered_set<std::string> seen;
    bool found = directory.empty();
    for (const Entry& entry : m_Entries) {
        if (entry.m_Parts.size() <= directory.size() || !StartsWith(entry.m_Parts, directory)) {
            continue;
        }
        found = true;
        const std::string& name = entry.m_Parts[directory.size()];
        if (seen.insert(TextUtil::ToLower(name)).second) {
            items.push_back({name, entry.m_Parts.size() > directory.size() + 1});
        }
    }
    if (!found) {
        return std::nullopt;
    }
    return items;
}

std::optional<std::string> RezArchive::ReadFile(const ResourcePathParts& file) const {
    for (const Entry& entry : m_Entries) {
        if (entry.m_Parts.size() != file.size() || !StartsWith(entry.m_Parts, file)) {
            continue;
        }
        // Opened again, as checked as the first time: the name may have been given to a FIFO since.
        std::string error;
        const std::optional<ReadOnlyFile> archive = ReadOnlyFile::Open(m_Path, error);
        std::string bytes(entry.m_Size, '\0');
        // The file may have been changed since it was opened: a short read is a failure.
        if (!archive || !archive->ReadExactly(entry.m_Offset, bytes.data(), bytes.size())) {
            return std::nullopt;
        }
        return bytes;
    }
    return std::nullopt;
}

} // namespace dravo::ref
