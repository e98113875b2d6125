// Helpers for the reference engine's tests: temporary directories, files and a recording handler.
#pragma once

#include "engine/AppHandler.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace dravo::ref::test {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDirectory {
public:
    TempDirectory() {
        static std::atomic<unsigned> counter{0};
        std::random_device random;
        m_Path = std::filesystem::temp_directory_path() / ("refengine-test-" + std::to_string(::getpid()) + "-" +
                                                           std::to_string(counter++) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_Path);
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_Path, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& Path() const { return m_Path; }
    std::filesystem::path operator/(const std::string& name) const { return m_Path / name; }

private:
    std::filesystem::path m_Path;
};

// Makes a directory the current one for a test's duration (the engine resolves resource names against it).
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& path) : m_Previous(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(m_Previous, ignored);
    }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path m_Previous;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// Names of the entries in a directory, for checking that nothing was left behind.
inline std::vector<std::string> DirectoryNames(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Records what the engine reports; OnConsoleLine may also run a callback (to call back into the engine).
class RecordingHandler final : public AppHandler {
public:
    int32_t OnGameText(const char* text) override {
        std::lock_guard lock(m_Mutex);
        m_GameTexts.emplace_back(text);
        return 0;
    }
    int32_t OnConsoleLine(const char* text) override {
        {
            std::lock_guard lock(m_Mutex);
            m_Lines.emplace_back(text);
        }
        if (m_OnLine) {
            m_OnLine(text);
        }
        return 0;
    }
    int32_t OnMemoryExhausted() override {
        ++m_MemoryExhausted;
        return 0;
    }
    int32_t OnForeignDatagram(const void*, uint32_t, const uint8_t*, uint16_t) override { return 0; }

    std::vector<std::string> Lines() const {
        std::lock_guard lock(m_Mutex);
        return m_Lines;
    }
    void Clear() {
        std::lock_guard lock(m_Mutex);
        m_Lines.clear();
    }

    std::function<void(const char*)> m_OnLine;
    std::atomic<int> m_MemoryExhausted{0};

private:
    mutable std::mutex m_Mutex;
    std::vector<std::string> m_Lines;
    std::vector<std::string> m_GameTexts;
};

} // namespace dravo::ref::test
