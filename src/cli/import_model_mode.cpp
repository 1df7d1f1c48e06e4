// --import-model IN OUT [ARCHIVE]: a model edited in another tool, taken from a .glb or .gltf
// that --export made of ARCHIVE, written back as a new archive; every byte the edits do not
// touch stays.

#include <tiny_gltf.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/output_file.h"
#include "cli/output_rules.h"
#include "console/console.h"
#include "import/gltf_reading.h"
#include "import/model_import.h"

namespace {

struct ImportModelArguments {
    std::string input, output, archive;
    bool quiet = false;
};

int runImportModel(const ImportModelArguments& args) {
    std::string problem;
    if (!hasEnding(args.input, ".glb") && !hasEnding(args.input, ".gltf")) {
        problem = "IN must end in .glb or .gltf: " + args.input;
    } else if (args.output.empty() || namesFolder(args.output)) {
        problem = args.output + ": the output must be a file, not a folder";
    }
    std::vector<std::string> inputs = inputFiles({sourceFromArgument(args.archive)});
    inputs.push_back(args.input);
    if (problem.empty()) problem = outputNamingInput({args.output}, inputs);
    if (!problem.empty()) return usageError("--import-model", problem);

    Source source;
    if (!singleArchiveSource(args.archive, source)) return kExitFailed;
    const Result<Document> document =
        loadArchiveWithBones(source, args.quiet, "bring a model back into");
    if (!document.ok()) return kExitFailed;
    ModelImport result;
    std::string error;
    {
        tinygltf::Model doc;
        error = readGltfFile(args.input, doc);
        if (error.empty()) {
            error =
                importModel(document->bytes, document->archive, doc, result, document->model.get());
        }
    }
    if (!error.empty()) {
        consolePrintf("%s: %s\n", args.input.c_str(), error.c_str());
        return kExitFailed;
    }
    const Result<> written = replaceFile(args.output, result.archive);
    if (!written) {
        consolePrintf("%s: %s\n", args.output.c_str(), written.message.c_str());
        return kExitFailed;
    }
    std::printf("Import model : %s (%zu part%s changed)\n", args.output.c_str(), result.editedParts,
                result.editedParts == 1 ? "" : "s");
    std::fflush(stdout);
    return kExitDone;
}

}  // namespace

ModeRunner declareImportModelMode(CLI::App& app) {
    auto args = std::make_shared<ImportModelArguments>();
    addFileArgument(app, "IN", args->input, "The .glb or .gltf to take the model from");
    addFileArgument(app, "OUT", args->output, "The archive to write");
    addArchiveArgument(app, args->archive);
    addQuietFlag(app, args->quiet);
    return [args] { return runImportModel(*args); };
}

const ModeRegistration kImportModelMode{
    {"--import-model", 45,
     "Takes the model of a .glb or .gltf (made by --export of ARCHIVE and edited in another "
     "tool) back into the archive and writes it to OUT: moved, recoloured and re-mapped "
     "corners change their values, deleted faces go, new triangles join their part, and "
     "every byte the edits do not touch stays. An unedited file gives the archive back byte "
     "for byte. Prints \"Import model : OUT (N parts changed)\".",
     declareImportModelMode}};
