// The sample game copied for one test or benchmark, and its programs started on ports of their own.
#include "support/SampleGame.h"

#include "engine/loader/ServerLibrary.h"
#include "support/LoopbackPorts.h"
#include "support/TestPaths.h"

#include <fstream>

namespace dravo::test {
namespace {

constexpr auto START_LIMIT = std::chrono::seconds(30);

} // namespace

SampleGame::SampleGame(const std::filesystem::path& source) {
    std::filesystem::copy(source.empty() ? DataDir() : source, Path(), std::filesystem::copy_options::recursive);
    KeepToLoopback(Path());
}

void SampleGame::KeepToLoopback(const std::filesystem::path& gameDirectory) {
    const std::filesystem::path configuration = gameDirectory / "dravosrv.cfg";
    if (std::filesystem::exists(configuration)) {
        std::ofstream(configuration, std::ios::app) << "net_bindaddress \"127.0.0.1\"\n";
    }
}

bool SampleGame::Configure(const std::map<std::string, std::string>& values, std::string& error,
                           const std::string& file) const {
    ServerLibrary library;
    if (!library.LoadServerLibrary((BinDir() / "server.so").string()) || library.GetServer() == nullptr) {
        error = "cannot load server.so: " + library.FailureText();
        return false;
    }
    EngineServer& server = *library.GetServer();
    const std::string path = (Path() / file).string();
    if (server.ReadVariablesFile(path.c_str()) != ENGINE_STATUS_OK) {
        error = "cannot read " + path;
        return false;
    }
    for (const auto& [key, value] : values) {
        server.ExecuteCommand(("\"+" + key + "\" \"" + value + "\"").c_str());
    }
    if (server.WriteVariablesFile(path.c_str()) != ENGINE_STATUS_OK) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

std::unique_ptr<LiveProcess> SampleGame::StartServer(const std::vector<std::string>& arguments) {
    Start start;
    start.m_Arguments.insert(start.m_Arguments.end(), arguments.begin(), arguments.end());
    return StartServer(start);
}

std::unique_ptr<LiveProcess> SampleGame::StartServer(const Start& start) {
    const std::filesystem::path program = start.m_Program.empty() ? BinDir() / "dravoserv" : start.m_Program;
    const UdpPortPair ports = FreeUdpPorts();
    m_GamePort = ports.m_First;
    m_QueryPort = ports.m_Second;
    std::vector<std::string> arguments = start.m_Arguments;
    arguments.insert(arguments.end(),
                     {"+Port", std::to_string(m_GamePort), "+SpyQueryPort", std::to_string(m_QueryPort)});
    auto server = std::make_unique<LiveProcess>(program, arguments, Path());
    if (start.m_CloseInput) {
        server->CloseInput();
    }
    (void)server->WaitForAnyLine({RUNNING, HOSTING_FAILED}, START_LIMIT);
    return server;
}

std::unique_ptr<LiveProcess> SampleGame::StartBots(const std::vector<std::string>& arguments) const {
    std::vector<std::string> all = {"--host", "127.0.0.1", "--port", std::to_string(m_GamePort)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return std::make_unique<LiveProcess>(BinDir() / "dravo-bot", all, Path());
}

} // namespace dravo::test
