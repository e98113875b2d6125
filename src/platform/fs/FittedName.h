// FittedName: a file name made from another (a lock, a copy, a temporary file) that every system takes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dravo {

// The longest file name, in bytes, that every system the program runs on takes (255 characters of
// UTF-16 on Windows are never fewer than 255 bytes of UTF-8).
constexpr size_t MAX_FILE_NAME_BYTES = 255;

// prefix + name + suffix, when that fits in MAX_FILE_NAME_BYTES. Otherwise the name is cut where a
// character begins and followed by "~" and eight hex digits of a hash of the whole name, so that two
// long names that begin alike still give different names, and the same name always the same one.
std::string FittedName(std::string_view prefix, std::string_view name, std::string_view suffix);

} // namespace dravo
