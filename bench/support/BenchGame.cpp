// The sample game copied for a benchmark.
#include "support/BenchGame.h"

#include "engine/ServerLibrary.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace dravo::bench {

std::filesystem::path BinDir() {
    return DRAVO_BIN_DIR;
}

std::filesystem::path DataDir() {
    return DRAVO_DATA_DIR;
}

uint16_t FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

BenchGame::BenchGame() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dravo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    m_Path = pattern;
    std::filesystem::copy(DataDir(), m_Path, std::filesystem::copy_options::recursive);
    m_Port = FreeUdpPort();
    Configure({{"Port", std::to_string(m_Port)}, {"fragrate", "0"}});
}

BenchGame::~BenchGame() {
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
}

bool BenchGame::Configure(const std::map<std::string, std::string>& values) {
    ServerLibrary library;
    if (!library.LoadServerLibrary((BinDir() / "server.so").string())) {
        return false;
    }
    EngineServer& server = *library.GetServer();
    const std::string file = (m_Path / "dravosrv.cfg").string();
    if (server.ReadVariablesFile(file.c_str()) != ENGINE_STATUS_OK) {
        return false;
    }
    for (const auto& [key, value] : values) {
        server.ExecuteCommand(("\"+" + key + "\" \"" + value + "\"").c_str());
    }
    return server.WriteVariablesFile(file.c_str()) == ENGINE_STATUS_OK;
}

} // namespace dravo::bench
