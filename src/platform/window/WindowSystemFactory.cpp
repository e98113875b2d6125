// Choosing and creating the window system's face.
#include "platform/window/WindowSystemFactory.h"

#include <utility>

namespace dravo {

WindowFace ChooseWindowFace(std::optional<WindowFace> requested, bool inputIsTerminal, bool outputIsTerminal) {
    if (requested) {
        return *requested;
    }
    return inputIsTerminal && outputIsTerminal ? WindowFace::Terminal : WindowFace::Headless;
}

std::unique_ptr<WindowSystem> CreateHeadlessWindowSystem(const HeadlessOptions& options) {
    return std::make_unique<HeadlessWindowSystem>(options);
}

std::unique_ptr<WindowSystem> CreateTerminalWindowSystem(TerminalOptions options) {
    auto terminal = std::make_unique<TerminalWindowSystem>(std::move(options));
    if (!terminal->Usable()) {
        return nullptr;
    }
    return terminal;
}

} // namespace dravo
