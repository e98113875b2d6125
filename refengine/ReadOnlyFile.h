// ReadOnlyFile: a regular file opened for reading, owned, that never makes the engine wait.
//
// Open refuses anything but a regular file (a link is followed): a FIFO, a
// device or a socket is turned away without waiting on it (opening a FIFO for
// reading would wait for a writer), a directory too, each with a sentence that
// says why. Reads are positioned, so one open file serves any number of
// readers in turn. Move-only; the file is closed with its owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace dravo::ref {

class ReadOnlyFile {
public:
    // The file, or nothing with `error` set to a sentence naming the file and the reason.
    static std::optional<ReadOnlyFile> Open(const std::filesystem::path& path, std::string& error);

    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();

    // The size when it was opened.
    uint64_t Size() const { return m_Size; }
    // Reads up to `count` bytes at `offset`; how many came, 0 at the end or on an error.
    size_t ReadAt(uint64_t offset, void* buffer, size_t count) const;
    // Exactly `count` bytes at `offset`, or false (the file ends sooner, or cannot be read).
    [[nodiscard]] bool ReadExactly(uint64_t offset, void* buffer, size_t count) const;

    // The whole file, when it holds at most maxBytes; empty error on success.
    static std::string ReadAll(const std::filesystem::path& path, size_t maxBytes, std::string& bytes);

private:
    // A descriptor on POSIX systems, a HANDLE on Windows.
    using Handle = intptr_t;
    static constexpr Handle NO_HANDLE = -1;

    ReadOnlyFile(Handle handle, uint64_t size) : m_Handle(handle), m_Size(size) {}
    void Close();

    Handle m_Handle = NO_HANDLE;
    uint64_t m_Size = 0;
};

} // namespace dravo::ref
