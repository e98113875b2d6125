// Saving the variables file survives the process being killed at any moment:
// a child saves a large file over and over through the engine's server object
// while the test kills it with SIGKILL at random moments; the file on disk is
// then always exactly the old content or the new one.
#include "RefTestSupport.h"
#include "Server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dravo::ref {
namespace {

constexpr int VARIABLES = 3000; // about 200 KB of file
constexpr int ROUNDS = 300;
constexpr auto TIME_BOUND = std::chrono::seconds(15);

// A server object holding VARIABLES variables whose values all carry the given mark.
std::unique_ptr<Server> LargeServer(char mark) {
    auto server = std::make_unique<Server>();
    for (int i = 0; i < VARIABLES; ++i) {
        const std::string value(40, static_cast<char>(mark + i % 7));
        const std::string command = "\"+Setting" + std::to_string(i) + "\" \"" + value + " \\" + mark + "\"";
        EXPECT_EQ(server->ExecuteCommand(command.c_str()), ENGINE_STATUS_OK);
    }
    return server;
}

// Temporary files a killed save left beside the target; removes them and counts them.
int RemoveLeftovers(const std::filesystem::path& directory, const std::string& target) {
    int count = 0;
    for (const std::string& name : test::DirectoryNames(directory)) {
        if (name != target) {
            std::filesystem::remove(directory / name);
            ++count;
        }
    }
    return count;
}

TEST(CrashSafeSave, AFileKilledWhileSavingIsTheOldOrTheNewContent) {
    test::TempDirectory directory;
    const std::filesystem::path file = directory / "dravosrv.cfg";
    const std::unique_ptr<Server> oldServer = LargeServer('a');
    const std::unique_ptr<Server> newServer = LargeServer('n');

    // The two contents, as the engine writes them, and how long one save takes here.
    ASSERT_EQ(newServer->WriteVariablesFile(file.c_str()), ENGINE_STATUS_OK);
    const std::string newContent = test::ReadFile(file);
    const auto saveStart = std::chrono::steady_clock::now();
    ASSERT_EQ(oldServer->WriteVariablesFile(file.c_str()), ENGINE_STATUS_OK);
    const auto saveTime = std::chrono::steady_clock::now() - saveStart;
    const std::string oldContent = test::ReadFile(file);
    ASSERT_GT(oldContent.size(), 150000u);
    ASSERT_NE(oldContent, newContent);

    // Kill moments spread over about three saves, so kills land in every phase of one.
    const auto spreadUs =
        std::max<int64_t>(100, 3 * std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count());
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int64_t> delayUs(0, spreadUs);

    int rounds = 0, oldSeen = 0, newSeen = 0, killedMidSave = 0;
    const auto bound = std::chrono::steady_clock::now() + TIME_BOUND;
    while (rounds < ROUNDS && std::chrono::steady_clock::now() < bound) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child: says it runs, then saves the two contents by turns until it is killed.
            ::close(ready[0]);
            const char started = 1;
            if (::write(ready[1], &started, 1) != 1) {
                ::_exit(2);
            }
            for (bool next = true;; next = !next) {
                Server& server = next ? *newServer : *oldServer;
                if (server.WriteVariablesFile(file.c_str()) != ENGINE_STATUS_OK) {
                    ::_exit(3);
                }
            }
        }
        ::close(ready[1]);
        pollfd started{ready[0], POLLIN, 0};
        ASSERT_EQ(::poll(&started, 1, 10000), 1) << "the saving child did not start";
        ::close(ready[0]);
        // Not a wait for an event: this picks the random moment of the kill.
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with status " << WEXITSTATUS(status);

        const std::string onDisk = test::ReadFile(file);
        const bool isOld = onDisk == oldContent;
        const bool isNew = onDisk == newContent;
        ASSERT_TRUE(isOld || isNew) << "round " << rounds << ": the file holds " << onDisk.size()
                                    << " bytes that are neither the old nor the new content";
        oldSeen += isOld ? 1 : 0;
        newSeen += isNew ? 1 : 0;
        killedMidSave += RemoveLeftovers(directory.Path(), file.filename().string()) > 0 ? 1 : 0;
        ++rounds;
    }
    RecordProperty("rounds", rounds);
    RecordProperty("killed_mid_save", killedMidSave);
    // The kills did land inside saves: a killed save leaves its temporary file behind.
    EXPECT_GT(killedMidSave, 0) << rounds << " rounds, old " << oldSeen << ", new " << newSeen;
    std::cout << rounds << " rounds: old content " << oldSeen << ", new content " << newSeen << ", killed mid-save "
              << killedMidSave << "\n";
}

} // namespace
} // namespace dravo::ref
