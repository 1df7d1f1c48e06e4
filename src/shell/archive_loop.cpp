#include "shell/archive_loop.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "shell/folder_walk.h"
#include "shell/model_replacement.h"
#include "shell/viewer_state.h"
#include "source/archive_header.h"
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

// Tries each name in turn; true when one was shown. The lines of a file passed over are dropped.
// files: the names are files of a folder, not archives of one image.
bool showFirstThatLoads(ViewerState& viewer, const std::vector<std::string>& names, int direction,
                        bool files) {
    for (const std::string& path : names) {
        // A file of a folder is first judged by its header and entry table alone, so that a
        // large file beside the models (a video, a disc image) is passed over without being read.
        if (files && !headerLooksLikeArchive(path)) {
            consolePrintf("%s %s: skipped\n", path.c_str(), reasonOf(Refusal::NoBoneNoTexture));
            continue;
        }
        const Replacement replaced = replaceModel(viewer, path.c_str(), Takeover::Walk);
        if (replaced.refusal == Refusal::None) {
            consolePrintf("%s archive : %s\n", direction > 0 ? "Next" : "Previous",
                          viewer.shownArchivePath.c_str());
            for (const std::string& line : replaced.lines) consolePrintf("%s", line.c_str());
            return true;
        }
        consolePrintf("%s %s: skipped\n", path.c_str(), reasonOf(replaced.refusal));
    }
    return false;
}

}  // namespace

// A reload prints none of the loaders' lines: its own line says how it went.
void reloadShownArchive(ViewerState& viewer) {
    if (viewer.shownArchivePath.empty()) {
        consolePrintf("The demo model has no file to reload\n");
        return;
    }
    const std::string path = viewer.shownArchivePath;
    const Refusal refusal = replaceModel(viewer, path.c_str(), Takeover::Reload).refusal;
    if (refusal == Refusal::None) {
        consolePrintf("Reloaded %s\n", path.c_str());
    } else {
        consolePrintf("%s %s: the model shown stays\n", path.c_str(), reasonOf(refusal));
    }
}

void walkFolder(ViewerState& viewer, int direction) {
    const std::string shownArchivePath = viewer.shownArchivePath;
    if (shownArchivePath.empty()) {
        consolePrintf("The demo model has no folder to walk\n");
        return;
    }
    // A member of an image, or an item of a container: the walk goes through the archives found
    // in it, in the scan's order.
    const Source shown = sourceFromArgument(shownArchivePath);
    if (shown.kind == Source::Kind::Member || shown.atOffset) {
        const std::vector<std::string> names = viewer.walkedImage.of(shown.path);
        if (!showFirstThatLoads(viewer, stepsFrom(names, shown.argument(), direction), direction,
                                false)) {
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
    if (!showFirstThatLoads(viewer, paths, direction, true)) {
        consolePrintf("No other file of %s loads: the model shown stays\n",
                      folder.empty() ? "." : folder.c_str());
    }
}
