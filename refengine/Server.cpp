// Server: console, variables and error text of the engine's server object.
#include "Server.h"

#include "AtomicFile.h"
#include "EnginePlatform.h"
#include "ReadOnlyFile.h"
#include "TextUtil.h"
#include "VariablesFile.h"

namespace dravo::ref {

Server::Server()
    : m_LibraryName(OwnLibraryName()), m_LineBreak(NativeLineBreak()), m_Resources(std::make_shared<ResourceSet>()) {
    AddHostingCommands();
}

Server::~Server() = default;

void Server::NoteFailure(const char* text) noexcept {
    try {
        std::lock_guard lock(m_Mutex);
        m_LastError.assign(text);
    } catch (...) {
        // Nothing more can be done; the failure result still goes back.
    }
}

AppHandler* Server::CurrentHandler() {
    std::lock_guard lock(m_Mutex);
    return m_Handler;
}

void Server::Deliver(AppHandler* handler, const std::vector<std::string>& lines) {
    if (handler == nullptr) {
        return;
    }
    for (const std::string& line : lines) {
        handler->OnConsoleLine(line.c_str());
    }
}

int32_t Server::AttachHandler(AppHandler* handler) {
    return Guarded(STATUS_FAILED, [&] {
        std::lock_guard lock(m_Mutex);
        m_Handler = handler;
        return ENGINE_STATUS_OK;
    });
}

int32_t Server::ExecuteCommand(const char* command) {
    return Guarded(STATUS_FAILED, [&] {
        if (command == nullptr) {
            return Fail(STATUS_FAILED, "No command text was given.");
        }
        std::vector<std::string> output;
        AppHandler* handler = nullptr;
        bool executed = false;
        {
            std::lock_guard lock(m_Mutex);
            executed = m_Interpreter.Execute(command, output);
            if (!executed && !output.empty()) {
                m_LastError = output.back();
            }
            handler = m_Handler;
        }
        Deliver(handler, output);
        return executed ? ENGINE_STATUS_OK : STATUS_FAILED;
    });
}

int32_t Server::FindVariable(const char* name, VariableHandle* handle, const char* /*valueText*/) {
    return Guarded(STATUS_FAILED, [&] {
        if (handle == nullptr || name == nullptr) {
            return Fail(STATUS_FAILED, "FindVariable needs a name and a place for the handle.");
        }
        *handle = nullptr;
        std::lock_guard lock(m_Mutex);
        Variable* variable = m_Variables.Find(name);
        if (variable == nullptr) {
            m_LastError = std::string("There is no console variable named ") + name + ".";
            return STATUS_FAILED;
        }
        *handle = variable;
        return ENGINE_STATUS_OK;
    });
}

int32_t Server::ReadVariableFloat(VariableHandle handle, float* value) {
    return Guarded(STATUS_FAILED, [&] {
        std::lock_guard lock(m_Mutex);
        if (value == nullptr || !m_Variables.Owns(handle)) {
            m_LastError = "ReadVariableFloat needs a variable handle from FindVariable and a place for the value.";
            return STATUS_FAILED;
        }
        *value = TextUtil::LeadingFloat(static_cast<const Variable*>(handle)->m_Text);
        return ENGINE_STATUS_OK;
    });
}

int32_t Server::ReadVariableText(VariableHandle handle, char* buffer, uint32_t size) {
    return Guarded(STATUS_FAILED, [&] {
        std::lock_guard lock(m_Mutex);
        if (!m_Variables.Owns(handle)) {
            m_LastError = "ReadVariableText needs a variable handle from FindVariable.";
            return STATUS_FAILED;
        }
        if (!TextUtil::CopyCut(static_cast<const Variable*>(handle)->m_Text, buffer, size)) {
            m_LastError = "ReadVariableText needs a buffer of at least one byte.";
            return STATUS_FAILED;
        }
        return ENGINE_STATUS_OK;
    });
}

int32_t Server::ReadVariablesFile(const char* path) {
    return Guarded(STATUS_FAILED, [&] {
        if (path == nullptr || *path == '\0') {
            return Fail(STATUS_FAILED, "No variables file was named.");
        }
        std::string error;
        std::optional<VariablesFile::Parsed> read = ReadVariables(path, error);
        if (!read) {
            return Fail(STATUS_FAILED, std::move(error));
        }
        VariablesFile::Parsed& parsed = *read;
        AppHandler* handler = nullptr;
        {
            std::lock_guard lock(m_Mutex);
            for (const Variable& variable : parsed.m_Variables) {
                m_Variables.Set(variable.m_Name, variable.m_Text);
            }
            if (!parsed.m_LineBreak.empty()) {
                m_LineBreak = parsed.m_LineBreak; // the file is saved again as it was written
            }
            handler = m_Handler;
        }
        Deliver(handler, parsed.m_Problems);
        return ENGINE_STATUS_OK;
    });
}

std::optional<VariablesFile::Parsed> Server::ReadVariables(const std::filesystem::path& path, std::string& error) {
    const std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(path, error);
    if (!file) {
        return std::nullopt;
    }
    if (file->Size() > MAX_VARIABLES_FILE_SIZE) {
        error = "Cannot read " + path.string() + ": it is larger than " +
                std::to_string(MAX_VARIABLES_FILE_SIZE >> 20) + " MiB, more than a variables file may be.";
        return std::nullopt;
    }
    // Read and parsed a piece at a time: what stays is what the file sets, not the file.
    VariablesFile::Reader reader(path.string());
    char chunk[16384];
    uint64_t offset = 0;
    while (const size_t got = file->ReadAt(offset, chunk, sizeof chunk)) {
        offset += got;
        if (offset > MAX_VARIABLES_FILE_SIZE) { // it grew while it was read
            error = "Cannot read " + path.string() + ": it grew past " + std::to_string(MAX_VARIABLES_FILE_SIZE >> 20) +
                    " MiB while it was read.";
            return std::nullopt;
        }
        reader.Feed(std::string_view(chunk, got));
    }
    return reader.Finish();
}

int32_t Server::WriteVariablesFile(const char* path) {
    return Guarded(STATUS_FAILED, [&] {
        if (path == nullptr || *path == '\0') {
            return Fail(STATUS_FAILED, "No variables file was named.");
        }
        std::string text;
        {
            std::lock_guard lock(m_Mutex);
            text = VariablesFile::Compose(m_Variables, {.m_LineBreak = m_LineBreak, .m_Library = m_LibraryName});
        }
        if (std::string error = AtomicFile::Write(path, text); !error.empty()) {
            return Fail(STATUS_FAILED, std::move(error));
        }
        return ENGINE_STATUS_OK;
    });
}

int32_t Server::LastErrorText(char* buffer, uint32_t size) {
    return Guarded(STATUS_FAILED, [&] {
        std::lock_guard lock(m_Mutex);
        return TextUtil::CopyCut(m_LastError, buffer, size) ? ENGINE_STATUS_OK : STATUS_FAILED;
    });
}

} // namespace dravo::ref
