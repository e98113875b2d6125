// Fuzzes the rez archive reader with the input as the archive file: an archive
// it accepts lists and reads every entry without reading out of bounds.
#include "FuzzSupport.h"
#include "ResourcePath.h"
#include "RezArchive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static dravo::fuzz::ScratchFile file("fuzz.rez");
    file.Write(data, size);
    std::string error;
    const std::unique_ptr<dravo::ref::RezArchive> archive = dravo::ref::RezArchive::Open(file.Path(), error);
    if (!archive) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    (void)archive->ListDirectory({});
    for (const dravo::ref::RezArchive::Entry& entry : archive->Entries()) {
        const std::optional<std::string> content = archive->ReadFile(entry.m_Parts);
        if (!content || content->size() != entry.m_Size) {
            std::abort();
        }
        if (entry.m_Parts.empty()) {
            std::abort();
        }
        dravo::ref::ResourcePathParts directory = entry.m_Parts;
        directory.pop_back();
        if (!archive->ListDirectory(directory)) {
            std::abort();
        }
    }
    return 0;
}
