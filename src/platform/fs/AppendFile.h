// AppendFile: an owned file opened for appending (created when missing), written a whole text at a time.
//
// Move-only; closed with its owner. On Windows the file is shared for reading, writing and deleting, so
// that the operator can read, rename or remove it while it is open, and the path may name a pipe
// (\\.\pipe\NAME). On POSIX systems the open never waits for someone else: a FIFO with no reader is
// refused at once. On both, a write to a FIFO or pipe whose reader does not read waits for it in short
// slices, for as long as the caller's give-up flag stays down.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace dravo {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile() { Close(); }
    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens the file for appending; false with the system's reason in `error`.
    [[nodiscard]] bool Open(const std::string& path, std::string& error);
    // Appends all of `text`, or nothing of it: false with the system's reason in `error` at the first
    // failure, and what was written of it taken back out (in a regular file; a FIFO keeps what it took).
    // When `giveUp` is set while the write waits for a reader, it ends false with GAVE_UP in `error`.
    [[nodiscard]] bool Write(std::string_view text, std::string& error, const std::atomic<bool>* giveUp = nullptr);
    static constexpr const char* GAVE_UP = "given up";
    void Close();
    bool IsOpen() const { return m_Handle != NO_HANDLE; }

private:
    // A descriptor on POSIX systems, a HANDLE on Windows.
    using Handle = intptr_t;
    static constexpr Handle NO_HANDLE = -1;

    Handle m_Handle = NO_HANDLE;
};

} // namespace dravo
