// The Windows builds of the platform layers: library loading, drives, the program's directory, the
// clock, UDP over Winsock, the append-only file, local time, signals that do not exist, and the faces
// there are.
#include "app/WindowSystemFactory.h"
#include "platform/fs/AppendFile.h"
#include "platform/fs/Drives.h"
#include "platform/fs/FileSystem.h"
#include "platform/net/UdpSocket.h"
#include "platform/os/Clock.h"
#include "platform/os/DynamicLibrary.h"
#include "platform/os/LocalTime.h"
#include "platform/os/SignalWatcher.h"
#include "support/LoopbackSocket.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(WindowsDynamicLibrary, LoadsServerDllAndFindsItsExports) {
    EXPECT_EQ(DynamicLibrary::FileName("server"), "server.dll");
    DynamicLibrary library;
    ASSERT_TRUE(library.Open(test::ServerLibraryPath().string())) << library.Error();
    EXPECT_NE(library.Symbol("CreateServer"), nullptr);
    EXPECT_NE(library.Symbol("DeleteServer"), nullptr);
    EXPECT_EQ(library.Symbol("NoSuchExport"), nullptr);
    library.Close();
    EXPECT_FALSE(library.IsOpen());
}

TEST(WindowsDynamicLibrary, AMissingLibrarySaysWhyAndABareNameIsRelativeToTheCurrentDirectory) {
    test::TempDir directory;
    test::CurrentDirectory current(directory.Path());
    DynamicLibrary library;
    directory.Write("present.txt", "not a library");
    EXPECT_FALSE(library.Open("absent.dll")); // not searched in the system's folders
    EXPECT_NE(library.Error().find("absent.dll"), std::string::npos) << library.Error();
    EXPECT_FALSE(library.Open("present.txt"));
    EXPECT_FALSE(library.Open("Z:\\nonexistent\\server.dll"));
}

TEST(WindowsDrives, TheSystemDriveIsAFixedRootAndMissingLettersHaveNone) {
    const auto drives = CreateSystemDrives();
    constexpr uint32_t DRIVE_TYPE_FIXED = 3;
    EXPECT_EQ(drives->DriveType('C'), DRIVE_TYPE_FIXED);
    EXPECT_EQ(drives->DriveType('c'), DRIVE_TYPE_FIXED);
    ASSERT_TRUE(drives->Root('c').has_value());
    EXPECT_EQ(drives->Root('c')->string(), "C:\\");
    int missing = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (!drives->Root(letter)) {
            EXPECT_EQ(drives->DriveType(letter), DRIVE_TYPE_NO_ROOT) << letter;
            ++missing;
        }
    }
    EXPECT_GT(missing, 0);
    EXPECT_EQ(drives->DriveType('?'), DRIVE_TYPE_NO_ROOT);
}

TEST(WindowsFileSystem, TheProgramDirectoryHoldsTheTests) {
    EXPECT_TRUE(std::filesystem::exists(ExecutableDirectory() / "dravoserv_tests.exe"));
}

TEST(WindowsClock, CountsMillisecondsAndSleeps) {
    const auto clock = CreateSystemClock();
    const uint32_t start = clock->NowMs();
    clock->SleepMs(30);
    const uint32_t elapsed = clock->NowMs() - start;
    EXPECT_GE(elapsed, 25u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(WindowsUdpSocket, APortUnreachableForAnEarlierSendNeverFailsTheReads) {
    constexpr uint32_t LOOPBACK = 0x7F000001;
    auto socket = UdpSocket::Open(0, LOOPBACK);
    auto closed = UdpSocket::Open(0, LOOPBACK);
    ASSERT_TRUE(socket && closed);
    const uint16_t closedPort = closed->Port();
    closed->Close();
    ASSERT_TRUE(socket->SendTo("x", 1, NetPeer{LOOPBACK, closedPort})); // the system answers "unreachable"
    test::LoopbackSocket peer(LOOPBACK, 0);
    ASSERT_TRUE(peer.SendTo(LOOPBACK, socket->Port(), "after"));
    char buffer[16];
    UdpDatagram datagrams[1];
    int taken = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (taken == 0 && std::chrono::steady_clock::now() < end) {
        taken = socket->ReceiveBatch(buffer, sizeof buffer, datagrams, 1);
        ASSERT_GE(taken, 0);
    }
    ASSERT_EQ(taken, 1);
    EXPECT_EQ(std::string(datagrams[0].m_Data, datagrams[0].m_Length), "after");
}

TEST(WindowsAppendFile, AppendsAndCanBeRenamedWhileOpen) {
    test::TempDir directory;
    const std::string path = (directory.Path() / "server.log").string();
    std::string error;
    {
        AppendFile file;
        ASSERT_TRUE(file.Open(path, error)) << error;
        ASSERT_TRUE(file.Write("one\n", error)) << error;
    }
    AppendFile file;
    ASSERT_TRUE(file.Open(path, error)) << error;
    ASSERT_TRUE(file.Write("two\n", error)) << error;
    std::filesystem::rename(path, directory.Path() / "server.log.1"); // log rotation while it runs
    ASSERT_TRUE(file.Write("three\n", error)) << error;
    file.Close();
    EXPECT_EQ(directory.Read("server.log.1"), "one\ntwo\nthree\n");
    EXPECT_FALSE(file.Open((directory.Path() / "missing" / "x.log").string(), error));
    EXPECT_FALSE(error.empty());
}

TEST(WindowsLocalTime, TheOffsetMatchesTheFields) {
    const std::time_t moment = 1714570000; // 2024-05-01T13:26:40Z
    const LocalTime local = ToLocalTime(moment);
    std::tm asUtc = local.m_Fields;
    EXPECT_EQ(_mkgmtime(&asUtc) - local.m_UtcOffsetSeconds, moment);
    EXPECT_LE(std::labs(local.m_UtcOffsetSeconds), 14 * 3600);
}

TEST(WindowsSignals, HangupAndResizeDoNotExistAndTakeNothing) {
    EXPECT_TRUE(SignalWatcher::Exists(Signal::Terminate));
    EXPECT_TRUE(SignalWatcher::Exists(Signal::Interrupt));
    EXPECT_FALSE(SignalWatcher::Exists(Signal::Hangup));
    EXPECT_FALSE(SignalWatcher::Exists(Signal::Resize));
    SignalWatcher hangup({Signal::Hangup}, [](Signal) {});
    EXPECT_FALSE(hangup.IsWatching());
}

TEST(WindowsFaces, Win32IsTheDefaultAndThereIsNoTerminalFace) {
    ASSERT_FALSE(AvailableFaces().empty());
    EXPECT_EQ(AvailableFaces()[0].m_Face, WindowFace::Win32);
    EXPECT_EQ(FindFace("HEADLESS"), WindowFace::Headless);
    EXPECT_FALSE(FindFace("terminal").has_value());
    EXPECT_EQ(FaceNames("|"), "win32|headless");
}

} // namespace
} // namespace dravo
