// The program's face on Windows: real dialogs by default; the headless face for services and consoles.
#include "platform/window/Win32WindowSystem.h"
#include "platform/window/WindowSystemFactory.h"

#include <windows.h>

#include <cstdio>

namespace dravo {
namespace {

constexpr FaceName FACES[] = {{WindowFace::Win32, "win32"}, {WindowFace::Headless, "headless"}};

bool HasHandle(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// The program is a windowed one, so it has standard streams only when it was given them (a pipe, a file,
// a service manager). Without them the headless face takes the console it was started from, or opens one,
// so that the log shows, commands can be typed, and Ctrl+C and closing the console end it cleanly.
void EnsureConsoleStreams() {
    if (HasHandle(STD_OUTPUT_HANDLE) && HasHandle(STD_INPUT_HANDLE)) {
        return;
    }
    const bool output = HasHandle(STD_OUTPUT_HANDLE);
    const bool input = HasHandle(STD_INPUT_HANDLE);
    const bool errors = HasHandle(STD_ERROR_HANDLE);
    if (AttachConsole(ATTACH_PARENT_PROCESS) == 0 && AllocConsole() == 0) {
        return;
    }
    FILE* stream = nullptr;
    if (!input) {
        (void)freopen_s(&stream, "CONIN$", "r", stdin);
    }
    if (!output) {
        (void)freopen_s(&stream, "CONOUT$", "w", stdout);
    }
    if (!errors) {
        (void)freopen_s(&stream, "CONOUT$", "w", stderr);
    }
}

} // namespace

std::span<const FaceName> AvailableFaces() {
    return FACES;
}

std::string_view DefaultFaceRule() {
    return "win32";
}

std::unique_ptr<WindowSystem> CreateProgramWindowSystem(std::optional<WindowFace> requested,
                                                        const ProgramFaceOptions& options, std::string& error) {
    if (requested == WindowFace::Headless) {
        EnsureConsoleStreams();
        HeadlessOptions headless;
        headless.m_InputFd = _fileno(stdin);
        headless.m_Out = options.m_Out;
        headless.m_Err = options.m_Err;
        return CreateHeadlessWindowSystem(headless);
    }
    if (requested && requested != WindowFace::Win32) {
        error = "ERROR - There is no terminal face on Windows; use -face win32 or -face headless.";
        return nullptr;
    }
    return std::make_unique<Win32WindowSystem>();
}

} // namespace dravo
