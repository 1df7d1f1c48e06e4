#include "shell/archive_opening.h"

#include "console/console.h"
#include "demo/demo_archive.h"
#include "model/model.h"
#include "source/archive_sources.h"
#include "source/source_reading.h"

std::unique_ptr<Model> loadArchiveModel(const char* argument, LoadedModel& loaded,
                                        std::string& shown) {
    auto model = std::make_unique<Model>();
    if (!argument) {
        consolePrintf("No archive given: showing the built-in demo model\n");
        loaded = loadModelFromBytes(*model, demoArchiveData(), demoArchiveSize());
        loaded.demo = true;
        shown.clear();
        return model;
    }
    shown = argument;
    const ArchiveSources found = archivesOf(sourceFromArgument(argument));
    if (!found.failure.empty() || found.sources.empty()) {
        consolePrintf("%s\n", found.failure.c_str());
        loaded = LoadedModel();
        loaded.unread = true;
        return model;
    }
    const Source& source = found.sources.front();
    if (source.isPlainFile()) {
        // A file on disk read whole: the loaders say in their own lines what is wrong with it.
        shown = source.path;
        loaded = loadModelFile(*model, source.path.c_str());
        return model;
    }
    shown = source.argument();
    std::vector<uint8_t> bytes;
    const Result<> read = readSource(source, bytes);
    if (!read.ok()) {
        consolePrintf("%s\n", read.message.c_str());
        loaded = LoadedModel();
        loaded.unread = true;
        return model;
    }
    loaded = loadModelFromBytes(*model, bytes.data(), bytes.size());
    return model;
}
