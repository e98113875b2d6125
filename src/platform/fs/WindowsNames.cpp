// The form Windows gives a file name: what can be worked out without the system.
#include "platform/fs/WindowsNames.h"

namespace dravo {

std::wstring WindowsNameForm(std::wstring_view name) {
    const size_t end = name.find_last_not_of(L". ");
    if (end == std::wstring_view::npos) {
        return std::wstring(name);
    }
    return std::wstring(name.substr(0, end + 1));
}

std::wstring FoldAsciiCase(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return folded;
}

} // namespace dravo
