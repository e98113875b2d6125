// HandedOutLists: keeps the lists the engine hands to the front end until they come back.
//
// ListResourceDir and ListServices give the front end linked records that it
// must return through their Release operation. Each list lives here, owned,
// keyed by its first record, so a release of a pointer that was never handed
// out (or is returned twice) is refused instead of freeing foreign memory.
// Lists never returned are freed with the server object. No lock of its own.
#pragma once

#include "IResourceMount.h"
#include "NetworkServices.h"
#include "engine/EngineRecords.h"

#include <memory>
#include <unordered_map>

namespace dravo::ref {

class HandedOutLists {
public:
    // The first record of a new list of the items; null (nothing kept) when there are none.
    DirEntry* KeepDirectory(const std::vector<ResourceItem>& items);
    [[nodiscard]] bool ReleaseDirectory(const DirEntry* first);

    ServiceRecord* KeepServices(std::span<const NetworkServices::Service> services);
    [[nodiscard]] bool ReleaseServices(const ServiceRecord* first);

    size_t Outstanding() const { return m_Directories.size() + m_Services.size(); }

private:
    struct DirectoryList {
        std::vector<std::string> m_Names; // filled before any record points into it
        std::vector<DirEntry> m_Entries;
    };
    std::unordered_map<const DirEntry*, std::unique_ptr<DirectoryList>> m_Directories;
    std::unordered_map<const ServiceRecord*, std::unique_ptr<std::vector<ServiceRecord>>> m_Services;
};

} // namespace dravo::ref
