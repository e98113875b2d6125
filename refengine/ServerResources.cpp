// Server: resource mounting and directory listings of the engine's server object.
#include "Server.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace dravo::ref {

int32_t Server::MountResources(const char* const* names, uint32_t count) {
    return Guarded(BOOL_FALSE, [&] {
        if (names == nullptr || count == 0) {
            return Fail(BOOL_FALSE, "No resources were named.");
        }
        std::vector<std::string> list;
        list.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            list.emplace_back(names[i] != nullptr ? names[i] : "");
        }
        std::error_code code;
        const std::filesystem::path base = std::filesystem::current_path(code);
        if (code) {
            return Fail(BOOL_FALSE, "Cannot tell the current directory: " + code.message() + ".");
        }
        // Build the new set without the lock (it reads the disk); the old set stays until it succeeds.
        auto mounted = std::make_shared<ResourceSet>();
        const ResourceSet::MountResult result = mounted->Mount(base, list);
        if (!result.m_Error.empty()) {
            return Fail(BOOL_FALSE, result.m_Error);
        }
        if (!result.m_MainMounted) {
            return Fail(BOOL_FALSE, "The main resource \"" + list.front() + "\" was not found.");
        }
        std::shared_ptr<const ResourceSet> previous;
        {
            std::lock_guard lock(m_Mutex);
            previous = std::exchange(m_Resources, std::move(mounted));
        }
        return ENGINE_TRUE;
    });
}

DirEntry* Server::ListResourceDir(const char* directory) {
    return Guarded<DirEntry*>(nullptr, [&]() -> DirEntry* {
        if (directory == nullptr) {
            return Fail<DirEntry*>(nullptr, "No resource directory was named.");
        }
        std::shared_ptr<const ResourceSet> resources;
        {
            std::lock_guard lock(m_Mutex);
            resources = m_Resources;
        }
        const std::optional<std::vector<ResourceItem>> items = resources->ListDirectory(directory);
        if (!items) {
            return Fail<DirEntry*>(nullptr, std::string("There is no resource directory ") + directory + ".");
        }
        std::lock_guard lock(m_Mutex);
        return m_Lists.KeepDirectory(*items);
    });
}

int32_t Server::ReleaseResourceDir(DirEntry* first) {
    return Guarded(STATUS_FAILED, [&] {
        if (first == nullptr) {
            return ENGINE_STATUS_OK;
        }
        std::lock_guard lock(m_Mutex);
        if (!m_Lists.ReleaseDirectory(first)) {
            m_LastError = "ReleaseResourceDir was given a list this engine did not hand out.";
            return STATUS_FAILED;
        }
        return ENGINE_STATUS_OK;
    });
}

} // namespace dravo::ref
