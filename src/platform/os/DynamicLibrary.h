// DynamicLibrary: a move-only owner of one loaded shared library.
#pragma once

#include <string>
#include <string_view>

namespace dravo {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Close(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Loads the library; on failure returns false and keeps the reason for Error().
    [[nodiscard]] bool Open(const std::string& path);
    // The address of an exported symbol, or null.
    void* Symbol(const char* name) const;
    void Close();

    bool IsOpen() const { return m_Handle != nullptr; }
    // The file name of a library called `stem` on this platform: "server.so", or "server.dll" on Windows.
    static std::string FileName(std::string_view stem);
    const std::string& Error() const { return m_Error; }

private:
    void* m_Handle = nullptr;
    std::string m_Error;
};

} // namespace dravo
