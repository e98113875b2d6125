// Fuzzes the reference engine's command interpreter through its server object:
// each line of the input is one console command given to ExecuteCommand.
#include "Server.h"
#include "engine/AppHandler.h"

#include <string>

namespace {

// Takes the engine's console output, as the front end would, and drops it.
class QuietHandler final : public dravo::AppHandler {
public:
    int32_t OnGameText(const char*) override { return 0; }
    int32_t OnConsoleLine(const char* text) override { return text == nullptr ? 1 : 0; }
    int32_t OnMemoryExhausted() override { return 0; }
    int32_t OnForeignDatagram(const void*, uint32_t, const uint8_t[4], uint16_t) override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QuietHandler handler;
    dravo::ref::Server server;
    server.AttachHandler(&handler);
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) {
            end = input.size();
        }
        const std::string line = input.substr(start, end - start);
        server.ExecuteCommand(line.c_str());
        start = end + 1;
    }
    // Every variable the commands made reads back as a number and as text without fault.
    const char* names[] = {"fragrate", "RunSpeed", "TractorBeam", "WorldColorNight", "net_bindaddress"};
    for (const char* name : names) {
        dravo::VariableHandle handle = nullptr;
        if (server.FindVariable(name, &handle, nullptr) == dravo::ENGINE_STATUS_OK && handle != nullptr) {
            float value = 0;
            char text[64];
            (void)server.ReadVariableFloat(handle, &value);
            (void)server.ReadVariableText(handle, text, sizeof text);
        }
    }
    return 0;
}
