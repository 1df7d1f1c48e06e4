#include "shell/model_replacement.h"

#include "model/bone_node.h"
#include "model/model.h"
#include "shell/archive_following.h"
#include "shell/archive_opening.h"
#include "shell/playback_input.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"
#include "source/source.h"

std::string modelNameOf(const char* path) {
    if (!path || !*path) return "demo model";
    const std::string whole = path;
    const Source source = sourceFromArgument(whole);
    // A member keeps the image's name before it: "game.cue/CHR/HERO.BIN".
    const std::string file = source.kind == Source::Kind::Member ? source.path : whole;
    const size_t slash = file.find_last_of('/');
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    return source.kind == Source::Kind::Member ? name + whole.substr(file.size()) : name;
}

// The new model loads beside the shown one, which stays whole until the new one has loaded.
Replacement replaceModel(ViewerState& viewer, const char* path, Takeover how) {
    stopPlayback(viewer);  // the playback drives the bones that are about to go
    const ShownModelView before =
        viewOf(viewer.root(), viewer.parts(), viewer.selectedBone, viewer.model().loadedPose);
    OpenedArchive opened = openArchive(path, how == Takeover::Walk);
    Replacement replacement{refusalOf(opened.document, how), std::move(opened.lines)};
    if (replacement.refusal != Refusal::None) return replacement;
    showDocument(viewer, std::move(opened.document).value());
    BoneNode& root = viewer.root();
    carryOver(carriedOver(how, before, treeShapeOf(root)), before, root, viewer.model().partList(),
              viewer.selectedBone);
    viewer.shownModelName = modelNameOf(opened.shown.c_str());
    viewer.shownArchivePath = opened.shown;
    // The steps stay valid only while every matrix is what it was: a reload that kept them all.
    if (how != Takeover::Reload || Pose::capture(root) != before.pose) viewer.editHistory.clear();
    viewer.platform->showReplacedModel();
    const std::string followLine = followShownArchive(viewer);
    if (!followLine.empty()) replacement.lines.push_back(followLine);
    return replacement;
}
