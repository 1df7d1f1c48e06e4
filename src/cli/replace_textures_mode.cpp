// --replace-textures OUT --images DIR ARCHIVE: a copy of ARCHIVE with the images of DIR's
// entry<E>-palette<M>.png files put back, every other byte as it was.

#include <memory>
#include <string>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/output_file.h"
#include "cli/output_rules.h"
#include "console/console.h"
#include "texture_io/texture_replacement.h"

namespace {

struct ReplaceArguments {
    std::string output;
    std::string images;
    std::string archive;
    bool quiet = false;
};

int runReplace(const ReplaceArguments& args) {
    std::string problem;
    if (args.output.empty() || namesFolder(args.output)) {
        problem = args.output + ": the output must be a file, not a folder";
    }
    Source source;
    if (problem.empty()) {
        source = sourceFromArgument(args.archive);
        problem = outputNamingInput({args.output}, inputFiles({source}));
    }
    if (!problem.empty()) return usageError("--replace-textures", problem);
    if (!singleArchiveSource(args.archive, source)) return kExitFailed;

    std::vector<TextureInput> files;
    const Result<> read = readTextureFolder(args.images, files);
    if (!read) {
        consolePrintf("%s\n", read.message.c_str());
        return kExitFailed;
    }
    if (files.empty()) {
        consolePrintf("%s: no entry<E>-palette<M>.png file\n", args.images.c_str());
        return kExitFailed;
    }
    std::vector<std::string> pngPaths;
    for (const TextureInput& file : files) pngPaths.push_back(file.path);
    if (const std::string named = outputNamingInput({args.output}, pngPaths); !named.empty()) {
        return usageError("--replace-textures", named);
    }
    std::vector<uint8_t> archive;
    if (!readArchiveInput(source, archive)) return kExitFailed;
    const Result<TextureReplacement> replaced =
        replaceTextures(archive.data(), archive.size(), files, source.name());
    if (!replaced) {
        consolePrintf("%s\n", replaced.message.c_str());
        return kExitFailed;
    }
    const Result<> written = replaceFile(args.output, replaced->archive);
    if (!written) {
        consolePrintf("%s: %s\n", args.output.c_str(), written.message.c_str());
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace

ModeRunner declareReplaceTexturesMode(CLI::App& app) {
    auto args = std::make_shared<ReplaceArguments>();
    app.add_option("OUT", args->output, "The archive to write")
        ->required()
        ->check(fileNameCheck(false));
    app.add_option("--images", args->images, "The folder of entry<E>-palette<M>.png files")
        ->required()
        ->type_name("DIR")
        ->check(fileNameCheck(false));
    app.add_option("ARCHIVE", args->archive, "The model archive (- for standard input)")
        ->required()
        ->check(fileNameCheck(true));
    addQuietFlag(app, args->quiet);
    return [args] { return runReplace(*args); };
}

const ModeRegistration kReplaceTexturesMode{
    {"--replace-textures", 70,
     "Writes a copy of ARCHIVE to OUT in which each entry<E>-palette<M>.png of DIR gives "
     "entry E's pixel indices and its palette M; every other byte stays as it was. A file "
     "that does not fit its image refuses the whole run, and nothing is written.",
     declareReplaceTexturesMode}};
