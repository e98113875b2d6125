// Choosing the window system's face: what every system shares.
#include "app/WindowSystemFactory.h"

#include "platform/os/Text.h"

namespace dravo {

std::optional<WindowFace> FindFace(std::string_view name) {
    for (const FaceName& face : AvailableFaces()) {
        if (EqualNoCase(face.m_Name, name)) {
            return face.m_Face;
        }
    }
    return std::nullopt;
}

std::string FaceNames(std::string_view separator) {
    std::string names;
    for (const FaceName& face : AvailableFaces()) {
        if (!names.empty()) {
            names += separator;
        }
        names += face.m_Name;
    }
    return names;
}

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
