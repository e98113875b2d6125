// The headers nearly every test compiles: GoogleTest and the heavy standard headers, precompiled once
// per test program (CMake's target_precompile_headers) instead of parsed again for each test file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>
