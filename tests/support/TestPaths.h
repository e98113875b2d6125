// Where the tests find the built binaries, the test libraries and the sample game.
#pragma once

#include <filesystem>
#include <string>

namespace dravo::test {

inline std::filesystem::path BinDir() {
    return DRAVO_BIN_DIR;
}
inline std::filesystem::path TestLibDir() {
    return DRAVO_TESTLIB_DIR;
}
inline std::filesystem::path DataDir() {
    return DRAVO_DATA_DIR;
}
// A library's file name on this platform: "name.so", or "name.dll" on Windows.
inline std::string LibraryFile(const std::string& name) {
    return name + DRAVO_LIBRARY_SUFFIX;
}
inline std::string TestLib(const std::string& name) {
    return (TestLibDir() / LibraryFile(name)).string();
}
// The reference engine beside the program.
inline std::filesystem::path ServerLibraryPath() {
    return BinDir() / LibraryFile("server");
}

} // namespace dravo::test
