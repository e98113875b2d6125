// RegistrationList: the base URLs of "srv_send.txt", one a line, read when a batch is sent.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dravo {

inline constexpr const char* REGISTRATION_FILE = "srv_send.txt";
// A line is read at most this many characters at a time; a longer one comes in pieces.
constexpr size_t REGISTRATION_LINE_PIECE = 255;
// Only a regular file is read, and only this much of it: a list of a few hundred addresses.
constexpr size_t MAX_REGISTRATION_FILE_BYTES = size_t{64} * 1024;

// The lines in file order, each without its line end (empty lines kept: they make requests that fail);
// empty when the file cannot be opened or is not a regular file.
std::optional<std::vector<std::string>> ReadRegistrationList(const std::filesystem::path& file);

} // namespace dravo
