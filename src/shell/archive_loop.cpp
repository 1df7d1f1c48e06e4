#include "shell/archive_loop.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "console/console.h"
#include "shell/folder_walk.h"
#include "shell/handlers.h"
#include "shell/model_takeover.h"
#include "shell/viewer_state.h"
#include "source/archive_sources.h"

namespace {

const char* reasonOf(Refusal refusal) {
    switch (refusal) {
        case Refusal::Unreadable:
            return "cannot be read";
        case Refusal::CutShort:
            return "is cut short";
        default:
            return "brings no bone and no texture";
    }
}

// Replaces the model with the loaders' lines held back: what they said is returned in lines.
Refusal replaceHoldingLines(const std::string& path, Takeover how, std::string& lines) {
    ConsoleCapture held;
    const Refusal refusal = replaceModel(path.c_str(), how);
    lines = held.text();
    return refusal;
}

// The archives of an image or a container, in scan order. Kept while the file on disk is
// unchanged, so that each step of the walk does not scan the image again.
struct ImageArchives {
    std::string path;
    struct stat seen {};
    std::vector<std::string> names;
};

const std::vector<std::string>& archivesOfImage(const std::string& path) {
    static ImageArchives cached;
    struct stat now {};
    ::stat(path.c_str(), &now);
    const bool same = cached.path == path && now.st_ino == cached.seen.st_ino &&
                      now.st_size == cached.seen.st_size &&
                      now.st_mtim.tv_sec == cached.seen.st_mtim.tv_sec &&
                      now.st_mtim.tv_nsec == cached.seen.st_mtim.tv_nsec;
    if (!same) {
        cached = ImageArchives{path, now, {}};
        for (const Source& source : archivesOf(Source::file(path)).sources) {
            cached.names.push_back(source.argument());
        }
    }
    return cached.names;
}

// The names to try after (+1) or before (-1) current among names in their order, wrapping
// around; a current name missing from them starts from the first.
std::vector<std::string> stepsFrom(const std::vector<std::string>& names,
                                   const std::string& current, int direction) {
    size_t at = names.size();
    for (size_t k = 0; k < names.size(); ++k) {
        if (names[k] == current) at = k;
    }
    const size_t count = names.size();
    std::vector<std::string> order;
    for (size_t step = 1; step <= count; ++step) {
        const size_t start = at == count ? (direction > 0 ? count - 1 : 0) : at;
        const size_t k =
            direction > 0 ? (start + step) % count : (start + count * 2 - step) % count;
        if (names[k] != current) order.push_back(names[k]);
    }
    return order;
}

// Tries each name in turn; true when one was shown.
bool showFirstThatLoads(const std::vector<std::string>& names, int direction) {
    for (const std::string& path : names) {
        std::string lines;
        const Refusal refusal = replaceHoldingLines(path, Takeover::Walk, lines);
        if (refusal == Refusal::None) {
            consolePrintf("%s archive : %s\n", direction > 0 ? "Next" : "Previous",
                          shownArchivePath.c_str());
            consolePrintf("%s", lines.c_str());
            return true;
        }
        consolePrintf("%s %s: skipped\n", path.c_str(), reasonOf(refusal));
    }
    return false;
}

}  // namespace

void reloadShownArchive() {
    if (shownArchivePath.empty()) {
        consolePrintf("The demo model has no file to reload\n");
        return;
    }
    const std::string path = shownArchivePath;
    std::string lines;
    const Refusal refusal = replaceHoldingLines(path, Takeover::Reload, lines);
    if (refusal == Refusal::None) {
        consolePrintf("Reloaded %s\n", path.c_str());
    } else {
        consolePrintf("%s %s: the model shown stays\n", path.c_str(), reasonOf(refusal));
    }
}

void walkFolder(int direction) {
    if (shownArchivePath.empty()) {
        consolePrintf("The demo model has no folder to walk\n");
        return;
    }
    // A member of an image, or an item of a container: the walk goes through the archives found
    // in it, in the scan's order.
    const Source shown = sourceFromArgument(shownArchivePath);
    if (shown.kind == Source::Kind::Member || shown.atOffset) {
        const std::vector<std::string> names = archivesOfImage(shown.path);
        if (!showFirstThatLoads(stepsFrom(names, shown.argument(), direction), direction)) {
            consolePrintf("No other archive of %s loads: the model shown stays\n",
                          shown.path.c_str());
        }
        return;
    }
    const std::string folder = folderOf(shownArchivePath);
    std::vector<std::string> paths;
    for (const std::string& name :
         walkCandidates(walkableFiles(folder), fileNameOf(shownArchivePath), direction)) {
        paths.push_back(pathIn(folder, name));
    }
    if (!showFirstThatLoads(paths, direction)) {
        consolePrintf("No other file of %s loads: the model shown stays\n",
                      folder.empty() ? "." : folder.c_str());
    }
}
