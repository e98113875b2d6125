# The unit tests on Windows: cross-built with MinGW-w64 and run under wine64 (one binary, so that Wine
# starts once). GoogleTest is built from its sources (Debian's googletest package). Every unit test runs
# here but those of layers that exist on POSIX systems only (signals, the terminal face, pipes as input,
# child processes), plus the tests of the Windows layers (tests/windows/) and of the Win32 face
# (tests/window/win32/).
set(DRAVO_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest's sources (Debian: googletest)")
if(NOT EXISTS "${DRAVO_GOOGLETEST_SOURCE}/CMakeLists.txt")
    message(FATAL_ERROR "GoogleTest's sources are not in ${DRAVO_GOOGLETEST_SOURCE}: install googletest")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory("${DRAVO_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

# Paths as the Windows programs see them: Wine's drive Z: is the root of this machine.
set(DRAVO_TESTLIB_DIR "${CMAKE_BINARY_DIR}/testlibs")
set(DRAVO_TEST_DEFINITIONS
    DRAVO_BIN_DIR="Z:${CMAKE_BINARY_DIR}/bin"
    DRAVO_TESTLIB_DIR="Z:${DRAVO_TESTLIB_DIR}"
    DRAVO_DATA_DIR="Z:${PROJECT_SOURCE_DIR}/data"
    DRAVO_SOURCE_DIR="Z:${PROJECT_SOURCE_DIR}"
    DRAVO_BUILD_DIR="Z:${CMAKE_BINARY_DIR}"
    DRAVO_CMAKE_COMMAND="${CMAKE_COMMAND}"
    DRAVO_LIBRARY_SUFFIX=".dll")

file(GLOB DRAVO_TESTLIB_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/testlibs/*.cpp")
set(DRAVO_TESTLIBS)
foreach(source ${DRAVO_TESTLIB_SOURCES})
    get_filename_component(name "${source}" NAME_WE)
    add_library(${name} MODULE "${source}")
    target_link_libraries(${name} PRIVATE dravo_engine_api)
    target_compile_options(${name} PRIVATE -include "${CMAKE_CURRENT_SOURCE_DIR}/windows/PosixEnvironment.h")
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll" LIBRARY_OUTPUT_DIRECTORY "${DRAVO_TESTLIB_DIR}")
    list(APPEND DRAVO_TESTLIBS ${name})
endforeach()

# The child-process runner is POSIX only; FreeUdpPort comes from tests/windows/ here.
add_library(dravo_test_support STATIC "${CMAKE_CURRENT_SOURCE_DIR}/support/FakeEngine.cpp"
                                      "${CMAKE_CURRENT_SOURCE_DIR}/support/ScriptedDialog.cpp"
                                      "${CMAKE_CURRENT_SOURCE_DIR}/support/ScriptedWindowSystem.cpp"
                                      "${CMAKE_CURRENT_SOURCE_DIR}/support/TempDir.cpp"
                                      "${CMAKE_CURRENT_SOURCE_DIR}/windows/WindowsTestSupport.cpp"
                                      "${CMAKE_CURRENT_SOURCE_DIR}/windows/LoopbackSocket_win32.cpp"
                                      "${CMAKE_CURRENT_SOURCE_DIR}/windows/TestSockets_win32.cpp")
target_include_directories(dravo_test_support PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
target_link_libraries(dravo_test_support PUBLIC dravoserv_core gtest)
target_compile_definitions(dravo_test_support PUBLIC ${DRAVO_TEST_DEFINITIONS})
target_compile_options(dravo_test_support PUBLIC -include "${CMAKE_CURRENT_SOURCE_DIR}/windows/PosixEnvironment.h")

file(GLOB_RECURSE DRAVO_UNIT_TESTS CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
file(GLOB DRAVO_WINDOWS_TEST_SUPPORT CONFIGURE_DEPENDS
     "${CMAKE_CURRENT_SOURCE_DIR}/window/win32/Win32ScriptedFace.cpp")
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/(refengine|integration|container)/")
# Layers that exist on POSIX systems only, or tests that drive them through POSIX calls.
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/(platform/os/SignalWatcher|app/StopSignals)_test\\.cpp$")
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/services/TcpServerDescriptors_test\\.cpp$")
# Pipes and FIFOs as POSIX systems have them.
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/(platform/os/QueuedOutput|app/LogFileFifo)_test\\.cpp$")
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/platform/os/ServiceNotify_test\\.cpp$") # a Unix socket
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/window/terminal/")
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/(platform/os/LineReader|window/headless/HeadlessWindowSystem)_test\\.cpp$")
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/window/WindowThreadQueue_test\\.cpp$")
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/ui/SetupWizardHosting_test\\.cpp$")
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/(host/session/InternetPresence|net/webreg/WebRegistrar)_test\\.cpp$")
# The stand-in sidecar is POSIX only; the Windows HTTP requests have tests of their own in tests/windows/.
list(FILTER DRAVO_UNIT_TESTS EXCLUDE REGEX "/tests/(services/fleet/FleetClient[A-Za-z]*|platform/http/HttpRequest)_test\\.cpp$")
add_executable(dravoserv_tests ${DRAVO_UNIT_TESTS} ${DRAVO_WINDOWS_TEST_SUPPORT}
                               "${PROJECT_SOURCE_DIR}/src/res/win32/DravoServ.rc")
target_link_libraries(dravoserv_tests PRIVATE dravo_test_support dravo_app gtest_main)
target_precompile_headers(dravoserv_tests PRIVATE <gtest/gtest.h> <chrono> <filesystem> <functional> <map>
                          <memory> <optional> <string> <string_view> <thread> <vector> <windows.h>)
# The test program needs no speed: built without optimisation it compiles much faster, while the code under
# test keeps the release flags.
target_compile_options(dravoserv_tests PRIVATE -O0)
add_dependencies(dravoserv_tests server ${DRAVO_TESTLIBS})

# One test for ctest: the whole binary under wine64 (it needs a display for the Win32 face). Every test's
# name is printed as it starts, so that a run that outlasts its bound shows the test it was in.
# Windows keeps a folder that holds an open file from being removed, so that one log file case cannot
# be staged there.
add_test(NAME WindowsUnitTests COMMAND dravoserv_tests
                                       --gtest_filter=-LogFile.ANewTroubleAfterRecoveryIsSaidAgain)
set_tests_properties(WindowsUnitTests PROPERTIES TIMEOUT 600)

# The Windows stage's helper inside Wine (scripts/test-windows.sh): holds a file open without sharing,
# and reads a message box's words.
add_executable(wine-probe "${CMAKE_CURRENT_SOURCE_DIR}/windows/e2e/WineProbe.cpp")
add_dependencies(dravoserv_tests wine-probe)
