// Server: the engine's server object behind the EngineServer interface.
//
// Contract. The front end creates one object through CreateServer and calls it
// from its window thread and its worker thread, sometimes at once: every
// operation takes the object's own mutex for the state it touches and lets go
// of it before calling the AppHandler, so a handler may call straight back
// in. No exception leaves an operation: each one turns a failure (out of
// memory included) into its failure result and the text LastErrorText gives.
// Lists handed out (ListResourceDir, ListServices) stay owned here until they
// come back through their Release operation or the object is destroyed.
//
// Hosting (game session, worlds, frames, clients, datagrams) lives in
// ServerHosting.cpp and ServerFrame.cpp, its console commands and variables in
// ServerCommands.cpp; until a game session is open those operations fail.
// Game messages go to the handler on the thread that is inside the call that
// caused them: RunFrame (the worker thread) for everything the players and the
// match do, LoadWorld for the first state update. DisconnectClient and
// "NEXTLEVEL" only take effect; their messages follow with the next RunFrame.
// A level change is sent within one RunFrame: "level change begins", the
// change itself, "level changed", then a state update.
#pragma once

#include "CommandInterpreter.h"
#include "FrameIntervals.h"
#include "GameSession.h"
#include "HandedOutLists.h"
#include "NetworkServices.h"
#include "ResourceSet.h"
#include "VariableStore.h"
#include "VariablesFile.h"
#include "engine/AppHandler.h"
#include "engine/EngineServer.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace dravo::ref {

class Server final : public EngineServer {
public:
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    int32_t AttachHandler(AppHandler* handler) override;
    int32_t ExecuteCommand(const char* command) override;
    int32_t FindVariable(const char* name, VariableHandle* handle, const char* valueText) override;
    int32_t ReadVariableFloat(VariableHandle handle, float* value) override;
    int32_t ReadVariableText(VariableHandle handle, char* buffer, uint32_t size) override;
    int32_t ReadVariablesFile(const char* path) override;
    int32_t WriteVariablesFile(const char* path) override;
    int32_t PostToGame(const char* text) override;
    int32_t MountResources(const char* const* names, uint32_t count) override;
    DirEntry* ListResourceDir(const char* directory) override;
    int32_t ReleaseResourceDir(DirEntry* first) override;
    int32_t LoadWorld(const LoadWorldRequest* request) override;
    uint32_t CountClients() override;
    int32_t DescribeClient(uint32_t index, ClientRecord* record) override;
    int32_t DisconnectClient(uint32_t clientId) override;
    int32_t LastErrorText(char* buffer, uint32_t size) override;
    int32_t RunFrame(uint32_t flags) override;
    int32_t StartNetworking(uint32_t reserved1, uint32_t reserved2) override;
    int32_t ListServices(ServiceRecord** first) override;
    int32_t ReleaseServices(ServiceRecord* first) override;
    int32_t UseService(uint32_t serviceId) override;
    int32_t OpenGameSession(const OpenGameSessionRequest* request) override;
    int32_t QueryHostAddress(char* buffer, uint32_t size, uint16_t* port) override;
    int32_t SendGameDatagram(const void* data, uint32_t length, const char* address, uint32_t port) override;
    int32_t Reserved1() override { return ENGINE_STATUS_OK; }
    int32_t Reserved2() override { return ENGINE_STATUS_OK; }
    int32_t Reserved3() override { return ENGINE_STATUS_OK; }

    // Variables files larger than this are refused rather than read.
    static constexpr size_t MAX_VARIABLES_FILE_SIZE = size_t{16} * 1024 * 1024;
    // Players a session takes at most.
    static constexpr uint32_t MAX_PLAYERS = 128;

private:
    static constexpr int32_t STATUS_FAILED = 1;
    static constexpr int32_t BOOL_FALSE = 0;

    // Runs an operation's body; an exception becomes `failure` and the last error text.
    template <typename Result, typename Body> Result Guarded(Result failure, Body&& body) noexcept {
        try {
            return body();
        } catch (const std::bad_alloc&) {
            NoteFailure("The engine ran out of memory.");
        } catch (...) {
            NoteFailure("The engine failed unexpectedly.");
        }
        return failure;
    }
    void NoteFailure(const char* text) noexcept;
    // A variables file read through the bounded reader, or nothing with `error` saying why.
    static std::optional<VariablesFile::Parsed> ReadVariables(const std::filesystem::path& path, std::string& error);
    // Records the error (taking the lock) and returns `failure`.
    template <typename Result> Result Fail(Result failure, std::string text) {
        std::lock_guard lock(m_Mutex);
        m_LastError = std::move(text);
        return failure;
    }
    AppHandler* CurrentHandler();
    // Hands console lines to the handler; called without the lock held.
    static void Deliver(AppHandler* handler, const std::vector<std::string>& lines);
    // Hands the session's events to the handler; called without the lock held.
    static void Deliver(AppHandler* handler, const EngineEvents& events);

    // ServerCommands.cpp: the hosting commands and the variables hosting reads (lock held).
    void AddHostingCommands();
    bool StatusCommand(const CommandLine& words, CommandInterpreter::Output& out);
    bool KickCommand(const CommandLine& words, CommandInterpreter::Output& out);
    bool AddFragCommand(const CommandLine& words, CommandInterpreter::Output& out);
    bool FailFrameCommand(const CommandLine& words, CommandInterpreter::Output& out);
    bool GameTextCommand(const CommandLine& words, CommandInterpreter::Output& out);
    bool StallFrameCommand(const CommandLine& words, CommandInterpreter::Output& out);
    bool ExhaustMemoryCommand(const CommandLine& words, CommandInterpreter::Output& out);
    bool FrameIntervalsCommand(const CommandLine& words, CommandInterpreter::Output& out);
    double NumberVariable(const char* name, double fallback, double lowest, double highest) const;
    std::string TextVariable(const char* name) const;
    GameSession::FrameSettings ReadFrameSettings() const;
    // ServerFrame.cpp: the level change of a frame, sent without the lock held.
    void ChangeLevel(AppHandler* handler);
    // Microseconds of the steady clock.
    static uint64_t Now();

    std::mutex m_Mutex;
    AppHandler* m_Handler = nullptr;
    VariableStore m_Variables;
    CommandInterpreter m_Interpreter{m_Variables};
    const std::string m_LibraryName; // named in the first line of a saved variables file
    std::string_view m_LineBreak;    // of saved variables files: the platform's, or that of the file read last
    NetworkServices m_Network;
    std::shared_ptr<const ResourceSet> m_Resources; // replaced whole by MountResources
    HandedOutLists m_Lists;
    std::string m_LastError;
    std::unique_ptr<GameSession> m_Session;       // from OpenGameSession on
    FrameIntervals m_FrameIntervals;              // between RunFrame calls since the session opened
    std::optional<std::string> m_FailNextFrame;   // set by "failframe": the next RunFrame fails with this text
    bool m_ExhaustMemoryNextFrame = false;        // set by "exhaustmemory"
    std::atomic<uint32_t> m_StallNextFrameMs{0};  // set by "stallframe": the next RunFrame first waits this long
    std::vector<std::string> m_InjectedGameTexts; // set by "gametext", handed up by the next frame
    static constexpr size_t MAX_INJECTED_GAME_TEXTS = 64;
};

} // namespace dravo::ref
