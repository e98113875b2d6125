// Server: the hosting console commands, the console variables hosting reads, and PostToGame.
//
//   status                  the level and the players
//   kick <id>               disconnects a player, as DisconnectClient does
//   addfrag <name> [n]      gives a player n frags (1 unless given), for tests and demos
//   failframe [text]        the next RunFrame fails with the text
//   exhaustmemory           the next RunFrame reports that memory ran out
//   stallframe <ms>         the next RunFrame first waits that long (a wedged game loop), at most 60000
//   gametext <text>         the next RunFrame hands the text up as if the game code had sent it
//   frameintervals [reset]  how regularly RunFrame has been called since the session opened (or the last reset)
// failframe, exhaustmemory, stallframe and gametext are test aids: help and cmdlist name them only
// while the variable testaids is set to 1.
//
// Variables (none exists until set; the default applies until then):
//   net_bindaddress   IPv4 address the game port is bound to, read by OpenGameSession; "" = every address
//   net_clienttimeout seconds a player may stay silent before it is dropped, default 10
//   fragrate          simulated frags per player per minute, default 4; 0 turns them off
//   fragseed          seed of the simulated frags, read by LoadWorld, default 1
#include "Server.h"

#include "TextUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace dravo::ref {

namespace {

constexpr const char* FRAG_RATE_VARIABLE = "fragrate";
constexpr const char* CLIENT_TIMEOUT_VARIABLE = "net_clienttimeout";
constexpr const char* DEFAULT_FRAME_FAILURE = "Simulated frame failure.";
constexpr double DEFAULT_FRAG_RATE = 4.0;
constexpr double DEFAULT_CLIENT_TIMEOUT_SECONDS = 10.0;
constexpr long long MAX_ADDED_FRAGS = 100000;
constexpr long long MAX_FRAME_STALL_MS = 60000;

// Texts the front end sends with PostToGame.
constexpr const char* GAME_INIT = "GAMEINIT";
constexpr const char* DEDICATED_SERVER = "DRAVOSERV";
constexpr const char* NEXT_LEVEL = "NEXTLEVEL";
constexpr const char* SAY_PREFIX = "SAY ";     // SAY <text>: to every player
constexpr const char* LEVEL_PREFIX = "LEVEL "; // LEVEL <name>: to that level of the rotation now
constexpr size_t MAX_POSTED_TEXT = 128;

bool Refuse(CommandInterpreter::Output& output, std::string text) {
    output.push_back(std::move(text));
    return false;
}

} // namespace

double Server::NumberVariable(const char* name, double fallback, double lowest, double highest) const {
    const Variable* variable = m_Variables.Find(name);
    double value = 0.0;
    if (variable == nullptr || !TextUtil::ParseNumber(variable->m_Text, value) || !(value == value)) {
        return fallback;
    }
    return std::clamp(value, lowest, highest);
}

std::string Server::TextVariable(const char* name) const {
    const Variable* variable = m_Variables.Find(name);
    return variable != nullptr ? variable->m_Text : std::string();
}

GameSession::FrameSettings Server::ReadFrameSettings() const {
    GameSession::FrameSettings settings;
    settings.m_FragsPerMinute = NumberVariable(FRAG_RATE_VARIABLE, DEFAULT_FRAG_RATE, 0.0, 1e6);
    settings.m_ClientTimeout = static_cast<uint64_t>(
        NumberVariable(CLIENT_TIMEOUT_VARIABLE, DEFAULT_CLIENT_TIMEOUT_SECONDS, 0.01, 86400.0) * 1e6);
    return settings;
}

void Server::AddHostingCommands() {
    // The handlers run inside ExecuteCommand, which holds m_Mutex.
    using Method = bool (Server::*)(const CommandLine&, CommandInterpreter::Output&);
    const auto add = [this](const char* name, const char* help, Method method, bool testAid = false) {
        m_Interpreter.AddCommand(
            name, help,
            [this, method](const CommandLine& words, CommandInterpreter::Output& out) {
                return (this->*method)(words, out);
            },
            testAid);
    };
    add("status", "status - shows the level and the players", &Server::StatusCommand);
    add("kick", "kick <id> - disconnects the player with this client id", &Server::KickCommand);
    add("addfrag", "addfrag <name> [n] - gives the player n frags (1 unless given)", &Server::AddFragCommand);
    add("failframe", "failframe [text] - the next frame fails with the text (a test aid)", &Server::FailFrameCommand,
        true);
    add("gametext",
        "gametext <text> - the next frame hands the text to the front end as a game message "
        "(a test aid: any message, malformed ones included)",
        &Server::GameTextCommand, true);
    add("stallframe", "stallframe <ms> - the next frame first waits that long, at most 60000 (a test aid)",
        &Server::StallFrameCommand, true);
    add("exhaustmemory", "exhaustmemory - the next frame reports that memory ran out (a test aid)",
        &Server::ExhaustMemoryCommand, true);
    add("frameintervals",
        "frameintervals [reset] - count, p50, p99 and longest interval between frames since "
        "hosting began or the last reset; reset starts a new count after the report",
        &Server::FrameIntervalsCommand);
    m_Interpreter.AddHelpLine("  Hosting variables: net_bindaddress (\"\" = every address), net_clienttimeout "
                              "(seconds, 10), fragrate (frags per player per minute, 4; 0 = off), fragseed (1)");
}

bool Server::StatusCommand(const CommandLine&, CommandInterpreter::Output& out) {
    if (!m_Session) {
        return Refuse(out, "No game session is open.");
    }
    const Match* match = m_Session->CurrentMatch();
    out.push_back(match ? "Level " + match->Current() + ", next " + match->Next() : std::string("No world runs."));
    for (const Client& client : m_Session->Clients().All()) {
        char line[160];
        std::snprintf(line, sizeof line, "  %u %s, %d frags, ping %d ms", client.m_Id, client.m_Name.c_str(),
                      client.m_Frags, static_cast<int>(client.m_PingSeconds * 1000.0f));
        out.emplace_back(line);
    }
    out.push_back(std::to_string(m_Session->Clients().Count()) + " of " +
                  std::to_string(m_Session->Clients().Capacity()) + " players");
    return true;
}

bool Server::KickCommand(const CommandLine& words, CommandInterpreter::Output& out) {
    long long id = 0;
    if (words.Count() != 2 || !TextUtil::ParseWholeNumber(words.Word(1), id) || id < 1 || id > UINT32_MAX) {
        return Refuse(out, "Usage: kick <client id>");
    }
    if (!m_Session || !m_Session->Disconnect(static_cast<uint32_t>(id))) {
        return Refuse(out, "There is no client with id " + std::to_string(id) + ".");
    }
    return true;
}

bool Server::AddFragCommand(const CommandLine& words, CommandInterpreter::Output& out) {
    long long frags = 1;
    if (words.Count() < 2 || words.Count() > 3 ||
        (words.Count() == 3 && !TextUtil::ParseWholeNumber(words.Word(2), frags)) || frags < 1 ||
        frags > MAX_ADDED_FRAGS) {
        return Refuse(out, "Usage: addfrag <name> [n], n from 1 to " + std::to_string(MAX_ADDED_FRAGS));
    }
    if (!m_Session || !m_Session->AddFrags(words.Word(1), static_cast<int32_t>(frags))) {
        return Refuse(out, "There is no player named " + words.Word(1) + ".");
    }
    return true;
}

bool Server::FailFrameCommand(const CommandLine& words, CommandInterpreter::Output&) {
    const std::string text = words.Count() > 1 ? words.Rest(0) : std::string();
    m_FailNextFrame = text.empty() ? std::string(DEFAULT_FRAME_FAILURE) : text;
    return true;
}

bool Server::GameTextCommand(const CommandLine& words, CommandInterpreter::Output& out) {
    if (words.Count() < 2) {
        return Refuse(out, "Usage: gametext <text>");
    }
    if (m_InjectedGameTexts.size() >= MAX_INJECTED_GAME_TEXTS) {
        return Refuse(out, "Too many game texts are waiting for the next frame.");
    }
    m_InjectedGameTexts.push_back(words.Rest(0));
    return true;
}

bool Server::StallFrameCommand(const CommandLine& words, CommandInterpreter::Output& out) {
    long long stall = 0;
    if (words.Count() != 2 || !TextUtil::ParseWholeNumber(words.Word(1), stall) || stall < 1 ||
        stall > MAX_FRAME_STALL_MS) {
        return Refuse(out, "Usage: stallframe <ms>, from 1 to " + std::to_string(MAX_FRAME_STALL_MS));
    }
    m_StallNextFrameMs = static_cast<uint32_t>(stall);
    return true;
}

bool Server::ExhaustMemoryCommand(const CommandLine&, CommandInterpreter::Output&) {
    m_ExhaustMemoryNextFrame = true;
    return true;
}

bool Server::FrameIntervalsCommand(const CommandLine& words, CommandInterpreter::Output& out) {
    out.push_back(m_FrameIntervals.Report());
    if (words.Count() > 1 && TextUtil::EqualsNoCase(words.Word(1), "reset")) {
        m_FrameIntervals.Reset();
    }
    return true;
}

int32_t Server::PostToGame(const char* text) {
    return Guarded(STATUS_FAILED, [&] {
        if (text == nullptr) {
            return Fail(STATUS_FAILED, "PostToGame needs a text.");
        }
        const std::string command(text, ::strnlen(text, MAX_POSTED_TEXT));
        std::string line;
        int32_t status = ENGINE_STATUS_OK;
        AppHandler* handler = nullptr;
        {
            std::lock_guard lock(m_Mutex);
            if (!m_Session) {
                m_LastError = "No game session is open.";
                return STATUS_FAILED;
            }
            if (command == GAME_INIT) {
                line = "Game code initialized.";
            } else if (command == DEDICATED_SERVER) {
                line = "Dedicated server ready.";
            } else if (command == NEXT_LEVEL && m_Session->HasWorld()) {
                m_Session->RequestLevelChange(); // the next frame changes the level
            } else if (command.starts_with(SAY_PREFIX)) {
                m_Session->Say(std::string_view(command).substr(std::string_view(SAY_PREFIX).size()));
            } else if (command.starts_with(LEVEL_PREFIX) &&
                       m_Session->RequestLevel(command.substr(std::string_view(LEVEL_PREFIX).size()))) {
                // the next frame changes to that level
            } else {
                line = "The game ignored \"" + command + "\"" +
                       (command == NEXT_LEVEL ? ": no world is running." : ": it is not a game command.");
                m_LastError = line;
                status = STATUS_FAILED;
            }
            handler = m_Handler;
        }
        if (!line.empty()) {
            Deliver(handler, std::vector<std::string>{line});
        }
        return status;
    });
}

} // namespace dravo::ref
