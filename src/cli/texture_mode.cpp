// --texture OUT [ARCHIVE]...: the 256 x 256 texture page as the viewer uploads it, RGBA with the
// transparent texels of palette index 0 kept.

#include <memory>
#include <string>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/output_rules.h"
#include "console/console.h"
#include "png/png_writing.h"
#include "texture/texture_page.h"

namespace {

struct TextureArguments {
    std::string output;
    std::vector<std::string> archives;
    bool quiet = false;
};

int writePage(const TextureArguments& args, const Source& archive, const std::string& output) {
    const Result<Document> document = loadArchive(archive, args.quiet);
    if (!document.ok()) return kExitFailed;
    const TexturePage& page = document->model->texturePage();
    if (page.decodedImages == 0) {
        consolePrintf("%s: no texture image to write\n", archive.name().c_str());
        return kExitFailed;
    }
    const std::vector<uint8_t> pixels(page.pixels.begin(), page.pixels.end());
    const Result<> written = writePngFile(output, kTexturePageSize, kTexturePageSize, 4, pixels);
    if (!written) {
        consolePrintf("%s: %s\n", output.c_str(), written.message.c_str());
        return kExitFailed;
    }
    return kExitDone;
}

int runTexture(const TextureArguments& args) {
    const ArchiveList archives = archiveSources(args.archives);
    OutputPlan plan;
    std::string problem = planOutputs(args.output, archives.sources, {".png"}, ".png", plan);
    if (problem.empty()) problem = outputNamingInput(plan.files, inputFiles(archives.sources));
    if (!problem.empty()) return usageError("--texture", problem);
    return writeEachArchive(
        plan, archives.sources,
        [&](const Source& archive, const std::string& output) {
            return writePage(args, archive, output);
        },
        archives.failed);
}

}  // namespace

ModeRunner declareTextureMode(CLI::App& app) {
    auto args = std::make_shared<TextureArguments>();
    app.add_option("OUT", args->output, "The PNG to write, or a folder for NAME.png files")
        ->required()
        ->type_name("FILE")
        ->check(fileNameCheck(false));
    addArchiveArguments(app, args->archives);
    addQuietFlag(app, args->quiet);
    return [args] { return runTexture(*args); };
}

const ModeRegistration kTextureMode{
    {"--texture", 30,
     "Writes the decoded 256 x 256 texture page as an RGBA PNG; a folder OUT gets NAME.png "
     "for each NAME.bin.",
     declareTextureMode}};
