// wine-probe.exe: the Windows stage's hands inside Wine, for what a Linux script cannot do to a Windows
// program from outside.
//   wine-probe.exe hold FILE SECONDS       opens FILE without sharing, says "held" on standard output,
//                                          and keeps it open for SECONDS (or until it is ended)
//   wine-probe.exe box-text TITLE SECONDS  waits at most SECONDS for a window titled TITLE and writes
//                                          the texts of its labels, one a line (a message box's words)
// Exit status 0 when done, 1 when the file cannot be opened or no such window came, 2 for a wrong call.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD POLL_MS = 50;
constexpr UINT GET_TEXT_TIMEOUT_MS = 2000;
constexpr int TEXT_SIZE = 4096;

std::wstring Wide(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(wide.find(L'\0'));
    return wide;
}

DWORD Milliseconds(const char* seconds) {
    const long value = std::strtol(seconds, nullptr, 10);
    return value > 0 && value <= 600 ? static_cast<DWORD>(value) * 1000u : 0;
}

int Hold(const char* path, DWORD milliseconds) {
    HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "Cannot open %s: error %lu\n", path, GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(milliseconds);
    CloseHandle(file);
    return 0;
}

BOOL CALLBACK WriteLabel(HWND child, LPARAM) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") != 0) {
        return TRUE;
    }
    // WM_GETTEXT is carried across processes; a label that does not answer in time is left out.
    wchar_t text[TEXT_SIZE] = {};
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(child, WM_GETTEXT, TEXT_SIZE, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                            GET_TEXT_TIMEOUT_MS, &copied) != 0 &&
        copied > 0) {
        char bytes[TEXT_SIZE * 2] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
        std::printf("%s\n", bytes);
    }
    return TRUE;
}

int BoxText(const char* title, DWORD milliseconds) {
    const std::wstring wanted = Wide(title);
    for (DWORD waited = 0; waited <= milliseconds; waited += POLL_MS) {
        if (HWND box = FindWindowW(nullptr, wanted.c_str()); box != nullptr) {
            EnumChildWindows(box, &WriteLabel, 0);
            std::fflush(stdout);
            return 0;
        }
        Sleep(POLL_MS);
    }
    std::fprintf(stderr, "No window titled \"%s\".\n", title);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string verb = argc == 4 ? argv[1] : "";
    const DWORD milliseconds = argc == 4 ? Milliseconds(argv[3]) : 0;
    if (milliseconds == 0 || (verb != "hold" && verb != "box-text")) {
        std::fprintf(stderr, "usage: wine-probe.exe hold FILE SECONDS | box-text TITLE SECONDS (1 to 600)\n");
        return 2;
    }
    return verb == "hold" ? Hold(argv[2], milliseconds) : BoxText(argv[2], milliseconds);
}
