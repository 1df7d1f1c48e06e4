#include "shell/archive_loop.h"

#include <string>

#include "console/console.h"
#include "shell/folder_walk.h"
#include "shell/handlers.h"
#include "shell/model_takeover.h"
#include "shell/viewer_state.h"

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
    const std::string folder = folderOf(shownArchivePath);
    const std::string shown = fileNameOf(shownArchivePath);
    for (const std::string& name : walkCandidates(walkableFiles(folder), shown, direction)) {
        const std::string path = pathIn(folder, name);
        std::string lines;
        const Refusal refusal = replaceHoldingLines(path, Takeover::Walk, lines);
        if (refusal == Refusal::None) {
            consolePrintf("%s archive : %s\n", direction > 0 ? "Next" : "Previous", path.c_str());
            consolePrintf("%s", lines.c_str());
            return;
        }
        consolePrintf("%s %s: skipped\n", path.c_str(), reasonOf(refusal));
    }
    consolePrintf("No other file of %s loads: the model shown stays\n",
                  folder.empty() ? "." : folder.c_str());
}
