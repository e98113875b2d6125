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
inline std::string TestLib(const std::string& name) {
    return (TestLibDir() / (name + ".so")).string();
}

} // namespace dravo::test
