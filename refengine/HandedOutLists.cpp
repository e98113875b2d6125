// HandedOutLists: keeps the lists the engine hands to the front end until they come back.
#include "HandedOutLists.h"

#include "TextUtil.h"

namespace dravo::ref {

DirEntry* HandedOutLists::KeepDirectory(const std::vector<ResourceItem>& items) {
    if (items.empty()) {
        return nullptr;
    }
    auto list = std::make_unique<DirectoryList>();
    list->m_Names.reserve(items.size());
    for (const ResourceItem& item : items) {
        list->m_Names.push_back(item.m_Name);
    }
    list->m_Entries.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        DirEntry& entry = list->m_Entries[i];
        entry.m_Kind = items[i].m_IsDirectory ? DIR_ENTRY_DIRECTORY : DIR_ENTRY_FILE;
        entry.m_Name = list->m_Names[i].c_str();
        entry.m_Reserved = 0;
        entry.m_Next = i + 1 < items.size() ? &list->m_Entries[i + 1] : nullptr;
    }
    DirEntry* first = list->m_Entries.data();
    m_Directories.emplace(first, std::move(list));
    return first;
}

bool HandedOutLists::ReleaseDirectory(const DirEntry* first) {
    return m_Directories.erase(first) != 0;
}

ServiceRecord* HandedOutLists::KeepServices(std::span<const NetworkServices::Service> services) {
    if (services.empty()) {
        return nullptr;
    }
    auto list = std::make_unique<std::vector<ServiceRecord>>(services.size());
    for (size_t i = 0; i < services.size(); ++i) {
        ServiceRecord& record = (*list)[i];
        record = ServiceRecord{};
        record.m_Id = services[i].m_Id;
        (void)TextUtil::CopyCut(services[i].m_Name, record.m_Name, sizeof record.m_Name);
        record.m_Next = i + 1 < services.size() ? &(*list)[i + 1] : nullptr;
    }
    ServiceRecord* first = list->data();
    m_Services.emplace(first, std::move(list));
    return first;
}

bool HandedOutLists::ReleaseServices(const ServiceRecord* first) {
    return m_Services.erase(first) != 0;
}

} // namespace dravo::ref
