// --render OUT [--pose POSEFILE] [ARCHIVE]...: the three views of each archive, every part
// shown and the whole model selected, drawn off-screen into one PNG per archive.

#include <memory>
#include <string>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/offscreen_context.h"
#include "cli/output_file.h"
#include "cli/output_rules.h"
#include "cli/pose_argument.h"
#include "cli/view_sheet.h"
#include "console/console.h"
#include "model/bone_node.h"
#include "model/model_state.h"
#include "model/part_mesh.h"

namespace {

struct RenderArguments {
    std::string output;
    std::string pose;
    std::vector<std::string> archives;
    bool quiet = false;
};

// One archive into one PNG; kExitDone, or kExitFailed with a line naming what failed.
int renderArchive(const OffscreenDisplay& display, const RenderArguments& args,
                  const std::string& archive, const std::string& output) {
    LoadedArchive loaded;
    if (!loadArchive(archive, args.quiet, loaded)) return kExitFailed;
    if (rootNode->children.empty()) {
        consolePrintf("%s: no bone to draw\n", archiveName(archive).c_str());
        return kExitFailed;
    }
    if (!args.pose.empty() && !applyPoseArgument(*rootNode, args.pose)) return kExitFailed;
    for (PartMesh* part : partList) part->setVisible(1);
    selectedBone = 0;

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
    inputs.push_back(args.pose);
    if (problem.empty()) problem = outputNamingInput(plan.files, inputs);
    if (!problem.empty()) return usageError("--render", problem);

    OffscreenDisplay display;
    std::string error;
    if (!display.open(error)) {
        consolePrintf("Off-screen drawing is not available: %s\n", error.c_str());
        return kExitFailed;
    }
    if (!makeOutputFolder(plan)) return kExitFailed;
    size_t next = 0;
    return forEachArchive(archives, [&](const std::string& archive) {
        return renderArchive(display, args, archive, plan.files[next++]);
    });
}

}  // namespace

ModeRunner declareRenderMode(CLI::App& app) {
    auto args = std::make_shared<RenderArguments>();
    app.add_option("OUT", args->output, "The PNG to write, or a folder for NAME.png files")
        ->required()
        ->check(fileNameCheck(false));
    app.add_option("ARCHIVE", args->archives,
                   "Model archives (- for standard input); the built-in demo without one")
        ->check(fileNameCheck(true));
    app.add_option("--pose", args->pose,
                   "A pose file to load first; it must hold every bone of the model")
        ->check(fileNameCheck(false));
    addQuietFlag(app, args->quiet);
    return [args] { return runRender(*args); };
}
