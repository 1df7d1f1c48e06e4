// --export OUT [--pose POSEFILE]... [--gltf] [ARCHIVE]...: each archive, loaded exactly as the
// viewer loads it, as glTF 2.0.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/output_rules.h"
#include "cli/pose_argument.h"
#include "console/console.h"
#include "export/gltf_export.h"
#include "model/bone_node.h"

namespace {

struct ExportArguments {
    std::string output;
    std::vector<std::string> poses;
    std::vector<std::string> archives;
    bool gltf = false;
    bool quiet = false;
};

int exportArchive(const ExportArguments& args, const Source& archive, const std::string& output) {
    const Result<Document> document = loadArchiveWithBones(archive, args.quiet, "export");
    if (!document.ok()) return kExitFailed;
    Model& model = *document->model;
    ExportInput input;
    BoneNode& root = *model.rootNode();
    input.root = &root;
    input.page = &model.texturePage();
    input.loaded = model.loadedPose;
    if (args.poses.empty()) input.poses.push_back({archive.name(), input.loaded});
    for (const std::string& path : args.poses) {
        std::optional<Pose> pose = applyPoseArgument(root, path);
        if (!pose) return kExitFailed;
        input.poses.push_back({path, std::move(*pose)});
    }
    const Result<> exported = exportGltf(input, output);
    if (!exported) {
        consolePrintf("%s\n", exported.message.c_str());
        return kExitFailed;
    }
    std::printf("Export glTF : %s\n", output.c_str());
    std::fflush(stdout);
    return kExitDone;
}

int runExport(const ExportArguments& args) {
    const ArchiveList archives = archiveSources(args.archives);
    OutputPlan plan;
    std::string problem = planOutputs(args.output, archives.sources, {".glb", ".gltf"},
                                      args.gltf ? ".gltf" : ".glb", plan);
    if (problem.empty() && args.gltf && !plan.folder) {
        problem = "--gltf names the form of a folder's files; the file " + args.output +
                  " has its own ending";
    }
    std::vector<std::string> inputs = inputFiles(archives.sources);
    inputs.insert(inputs.end(), args.poses.begin(), args.poses.end());
    if (problem.empty()) problem = outputNamingInput(plan.files, inputs);
    if (!problem.empty()) return usageError("--export", problem);
    return writeEachArchive(
        plan, archives.sources,
        [&](const Source& archive, const std::string& output) {
            return exportArchive(args, archive, output);
        },
        archives.failed);
}

}  // namespace

ModeRunner declareExportMode(CLI::App& app) {
    auto args = std::make_shared<ExportArguments>();
    app.add_option("OUT", args->output,
                   "The .glb or .gltf file to write, or a folder for NAME.glb files")
        ->required()
        ->type_name("FILE")
        ->check(fileNameCheck(false));
    addArchiveArguments(app, args->archives);
    app.add_option("--pose", args->poses,
                   "A pose file for the pose (each must hold every bone of the model); two or "
                   "more make the animation, one pose a second")
        ->allow_extra_args(false)
        ->type_name("POSEFILE")
        ->check(fileNameCheck(false));
    app.add_flag("--gltf", args->gltf, "A folder receives NAME.gltf files instead of NAME.glb");
    addQuietFlag(app, args->quiet);
    return [args] { return runExport(*args); };
}

const ModeRegistration kExportMode{
    {"--export", 10,
     "Writes each archive as glTF 2.0: the skeleton, the meshes skinned to it, the texture "
     "page and the pose. OUT ending in .glb is binary, .gltf is JSON with everything "
     "embedded; a folder OUT gets NAME.glb (NAME.gltf with --gltf) for each NAME.bin. The "
     "pose is the archive's own, or the first POSEFILE; two or more POSEFILEs also make the "
     "animation \"poses\", one pose file a second. Prints \"Export glTF : FILE\" for each "
     "file written.",
     declareExportMode}};
