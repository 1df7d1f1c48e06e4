// --import-pose IN OUT [--time T] [ARCHIVE]: a pose made in another tool, taken from the skin of
// a .glb or .gltf, as a pose file of the archive; a folder OUT gets one per key time.

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/output_rules.h"
#include "console/console.h"
#include "import/pose_import_files.h"
#include "model/bone_node.h"

namespace {

struct ImportArguments {
    std::string input, output, archive;
    double time = NAN;
    bool quiet = false;
};

int runImport(const ImportArguments& args) {
    PoseImportJob job{args.input, args.output};
    job.toFolder = namesFolder(args.output);
    job.atTime = !std::isnan(args.time);
    job.time = args.time;
    std::string problem;
    if (!hasEnding(args.input, ".glb") && !hasEnding(args.input, ".gltf")) {
        problem = "IN must end in .glb or .gltf: " + args.input;
    } else if (job.atTime && !std::isfinite(args.time)) {
        problem = "--time must be a finite number of seconds";
    } else if (job.atTime && job.toFolder) {
        problem = "--time gives one pose file, but " + args.output +
                  " is a folder (without --time a folder gets every key)";
    }
    std::vector<std::string> inputs = inputFiles({sourceFromArgument(args.archive)});
    inputs.push_back(args.input);
    const std::string firstFile = job.toFolder ? args.output + "/pose-000.bin" : args.output;
    if (problem.empty()) problem = outputNamingInput({firstFile}, inputs);
    if (!problem.empty()) return usageError("--import-pose", problem);

    Source source;
    if (!singleArchiveSource(args.archive, source)) return kExitFailed;
    const Result<Document> document = loadArchiveWithBones(source, args.quiet, "take a pose for");
    if (!document.ok()) return kExitFailed;
    Model& model = *document->model;
    const Result<std::vector<std::string>> written =
        importPoseFiles(job, *model.rootNode(), model.loadedPose);
    if (!written) {
        consolePrintf("%s\n", written.message.c_str());
        return kExitFailed;
    }
    for (const std::string& path : *written) std::printf("Import pose : %s\n", path.c_str());
    std::fflush(stdout);
    return kExitDone;
}

}  // namespace

ModeRunner declareImportPoseMode(CLI::App& app) {
    auto args = std::make_shared<ImportArguments>();
    addFileArgument(app, "IN", args->input, "The .glb or .gltf to take the pose from");
    addFileArgument(app, "OUT", args->output,
                    "The pose file to write, or a folder for pose-000.bin, pose-001.bin, ...");
    addArchiveArgument(app, args->archive);
    app.add_option("--time", args->time, "Seconds into the file's first animation")->type_name("T");
    addQuietFlag(app, args->quiet);
    return [args] { return runImport(*args); };
}

const ModeRegistration kImportPoseMode{
    {"--import-pose", 40,
     "Takes the pose of a .glb or .gltf (made by --export and posed in another tool) from "
     "its skin and writes it as a pose file of the archive. With --time, the first "
     "animation at T seconds; a folder OUT gets pose-000.bin, pose-001.bin, ... for each "
     "key time of the first animation. Prints \"Import pose : FILE\" for each file "
     "written.",
     declareImportPoseMode}};
