// --extract DIR SOURCE...: every item a scan finds, byte for byte, under DIR at its path inside
// the source, with each TIM's pictures beside it.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/output_rules.h"
#include "cli/progress_line.h"
#include "cli/scan_reporting.h"
#include "console/console.h"
#include "io/file_saving.h"
#include "source/item_reading.h"
#include "source/source_scan.h"
#include "texture_io/tim_png.h"

namespace {

struct ExtractArguments {
    std::string folder;
    std::vector<std::string> sources;
    bool quiet = false;
};

// The item's path under the output folder: its path inside the source, an item at an offset
// getting .bin or .tim. Empty when a part of it could climb out of the folder.
std::string relativePath(const FoundItem& found) {
    std::string path = found.inside;
    if (found.source.atOffset) path += found.item.kind == ScanItem::Archive ? ".bin" : ".tim";
    size_t from = 0;
    while (from <= path.size()) {
        const size_t slash = std::min(path.find('/', from), path.size());
        const std::string part = path.substr(from, slash - from);
        if (part.empty() || part == "." || part == "..") return "";
        from = slash + 1;
    }
    return path;
}

std::string lastPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the folders of path below root; false with one line when one cannot be made.
bool makeFoldersFor(const std::string& root, const std::string& relative) {
    std::string folder = root;
    size_t from = 0;
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', from)) {
        folder += "/" + relative.substr(from, slash - from);
        from = slash + 1;
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
            consolePrintf("%s: %s\n", folder.c_str(), std::strerror(errno));
            return false;
        }
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            consolePrintf("%s: %s\n", folder.c_str(), std::strerror(ENOTDIR));
            return false;
        }
    }
    return true;
}

bool save(const std::string& path, const std::vector<uint8_t>& bytes) {
    const SaveResult saved = saveFile(path, bytes);
    if (saved.outcome == SaveOutcome::Saved) return true;
    consolePrintf("%s: %s\n", path.c_str(), describeSaveFailure(saved).c_str());
    return false;
}

bool extractItem(ItemReader& reader, const FoundItem& found, const std::string& root) {
    const std::string relative = relativePath(found);
    if (relative.empty()) {
        consolePrintf("%s: its name would leave the output folder: not written\n",
                      found.source.name().c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    const Result<> read = reader.read(found, bytes);
    if (!read.ok()) {
        consolePrintf("%s\n", read.message.c_str());
        return false;
    }
    if (!makeFoldersFor(root, relative)) return false;
    const std::string path = root + "/" + relative;
    if (!save(path, bytes)) return false;
    if (found.item.kind != ScanItem::Tim) return true;
    const Result<> pictures = writeTimPngs(path, bytes.data(), found.item.tim);
    if (!pictures) {
        consolePrintf("%s\n", pictures.message.c_str());
        return false;
    }
    return true;
}

int runExtract(const ExtractArguments& args) {
    if (!namesFolder(args.folder) && ::access(args.folder.c_str(), F_OK) == 0) {
        return usageError("--extract", args.folder + ": the output must be a folder");
    }
    std::vector<SourceScan> scans;
    int status = kExitDone;
    size_t found = 0;
    for (const std::string& path : args.sources) {
        SourceScan scan;
        if (!scanReporting(path, scan)) status = kExitFailed;
        found += scan.items.size();
        scans.push_back(std::move(scan));
    }
    if (found == 0) {
        if (status == kExitDone) consolePrintf("Nothing found: nothing written\n");
        return kExitFailed;
    }
    OutputPlan plan;
    plan.folder = true;
    plan.folderPath = args.folder;
    if (!makeOutputFolder(plan)) return kExitFailed;
    ItemReader reader;
    ProgressLine progress;
    size_t done = 0;
    for (size_t k = 0; k < scans.size(); ++k) {
        // Several sources each get a folder of their own name, so that their paths do not meet.
        std::string root = args.folder;
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        if (scans.size() > 1) {
            root += "/" + lastPart(args.sources[k]);
            if (!makeFoldersFor(root, "/")) return kExitFailed;
        }
        for (const FoundItem& item : scans[k].items) {
            progress.count("Writing", ++done, found, "items");
            if (!extractItem(reader, item, root)) status = kExitFailed;
        }
    }
    return status;
}

}  // namespace

ModeRunner declareExtractMode(CLI::App& app) {
    auto args = std::make_shared<ExtractArguments>();
    app.add_option("DIR", args->folder, "The folder to write (made when missing)")
        ->required()
        ->check(fileNameCheck(false));
    app.add_option("SOURCE", args->sources,
                   "Disc images, folders, or files the game packs things into")
        ->required()
        ->type_name("FILE")
        ->check(fileNameCheck(false));
    addQuietFlag(app, args->quiet);
    return [args] { return runExtract(*args); };
}

const ModeRegistration kExtractMode{
    {"--extract", 85,
     "Writes every item --scan finds under DIR at its path inside the source, byte for byte "
     "(DIR/CHR/HERO.BIN; an item at an offset as DIR/DATA/PACK.DAT@0x1000.bin or .tim), and "
     "beside each TIM its picture: NAME.png, or NAME-palette<M>.png for each of several "
     "palettes (4- and 8-bit indexed with the TIM's own indices, 16-bit RGBA, 24-bit RGB; "
     "colour value 0 is transparent). Several sources get DIR/NAME/ each.",
     declareExtractMode}};
