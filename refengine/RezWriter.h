// RezWriter: builds ".rez" archives (layout in RezFormat.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace dravo::ref {

class RezWriter {
public:
    struct File {
        std::string m_Name;  // path inside the archive, backslash-separated
        std::string m_Bytes; // content
    };

    // The archive bytes for the files, in the order given. Empty with `error` set when a name breaks
    // the format's rules or the archive would pass 4 GiB.
    static std::string Build(const std::vector<File>& files, std::string& error);
    // Collects every regular file below `directory`, named by its relative path with backslashes,
    // sorted by name so that the same tree always gives the same archive.
    static std::vector<File> CollectDirectory(const std::filesystem::path& directory, std::string& error);
};

} // namespace dravo::ref
