// Reading single console variables.
#include "settings/VariableReader.h"

#include <vector>

namespace dravo {
namespace {

VariableHandle Find(EngineServer& server, const char* name) {
    VariableHandle handle = nullptr;
    if (server.FindVariable(name, &handle, nullptr) != ENGINE_STATUS_OK) {
        return nullptr;
    }
    return handle;
}

} // namespace

std::optional<double> ReadNumberVariable(EngineServer& server, const char* name, double low, double high) {
    VariableHandle handle = Find(server, name);
    float value = 0.0f;
    if (handle == nullptr || server.ReadVariableFloat(handle, &value) != ENGINE_STATUS_OK) {
        return std::nullopt;
    }
    if (!(value >= low && value <= high)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ReadTextVariable(EngineServer& server, const char* name, size_t size) {
    VariableHandle handle = Find(server, name);
    if (handle == nullptr || size < 2) {
        return std::nullopt;
    }
    std::vector<char> text(size, '\0');
    if (server.ReadVariableText(handle, text.data(), static_cast<uint32_t>(size)) != ENGINE_STATUS_OK) {
        return std::nullopt;
    }
    text.back() = '\0';
    if (text[0] == '\0') {
        return std::nullopt;
    }
    return std::string(text.data());
}

} // namespace dravo
