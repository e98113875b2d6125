// Reading the remote console's password from a file or the environment, and wiping it from the arguments.
#include "app/PasswordSources.h"

#include "platform/os/Text.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace dravo {
namespace {

constexpr std::string_view PASSWORD_KEY = "+RconPassword";
constexpr std::string_view PASSWORD_FILE_KEY = "+RconPasswordFile";

// The file's first line, without its line end; the error says why there is none.
std::string ReadPasswordFile(const std::string& path, std::string& error) {
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (code || !std::filesystem::is_regular_file(status)) {
        error = "RconPasswordFile \"" + path + "\" is no file that can be read.";
        return {};
    }
#ifndef _WIN32 // Windows keeps no group or other bits: its access lists decide
    using std::filesystem::perms;
    if ((status.permissions() & (perms::group_read | perms::others_read)) != perms::none) {
        error = "RconPasswordFile \"" + path +
                "\" may be read by other users; make it readable by the "
                "server's account only (chmod 600).";
        return {};
    }
#endif
    std::ifstream file(path, std::ios::binary);
    std::string text(MAX_PASSWORD_FILE_BYTES, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    if (!file.eof() && text.size() == MAX_PASSWORD_FILE_BYTES) {
        error =
            "RconPasswordFile \"" + path + "\" is longer than " + std::to_string(MAX_PASSWORD_FILE_BYTES) + " bytes.";
        return {};
    }
    text = text.substr(0, text.find_first_of("\r\n"));
    if (text.empty()) {
        error = "RconPasswordFile \"" + path + "\" holds no password on its first line.";
    }
    return text;
}

bool HasPasswordOverride(const std::vector<std::string>& arguments) {
    for (size_t i = 1; i + 1 < arguments.size(); ++i) {
        if (EqualNoCase(arguments[i], PASSWORD_KEY)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string AddPasswordFromSources(std::vector<std::string>& arguments, const char* environmentValue) {
    std::string path;
    for (size_t i = 1; i + 1 < arguments.size();) {
        if (EqualNoCase(arguments[i], PASSWORD_FILE_KEY)) {
            path = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                            arguments.begin() + static_cast<std::ptrdiff_t>(i + 2));
        } else {
            ++i;
        }
    }
    if (HasPasswordOverride(arguments)) {
        return {};
    }
    std::string password;
    if (!path.empty()) {
        std::string error;
        password = ReadPasswordFile(path, error);
        if (!error.empty()) {
            return error;
        }
    } else if (environmentValue != nullptr) {
        password = environmentValue;
    }
    if (!password.empty()) {
        arguments.emplace_back(PASSWORD_KEY);
        arguments.push_back(std::move(password));
    }
    return {};
}

void WipeSecretArguments(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (EqualNoCase(argv[i], PASSWORD_KEY)) {
            std::memset(argv[i + 1], '*', std::strlen(argv[i + 1]));
        }
    }
}

} // namespace dravo
