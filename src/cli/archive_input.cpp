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

void printLoaderLines(const Document& document) {
    for (const std::string& line : textureLoaderLines(document.archive)) {
        consolePrintf("%s", line.c_str());
    }
    for (const std::string& line : skeletonLoaderLines(document.archive)) {
        consolePrintf("%s", line.c_str());
    }
}

Result<Document> loadArchive(const Source& source, bool quiet) {
    Result<Document> document = loadDocument(source);
    if (!document.ok()) {
        consolePrintf("%s\n", document.message.c_str());
        return document;
    }
    if (quiet) return document;
    if (source.isDemo()) consolePrintf("No archive given: showing the built-in demo model\n");
    printLoaderLines(*document);
    return document;
}

Result<Document> loadArchiveWithBones(const Source& source, bool quiet, const char* purpose) {
    Result<Document> document = loadArchive(source, quiet);
    if (!document.ok() || !document->model->rootNode()->children.empty()) return document;
    const std::string line = source.name() + ": no bone to " + purpose;
    consolePrintf("%s\n", line.c_str());
    return Failure{1, line};
}
