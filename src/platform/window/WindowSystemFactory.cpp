// Choosing and creating the window system's face.
#include "platform/window/WindowSystemFactory.h"

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

} // namespace dravo
