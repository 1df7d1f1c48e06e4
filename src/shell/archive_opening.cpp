#include "shell/archive_opening.h"

#include "demo/demo_archive.h"
#include "source/archive_sources.h"
#include "source/source_reading.h"

namespace {

void addLoaderLines(OpenedArchive& opened) {
    const Archive& archive = opened.document->archive;
    for (std::string& line : textureLoaderLines(archive)) opened.lines.push_back(std::move(line));
    for (std::string& line : skeletonLoaderLines(archive)) opened.lines.push_back(std::move(line));
}

}  // namespace

OpenedArchive openArchive(const char* argument, bool stepping) {
    OpenedArchive opened;
    if (!argument) {
        opened.demo = true;
        opened.lines.push_back("No archive given: showing the built-in demo model\n");
        const uint8_t* demo = demoArchiveData();
        opened.document =
            documentFromBytes(Source::demo(), std::vector<uint8_t>(demo, demo + demoArchiveSize()));
        addLoaderLines(opened);
        return opened;
    }
    opened.shown = argument;
    ArchiveSources found;
    if (stepping) {
        found.sources.push_back(sourceFromArgument(argument));
    } else {
        found = archivesOf(sourceFromArgument(argument));
    }
    if (!found.failure.empty() || found.sources.empty()) {
        opened.lines.push_back(found.failure + "\n");
        opened.document = Failure{kSourceUnopened, found.failure};
        return opened;
    }
    const Source& source = found.sources.front();
    // A file on disk: the loaders say in their own lines what is wrong with it.
    opened.shown = source.isPlainFile() ? source.path : source.argument();
    opened.document = loadDocument(source, UnreadLines::Loaders);
    if (!opened.document.ok()) {
        const std::string& why = opened.document.message;
        opened.lines.push_back(source.isPlainFile() ? why : why + "\n");
        return opened;
    }
    addLoaderLines(opened);
    return opened;
}
