// --scan [--json] SOURCE...: every archive and TIM image found in disc images, folders and
// containers, named so that each name opens the item again.

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/scan_reporting.h"
#include "source/source_scan.h"

namespace {

using json = nlohmann::ordered_json;

struct ScanArguments {
    std::vector<std::string> sources;
    bool json = false;
    bool quiet = false;
};

std::string holds(const FoundItem& found) {
    char text[96];
    if (found.item.kind == ScanItem::Archive) {
        const ArchiveShape& a = found.item.archive;
        std::snprintf(text, sizeof text, "%u bone%s, %u texture%s", a.bones,
                      a.bones == 1 ? "" : "s", a.textures, a.textures == 1 ? "" : "s");
    } else {
        const TimInfo& t = found.item.tim;
        std::snprintf(text, sizeof text, "%d-bit %d x %d", t.bpp, t.width, t.height);
        std::string line = text;
        if (t.palettes > 0) {
            std::snprintf(text, sizeof text, ", %d palette%s", t.palettes,
                          t.palettes == 1 ? "" : "s");
            line += text;
        }
        return line;
    }
    return text;
}

json itemJson(const FoundItem& found) {
    json item = {{"name", found.source.name()},
                 {"kind", found.item.kind == ScanItem::Archive ? "archive" : "tim"},
                 {"size", found.item.size}};
    if (found.item.kind == ScanItem::Archive) {
        item["bones"] = found.item.archive.bones;
        item["textures"] = found.item.archive.textures;
    } else {
        const TimInfo& t = found.item.tim;
        item["bpp"] = t.bpp;
        item["width"] = t.width;
        item["height"] = t.height;
        item["palettes"] = t.palettes;
    }
    if (found.inImage) item["sector"] = found.sector;
    return item;
}

void printText(const std::vector<FoundItem>& items) {
    size_t nameWidth = 4;
    for (const FoundItem& found : items)
        nameWidth = std::max(nameWidth, found.source.name().size());
    for (const FoundItem& found : items) {
        std::printf("%-*s  %-7s  %10" PRIu64 "  %s\n", static_cast<int>(nameWidth),
                    found.source.name().c_str(),
                    found.item.kind == ScanItem::Archive ? "archive" : "tim", found.item.size,
                    holds(found).c_str());
    }
}

int runScan(const ScanArguments& args) {
    std::vector<FoundItem> items;
    int status = kExitDone;
    size_t read = 0;
    for (const std::string& path : args.sources) {
        SourceScan scan;
        if (!scanReporting(path, scan)) {
            status = kExitFailed;
            continue;
        }
        ++read;
        for (FoundItem& found : scan.items) items.push_back(std::move(found));
    }
    if (args.json) {
        json list = json::array();
        for (const FoundItem& found : items) list.push_back(itemJson(found));
        std::printf("%s\n", list.dump(2, ' ', false, json::error_handler_t::replace).c_str());
    } else {
        printText(items);
        size_t archives = 0;
        for (const FoundItem& found : items) archives += found.item.kind == ScanItem::Archive;
        const size_t tims = items.size() - archives;
        std::printf("%zu archive%s and %zu TIM image%s found in %zu source%s\n", archives,
                    archives == 1 ? "" : "s", tims, tims == 1 ? "" : "s", read,
                    read == 1 ? "" : "s");
    }
    std::fflush(stdout);
    return status;
}

}  // namespace

ModeRunner declareScanMode(CLI::App& app) {
    auto args = std::make_shared<ScanArguments>();
    app.add_option("SOURCE", args->sources,
                   "Disc images (.cue, raw .bin/.img, .iso), folders, or files the game packs "
                   "things into")
        ->required()
        ->type_name("FILE")
        ->check(fileNameCheck(false));
    app.add_flag("--json", args->json, "One JSON array with an object per item");
    addQuietFlag(app, args->quiet);
    return [args] { return runScan(*args); };
}

const ModeRegistration kScanMode{
    {"--scan", 80,
     "Lists every archive and TIM image found in each SOURCE: the files of a disc image "
     "(CUE sheet, raw 2352- or 2336-byte sectors, ISO 9660), the sectors no file claims, the "
     "files of a folder, and what lies at offsets inside any file. Each name opens the item "
     "wherever an ARCHIVE is taken (game.cue/CHR/HERO.BIN, pack.dat@0x1a44); --json gives one "
     "JSON array.",
     declareScanMode}};
