// Helpers shared by the fuzz targets: a scratch file for readers that take a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace dravo::fuzz {

// One file per fuzzing process, rewritten with every input and removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(const char* name) {
        std::string pattern = (std::filesystem::temp_directory_path() / "dravo-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_Directory = pattern;
        m_Path = m_Directory / name;
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(m_Directory, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::filesystem::path& Path() const { return m_Path; }
    const std::filesystem::path& Directory() const { return m_Directory; }
    void Write(const uint8_t* data, size_t size) const {
        std::ofstream out(m_Path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

private:
    std::filesystem::path m_Directory;
    std::filesystem::path m_Path;
};

} // namespace dravo::fuzz
