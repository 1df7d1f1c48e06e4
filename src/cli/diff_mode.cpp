// --diff [--json] [--quiet] [--picture OUT] A B: what differs between two archives. The status
// is as cmp has it: 0 the same, 1 different, 2 trouble (a usage error, an archive that cannot
// be read at all, a picture that cannot be written).

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/offscreen_context.h"
#include "cli/output_rules.h"
#include "console/console.h"
#include "document/document.h"
#include "inspect/archive_comparison.h"
#include "inspect/comparison_json.h"
#include "inspect/comparison_text.h"
#include "png/png_writing.h"
#include "render/side_by_side.h"

namespace {

enum DiffStatus : int { kSame = 0, kDifferent = 1, kTrouble = 2 };
constexpr int kPictureWidth = 960, kPictureHeight = 480;

struct DiffArguments {
    std::string a, b;
    std::string picture;
    bool json = false;
    bool quiet = false;
};

// "" or the usage problem, found before anything is read.
std::string usageProblem(const DiffArguments& args) {
    if (args.a == "-" && args.b == "-") return "A and B cannot both be standard input";
    if (args.picture.empty()) return "";
    if (!hasEnding(args.picture, ".png")) {
        return args.picture + ": the picture must end in .png";
    }
    return outputNamingInput({args.picture},
                             inputFiles({sourceFromArgument(args.a), sourceFromArgument(args.b)}));
}

// The document of one argument, or none with its one line on the console.
std::unique_ptr<Document> loadSide(const std::string& argument, bool quiet) {
    Source source;
    if (!singleArchiveSource(argument, source)) return nullptr;
    Result<Document> loaded = loadDocument(source);
    if (!loaded.ok()) {
        consolePrintf("%s\n", loaded.message.c_str());
        return nullptr;
    }
    auto document = std::make_unique<Document>(std::move(loaded).value());
    if (!quiet) {
        for (const std::string& line : textureLoaderLines(document->archive)) {
            consolePrintf("%s", line.c_str());
        }
        for (const std::string& line : skeletonLoaderLines(document->archive)) {
            consolePrintf("%s", line.c_str());
        }
    }
    return document;
}

// Both models side by side, the bones that differ outlined on the side that holds them.
int writePicture(const std::string& path, Document& a, Document& b,
                 const ArchiveComparison& comparison) {
    std::vector<int32_t> outlinedA, outlinedB;
    for (const BoneComparison& bone : comparison.bones) {
        if (bone.only != OnlyIn::B) outlinedA.push_back(bone.id);
        if (bone.only != OnlyIn::A) outlinedB.push_back(bone.id);
    }
    OffscreenDisplay display;
    if (const Result<> opened = display.open(); !opened) {
        consolePrintf("Off-screen drawing is not available: %s\n", opened.message.c_str());
        return kTrouble;
    }
    const OffscreenContext context(display, kPictureWidth, kPictureHeight);
    if (const Result<> ready = context.ready(); !ready) {
        consolePrintf("Off-screen drawing is not available: %s\n", ready.message.c_str());
        return kTrouble;
    }
    const Result<std::vector<uint8_t>> pixels =
        drawSideBySide(*a.model, outlinedA, *b.model, outlinedB, kPictureWidth, kPictureHeight);
    if (!pixels.ok()) {
        consolePrintf("%s: %s\n", path.c_str(), pixels.message.c_str());
        return kTrouble;
    }
    if (const Result<> written = writePngFile(path, kPictureWidth, kPictureHeight, 3, *pixels);
        !written) {
        consolePrintf("%s: %s\n", path.c_str(), written.message.c_str());
        return kTrouble;
    }
    return kSame;
}

int runDiff(const DiffArguments& args) {
    const std::string problem = usageProblem(args);
    if (!problem.empty()) return usageError("--diff", problem);
    const std::unique_ptr<Document> a = loadSide(args.a, args.quiet);
    if (!a) return kTrouble;
    const std::unique_ptr<Document> b = loadSide(args.b, args.quiet);
    if (!b) return kTrouble;

    const ArchiveComparison comparison = compareDocuments(*a, *b);
    if (!args.quiet) {
        if (args.json) {
            std::printf("%s\n",
                        comparisonJson(comparison)
                            .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                            .c_str());
        } else {
            std::printf("%s",
                        comparisonText(comparison, a->source.name(), b->source.name()).c_str());
        }
        std::fflush(stdout);
    }
    if (!args.picture.empty() && writePicture(args.picture, *a, *b, comparison) != kSame) {
        return kTrouble;
    }
    return comparison.same() ? kSame : kDifferent;
}

}  // namespace

ModeRunner declareDiffMode(CLI::App& app) {
    auto args = std::make_shared<DiffArguments>();
    app.add_option("A", args->a, "The first archive (- for standard input)")
        ->type_name("FILE")
        ->required()
        ->check(fileNameCheck(true));
    app.add_option("B", args->b, "The second archive (- for standard input, when A is not)")
        ->type_name("FILE")
        ->required()
        ->check(fileNameCheck(true));
    app.add_flag("--json", args->json, "One JSON document instead of the text");
    app.add_option("--picture", args->picture,
                   "A 960 x 480 PNG of A and B side by side, the bones that differ outlined")
        ->type_name("OUT")
        ->check(fileNameCheck(false));
    app.add_flag("--quiet", args->quiet, "Print nothing: the status alone says it");
    return [args] { return runDiff(*args); };
}

const ModeRegistration kDiffMode{
    {"--diff", 55,
     "Compares two archives A and B: the bytes, every entry, the bones and their meshes, the "
     "images and the bytes no loader reads; prints a summary line and what differs, bone by "
     "bone, or with --json one JSON document. The one mode whose status 1 means \"different\": "
     "0 the same, 1 different, 2 trouble (a usage error, an archive that cannot be read, a "
     "picture that cannot be written). --picture draws both side by side, the bones that differ "
     "outlined.",
     declareDiffMode}};
