// Copying the sample configuration into an empty data directory.
#include "app/ConfigurationSeed.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace dravo {
namespace {

constexpr std::string_view BIND_ADDRESS_LINE = "net_bindaddress ";

// The sample's text without its net_bindaddress lines; false when it cannot be read whole.
bool ReadSample(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::string whole(MAX_CONFIG_SAMPLE_BYTES + 1, '\0');
    file.read(whole.data(), static_cast<std::streamsize>(whole.size()));
    whole.resize(static_cast<size_t>(file.gcount()));
    if (whole.size() > MAX_CONFIG_SAMPLE_BYTES) {
        return false;
    }
    std::istringstream lines(whole);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(BIND_ADDRESS_LINE)) {
            text += line + '\n';
        }
    }
    return true;
}

} // namespace

std::string SeedConfiguration(const std::string& configPath, const char* samplePath) {
    namespace fs = std::filesystem;
    std::error_code code;
    // Only where nothing stands yet: anything else (a file, a link, what cannot be looked at) is for the
    // configuration's own loading to take or report.
    if (samplePath == nullptr || *samplePath == '\0' ||
        fs::symlink_status(configPath, code).type() != fs::file_type::not_found) {
        return {};
    }
    std::string text;
    if (!ReadSample(samplePath, text)) {
        return std::string("The sample configuration \"") + samplePath + "\" cannot be read (at most " +
               std::to_string(MAX_CONFIG_SAMPLE_BYTES) + " bytes).";
    }
    const fs::path target(configPath);
    const fs::path directory = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    fs::create_directories(directory, code);
    const fs::path fresh = target.string() + ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            fs::remove(fresh, code);
            return "The configuration \"" + configPath + "\" cannot be written in " + directory.string() + ".";
        }
    }
    // Group-writable where the directory is: any user of the directory's group can save it later.
    const fs::perms folder = fs::status(directory, code).permissions();
    if (!code && (folder & fs::perms::group_write) != fs::perms::none) {
        fs::permissions(fresh, fs::perms::group_read | fs::perms::group_write, fs::perm_options::add, code);
    }
    fs::rename(fresh, target, code);
    if (code) {
        fs::remove(fresh, code);
        return "The configuration \"" + configPath + "\" cannot be written: " + code.message() + ".";
    }
    return {};
}

} // namespace dravo
