// Temporary directories for tests.
#include "support/TempDir.h"

#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include <unistd.h>

namespace dravo::test {

TempDir::TempDir() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("dravo-test-" + std::to_string(getpid()) + "-" + std::to_string(seed()));
        if (std::filesystem::create_directory(candidate)) {
            m_Path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_Path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(m_Path, ignored);
}

std::filesystem::path TempDir::Write(const std::filesystem::path& relative, const std::string& content) const {
    const auto full = m_Path / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out << content;
    return full;
}

std::string TempDir::Read(const std::filesystem::path& relative) const {
    return ReadFile(m_Path / relative);
}

std::string TempDir::ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CurrentDirectory::CurrentDirectory(const std::filesystem::path& path) : m_Previous(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(m_Previous, ignored);
}

} // namespace dravo::test
