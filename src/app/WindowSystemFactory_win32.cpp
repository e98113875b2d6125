// The program's faces on Windows: real dialogs by default; the headless face for services and consoles.
#include "app/WindowSystemFactory.h"
#include "platform/os/StandardStreams.h"
#include "window/win32/Win32WindowSystem.h"

namespace dravo {
namespace {

constexpr FaceName FACES[] = {{WindowFace::Win32, "win32"}, {WindowFace::Headless, "headless"}};

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
        headless.m_InputFd = StandardInputDescriptor();
        headless.m_Out = options.m_Out;
        headless.m_Err = options.m_Err;
        headless.m_Pool = options.m_Pool;
        return CreateHeadlessWindowSystem(headless);
    }
    if (requested && requested != WindowFace::Win32) {
        error = "ERROR - There is no terminal face on Windows; use -face win32 or -face headless.";
        return nullptr;
    }
    Win32Options win32;
    win32.m_Out = options.m_Out; // the queued standard streams: a stalled reader holds up no late line
    win32.m_Err = options.m_Err;
    return std::make_unique<Win32WindowSystem>(win32);
}

} // namespace dravo
