// --render OUT [--pose POSEFILE]... [--time T] [ARCHIVE]...: the three views of each archive, every
// part shown and the whole model selected, drawn off-screen into one PNG per archive.

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/offscreen_context.h"
#include "cli/output_rules.h"
#include "cli/pose_argument.h"
#include "cli/view_sheet.h"
#include "console/console.h"
#include "model/bone_node.h"
#include "model/part_mesh.h"
#include "model/pose_sequence.h"
#include "png/png_writing.h"

namespace {

struct RenderArguments {
    std::string output;
    std::vector<std::string> poses;
    double time = NAN;
    std::vector<std::string> archives;
    bool quiet = false;
};

// Loads the pose files in turn; with --time the tree then shows the sequence they make at that
// time, exactly as "Play poses" shows it. false with one line.
bool applyPoses(const RenderArguments& args, BoneNode& root, const Pose& loadedPose) {
    std::vector<PoseSequence::Source> sources;
    for (const std::string& path : args.poses) {
        std::optional<Pose> pose = applyPoseArgument(root, path);
        if (!pose) return false;
        sources.push_back({path, std::move(*pose)});
    }
    if (std::isnan(args.time)) return true;
    if (sources.empty()) sources.push_back({"the archive's pose", loadedPose});
    PoseSequence sequence;
    const std::string error = sequence.build(root, sources).message;
    if (!error.empty()) {
        consolePrintf("%s\n", error.c_str());
        return false;
    }
    sequence.at(args.time).apply(root);
    return true;
}

// One archive into one PNG; kExitDone, or kExitFailed with a line naming what failed.
int renderArchive(const OffscreenDisplay& display, const RenderArguments& args,
                  const std::string& archive, const std::string& output) {
    LoadedArchive loaded;
    if (!loadArchiveWithBones(archive, args.quiet, "draw", loaded)) return kExitFailed;
    if (!applyPoses(args, *loaded.model->rootNode(), loaded.model->loadedPose)) return kExitFailed;
    for (PartMesh* part : loaded.model->partList()) part->setVisible(1);

    ViewSheet sheet;
    std::string error;
    if (!drawViewSheet(display, *loaded.model, sheet, error)) {
        consolePrintf("Off-screen drawing failed: %s\n", error.c_str());
        return kExitFailed;
    }
    if (!writePngFile(output, ViewSheet::kWidth, ViewSheet::kHeight, 3, sheet.rgb, error)) {
        consolePrintf("%s: %s\n", output.c_str(), error.c_str());
        return kExitFailed;
    }
    return kExitDone;
}

int runRender(const RenderArguments& args) {
    const std::vector<std::string> archives = archivesOrDemo(args.archives);
    OutputPlan plan;
    std::string problem = planOutputs(args.output, archives, {".png"}, ".png", plan);
    std::vector<std::string> inputs = archives;
    inputs.insert(inputs.end(), args.poses.begin(), args.poses.end());
    if (problem.empty() && !std::isnan(args.time) && !std::isfinite(args.time)) {
        problem = "--time must be a finite number of seconds";
    }
    if (problem.empty()) problem = outputNamingInput(plan.files, inputs);
    if (!problem.empty()) return usageError("--render", problem);

    OffscreenDisplay display;
    std::string error;
    if (!display.open(error)) {
        consolePrintf("Off-screen drawing is not available: %s\n", error.c_str());
        return kExitFailed;
    }
    return writeEachArchive(plan, archives,
                            [&](const std::string& archive, const std::string& output) {
                                return renderArchive(display, args, archive, output);
                            });
}

}  // namespace

ModeRunner declareRenderMode(CLI::App& app) {
    auto args = std::make_shared<RenderArguments>();
    app.add_option("OUT", args->output, "The PNG to write, or a folder for NAME.png files")
        ->required()
        ->type_name("FILE")
        ->check(fileNameCheck(false));
    addArchiveArguments(app, args->archives);
    app.add_option("--pose", args->poses,
                   "A pose file to load first; it must hold every bone of the model. Several "
                   "load in turn, the last shown, or with --time play as a sequence")
        ->type_name("POSEFILE")
        ->allow_extra_args(false)
        ->check(fileNameCheck(false));
    app.add_option("--time", args->time,
                   "Seconds into the sequence of the pose files: pose k at k s, looping")
        ->type_name("T");
    addQuietFlag(app, args->quiet);
    return [args] { return runRender(*args); };
}

const ModeRegistration kRenderMode{
    {"--render", 20,
     "Draws the three views of each archive, every part shown, as the viewer's windows show "
     "them, into one 960 x 720 PNG; a folder OUT gets NAME.png for each NAME.bin. With "
     "several POSEFILEs and --time, the sequence at T seconds as \"Play poses\" shows it.",
     declareRenderMode}};
