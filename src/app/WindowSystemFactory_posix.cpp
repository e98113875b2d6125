// The program's faces on POSIX systems: the terminal face on a terminal, else the headless face.
#include "app/WindowSystemFactory.h"
#include "platform/os/StandardStreams.h"
#include "window/terminal/TerminalWindowSystem.h"

namespace dravo {
namespace {

constexpr FaceName FACES[] = {{WindowFace::Headless, "headless"}, {WindowFace::Terminal, "terminal"}};

} // namespace

std::span<const FaceName> AvailableFaces() {
    return FACES;
}

std::string_view DefaultFaceRule() {
    return "terminal when standard input and output are terminals, else headless";
}

std::unique_ptr<WindowSystem> CreateProgramWindowSystem(std::optional<WindowFace> requested,
                                                        const ProgramFaceOptions& options, std::string& error) {
    const WindowFace face = ChooseWindowFace(requested, StandardInputIsTerminal(), StandardOutputIsTerminal());
    if (face == WindowFace::Terminal) {
        TerminalOptions terminal;
        terminal.m_InputFd = StandardInputDescriptor();
        terminal.m_OutputFd = StandardOutputDescriptor();
        terminal.m_Err = options.m_Err;
        terminal.m_Out = options.m_Out;
        terminal.m_Pictures = options.m_Pictures;
        auto windows = std::make_unique<TerminalWindowSystem>(std::move(terminal));
        if (windows->Usable()) {
            return windows;
        }
        if (requested) {
            error = "ERROR - This terminal cannot show the dialogs; use -face headless.";
            return nullptr;
        }
    }
    HeadlessOptions headless;
    headless.m_InputFd = StandardInputDescriptor();
    headless.m_Out = options.m_Out;
    headless.m_Err = options.m_Err;
    headless.m_Pool = options.m_Pool;
    return CreateHeadlessWindowSystem(headless);
}

} // namespace dravo
