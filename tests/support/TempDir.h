// TempDir: a fresh directory for one test, removed with everything in it afterwards.
// CurrentDirectory: makes a directory current for the lifetime of the guard.
#pragma once

#include <filesystem>

namespace dravo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_Path; }
    // Writes a file below the directory, creating its parent folders.
    std::filesystem::path Write(const std::filesystem::path& relative, const std::string& content) const;
    // Reads a whole file below the directory.
    std::string Read(const std::filesystem::path& relative) const;
    // Reads any whole file.
    static std::string ReadFile(const std::filesystem::path& path);

private:
    std::filesystem::path m_Path;
};

class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path m_Previous;
};

} // namespace dravo::test
