// dravo-rez: packs a directory into a ".rez" resource archive, or lists an archive.
//
//   dravo-rez pack OUT.rez DIR   every file below DIR, named by its path with backslashes
//   dravo-rez list FILE.rez      one line per file: size in bytes, then the name
#include "AtomicFile.h"
#include "RezArchive.h"
#include "RezWriter.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

constexpr int EXIT_USAGE = 2;

int Usage() {
    std::fputs("usage: dravo-rez pack OUT.rez DIR\n"
               "       dravo-rez list FILE.rez\n",
               stderr);
    return EXIT_USAGE;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "dravo-rez: %s\n", message.c_str());
    return 1;
}

int Pack(const char* output, const char* directory) {
    std::string error;
    const std::vector<dravo::ref::RezWriter::File> files = dravo::ref::RezWriter::CollectDirectory(directory, error);
    if (!error.empty()) {
        return Fail(error);
    }
    const std::string archive = dravo::ref::RezWriter::Build(files, error);
    if (!error.empty()) {
        return Fail(error);
    }
    if (std::string problem = dravo::ref::AtomicFile::Write(output, archive); !problem.empty()) {
        return Fail(problem);
    }
    std::printf("%s: %zu files, %zu bytes\n", output, files.size(), archive.size());
    return 0;
}

int List(const char* path) {
    std::string error;
    const std::unique_ptr<dravo::ref::RezArchive> archive = dravo::ref::RezArchive::Open(path, error);
    if (!archive) {
        return Fail(error);
    }
    for (const dravo::ref::RezArchive::Entry& entry : archive->Entries()) {
        std::printf("%10u  %s\n", entry.m_Size, entry.m_Name.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string_view command = argc > 1 ? argv[1] : "";
        if (command == "pack" && argc == 4) {
            return Pack(argv[2], argv[3]);
        }
        if (command == "list" && argc == 3) {
            return List(argv[2]);
        }
        return Usage();
    } catch (const std::exception& failure) {
        return Fail(failure.what());
    }
}
