#include "cli/archive_input.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "demo_archive.h"
#include "io/file_reading.h"
#include "model/bone_node.h"

std::string archiveName(const std::string& archive) {
    if (archive.empty()) return "demo model";
    if (archive == "-") return "standard input";
    return archive;
}

bool readArchiveInput(const std::string& archive, std::vector<uint8_t>& bytes) {
    const std::string name = archiveName(archive);
    if (archive.empty()) {
        bytes.assign(demoArchiveData(), demoArchiveData() + demoArchiveSize());
        return true;
    }
    struct stat info {};
    if (archive != "-" && ::stat(archive.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        consolePrintf("%s: %s\n", name.c_str(), std::strerror(EISDIR));
        return false;
    }
    FILE* file = archive == "-" ? stdin : std::fopen(archive.c_str(), "rb");
    if (!file) {
        consolePrintf("%s: %s\n", name.c_str(), std::strerror(errno));
        return false;
    }
    ArchiveRead read = readArchiveStream(file);
    if (file != stdin) std::fclose(file);
    if (read.outcome == ArchiveRead::TooLarge || read.outcome == ArchiveRead::RunsPast) {
        consolePrintf("%s: more than the %" PRIu64 " bytes a model archive may have: not read\n",
                      name.c_str(), kArchiveSizeLimit);
        return false;
    }
    if (read.outcome == ArchiveRead::Failed) {
        consolePrintf("%s: %s\n", name.c_str(), std::strerror(read.error));
        return false;
    }
    bytes = std::move(read.bytes);
    return true;
}

bool loadArchive(const std::string& archive, bool quiet, LoadedArchive& out) {
    if (!readArchiveInput(archive, out.bytes)) return false;
    out.model = std::make_unique<Model>();
    if (archive.empty() && !quiet) {
        consolePrintf("No archive given: showing the built-in demo model\n");
    }
    out.loaded = loadModelFromBytes(*out.model, out.bytes.data(), out.bytes.size(), quiet);
    out.loaded.demo = archive.empty();
    return true;
}

bool loadArchiveWithBones(const std::string& archive, bool quiet, const char* purpose,
                          LoadedArchive& out) {
    if (!loadArchive(archive, quiet, out)) return false;
    if (!out.model->rootNode()->children.empty()) return true;
    consolePrintf("%s: no bone to %s\n", archiveName(archive).c_str(), purpose);
    return false;
}
