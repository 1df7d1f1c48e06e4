// --extract-textures DIR [ARCHIVE]...: every image of each archive as indexed PNGs, one per
// palette, with textures.json; several archives get DIR/NAME/ each.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/output_rules.h"
#include "console/console.h"
#include "texture_io/texture_extraction.h"

namespace {

struct ExtractArguments {
    std::string folder;
    std::vector<std::string> archives;
    bool quiet = false;
};

int extractArchive(const Source& archive, const std::string& folder) {
    std::vector<uint8_t> bytes;
    if (!readArchiveInput(archive, bytes)) return kExitFailed;
    const Result<TextureExtraction> result = extractTextures(bytes.data(), bytes.size());
    if (!result) {
        consolePrintf("%s: %s\n", archive.name().c_str(), result.message.c_str());
        return kExitFailed;
    }
    const TextureExtraction& extracted = *result;
    // The archive may have been given by a path inside the folder, under a name we write.
    std::vector<std::string> outputs;
    for (const TextureFile& file : extracted.files) {
        outputs.push_back((std::filesystem::path(folder) / file.name).string());
    }
    if (const std::string problem = outputNamingInput(outputs, inputFiles({archive}));
        !problem.empty()) {
        consolePrintf("%s\n", problem.c_str());
        return kExitFailed;
    }
    const Result<> written = writeTextureFiles(folder, extracted.files);
    if (!written) {
        consolePrintf("%s\n", written.message.c_str());
        return kExitFailed;
    }
    return kExitDone;
}

int runExtract(const ExtractArguments& args) {
    const ArchiveList list = archiveSources(args.archives);
    const std::vector<Source>& archives = list.sources;
    OutputPlan plan;
    std::string problem = planOutputs(args.folder, archives, {}, "/", plan);
    if (!plan.folder) {
        problem = args.folder + ": the output must be a folder (an existing one, or a name " +
                  "ending in /)";
    }
    if (!problem.empty()) return usageError("--extract-textures", problem);
    // One archive fills the folder itself; several fill a folder each inside it.
    if (archives.size() == 1) plan.files = {args.folder};
    size_t next = 0;
    return forEachArchive(
        archives,
        [&](const Source& archive) { return extractArchive(archive, plan.files[next++]); },
        list.failed);
}

}  // namespace

ModeRunner declareExtractTexturesMode(CLI::App& app) {
    auto args = std::make_shared<ExtractArguments>();
    app.add_option("DIR", args->folder, "The folder to write (an existing one, or ending in /)")
        ->required()
        ->check(fileNameCheck(false));
    addArchiveArguments(app, args->archives);
    addQuietFlag(app, args->quiet);
    return [args] { return runExtract(*args); };
}

const ModeRegistration kExtractTexturesMode{
    {"--extract-textures", 60,
     "Writes every image of each archive as indexed PNGs of its full size, "
     "DIR/entry<E>-palette<M>.png for each of its palettes, and DIR/textures.json listing "
     "the images and the entries skipped; several archives get DIR/NAME/ each.",
     declareExtractTexturesMode}};
