#include "cli/archive_input.h"

#include "console/console.h"
#include "model/bone_node.h"
#include "source/archive_sources.h"
#include "source/source_reading.h"

ArchiveList archiveSources(const std::vector<std::string>& arguments) {
    ArchiveList list;
    if (arguments.empty()) {
        list.sources.push_back(Source::demo());
        return list;
    }
    for (const std::string& argument : arguments) {
        ArchiveSources found = archivesOf(sourceFromArgument(argument));
        if (!found.failure.empty()) {
            consolePrintf("%s\n", found.failure.c_str());
            list.failed = true;
        }
        for (Source& source : found.sources) list.sources.push_back(std::move(source));
    }
    return list;
}

bool singleArchiveSource(const std::string& argument, Source& source) {
    ArchiveSources found = archivesOf(sourceFromArgument(argument));
    if (!found.failure.empty()) {
        consolePrintf("%s\n", found.failure.c_str());
        return false;
    }
    source = found.sources.front();
    return true;
}

bool readArchiveInput(const Source& source, std::vector<uint8_t>& bytes) {
    const Result<> read = readSource(source, bytes);
    if (!read.ok()) consolePrintf("%s\n", read.message.c_str());
    return read.ok();
}

bool loadArchive(const Source& source, bool quiet, LoadedArchive& out) {
    if (!readArchiveInput(source, out.bytes)) return false;
    out.model = std::make_unique<Model>();
    if (source.isDemo() && !quiet) {
        consolePrintf("No archive given: showing the built-in demo model\n");
    }
    out.loaded = loadModelFromBytes(*out.model, out.bytes.data(), out.bytes.size(), quiet);
    out.loaded.demo = source.isDemo();
    return true;
}

bool loadArchiveWithBones(const Source& source, bool quiet, const char* purpose,
                          LoadedArchive& out) {
    if (!loadArchive(source, quiet, out)) return false;
    if (!out.model->rootNode()->children.empty()) return true;
    consolePrintf("%s: no bone to %s\n", source.name().c_str(), purpose);
    return false;
}
