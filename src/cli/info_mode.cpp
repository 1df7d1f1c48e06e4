// --info [--json] [ARCHIVE]...: an account of each archive on standard output, as text or as
// JSON.

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "archive/problem_table.h"
#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "console/console.h"
#include "inspect/archive_report.h"

namespace {

using json = nlohmann::ordered_json;

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

json polygonsJson(const ArchiveReport::PolygonCounts& p) {
    return {{"texturedTriangles", p.texturedTriangles},
            {"texturedQuads", p.texturedQuads},
            {"shadedTriangles", p.shadedTriangles},
            {"shadedQuads", p.shadedQuads}};
}

template <typename T>
json optionalJson(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

// Each problem as its code, its place (null where none applies) and its line.
json diagnosticsJson(const ArchiveReport& r) {
    json diagnostics = json::array();
    for (size_t i = 0; i < r.diagnostics.size(); ++i) {
        const ArchiveProblem& problem = r.diagnostics[i];
        diagnostics.push_back({{"code", problemCodeName(problem.code)},
                               {"entry", optionalJson(problem.entry)},
                               {"bone", optionalJson(problem.bone)},
                               {"offset", optionalJson(problem.offset)},
                               {"text", r.problems[i]}});
    }
    return diagnostics;
}

json reportJson(const ArchiveReport& r) {
    json entries = json::array();
    for (const auto& e : r.entries) {
        entries.push_back({{"index", e.index},
                           {"offset", e.offset},
                           {"size", optionalJson(e.size)},
                           {"uses", e.uses}});
    }
    json bones = json::array();
    json leftOut = json::array();
    for (const auto& b : r.bones) {
        bones.push_back({{"id", b.id},
                         {"parent", b.parent},
                         {"length", b.length},
                         {"angleRaw", b.angleRaw},
                         {"angleRadians", b.angleRadians},
                         {"meshOffset", b.meshOffset},
                         {"polygons", polygonsJson(b.polygons)},
                         {"inTree", b.inTree}});
        if (!b.inTree) leftOut.push_back(b.id);
    }
    json textures = json::array();
    for (const auto& t : r.textures) {
        json overwrites = json::array();
        for (const auto& o : t.overwrites)
            overwrites.push_back({{"entry", o.entry}, {"pixels", o.pixels}});
        textures.push_back({{"entry", t.entry},
                            {"offset", t.offset},
                            {"decoded", t.decoded},
                            {"width", optionalJson(t.width)},
                            {"height", optionalJson(t.height)},
                            {"palettes", optionalJson(t.palettes)},
                            {"pageRows", t.pageRows},
                            {"pageColumns", t.pageColumns},
                            {"overwrites", overwrites}});
    }
    return {{"archive", r.archive.empty() ? json(nullptr) : json(r.archive)},
            {"fileSize", r.fileSize},
            {"declaredEntries", r.declaredEntries},
            {"entries", entries},
            {"bones", bones},
            {"bonesLeftOut", leftOut},
            {"textures", textures},
            {"problems", r.problems},
            {"diagnostics", diagnosticsJson(r)}};
}

void printText(const ArchiveReport& r) {
    std::printf("Archive: %s (%" PRIu64 " bytes)\n",
                r.archive.empty() ? "built-in demo model" : r.archive.c_str(), r.fileSize);

    std::printf("\nEntries: %u declared, %zu in the file\n", r.declaredEntries, r.entries.size());
    std::printf("  %5s  %10s  %10s  %s\n", "entry", "offset", "size", "taken for");
    for (const auto& e : r.entries) {
        const std::string size = e.size ? std::to_string(*e.size) : "invalid";
        std::printf("  %5u  %#10x  %10s  %s\n", e.index, e.offset, size.c_str(),
                    joined(e.uses, ", ").c_str());
    }

    size_t leftOut = 0;
    for (const auto& b : r.bones) leftOut += b.inTree ? 0 : 1;
    std::printf("\nBones: %zu, %zu left out\n", r.bones.size(), leftOut);
    std::printf("  %5s  %6s  %6s  %6s  %9s  %7s  %8s  %7s  %7s\n", "id", "parent", "length",
                "angle", "radians", "tex.tri", "tex.quad", "sh.tri", "sh.quad");
    for (const auto& b : r.bones) {
        const auto& p = b.polygons;
        std::printf("  %5d  %6u  %6d  %6x  %9f  %7zu  %8zu  %7zu  %7zu%s\n", b.id, b.parent,
                    b.length, static_cast<unsigned>(static_cast<uint16_t>(b.angleRaw)),
                    b.angleRadians, p.texturedTriangles, p.texturedQuads, p.shadedTriangles,
                    p.shadedQuads, b.inTree ? "" : "  left out: parent missing or later");
    }

    std::printf("\nTextures: %zu\n", r.textures.size());
    for (const auto& t : r.textures) {
        std::printf("  entry %u at %#x: ", t.entry, t.offset);
        if (t.width && t.height) {
            std::printf("%d x %d", *t.width, *t.height);
        } else {
            std::printf("size unreadable");
        }
        if (t.palettes) std::printf(", %d palettes", *t.palettes);
        std::printf(", %s", t.decoded ? "decoded" : "failed");
        if (t.pageRows > 0) {
            std::printf(", page rows 0-%d, columns 0-%d\n", t.pageRows - 1, t.pageColumns - 1);
        } else {
            std::printf(", nothing on the page\n");
        }
        for (const auto& o : t.overwrites) {
            std::printf("    overwrites %zu pixels of entry %u\n", o.pixels, o.entry);
        }
    }

    std::printf("\nProblems: %zu\n", r.problems.size());
    for (const std::string& line : r.problems) std::printf("  %s\n", line.c_str());
}

struct InfoArguments {
    std::vector<std::string> archives;
    bool json = false;
    bool quiet = false;
};

int describe(const InfoArguments& args, const Source& archive, bool jsonLines, bool first) {
    const Result<Document> document = loadArchive(archive, args.quiet);
    if (!document.ok()) return kExitFailed;
    const ArchiveReport report = describeArchive(*document);
    if (args.json) {
        const json document = reportJson(report);
        const int indent = jsonLines ? -1 : 2;
        std::printf("%s\n",
                    document.dump(indent, ' ', false, json::error_handler_t::replace).c_str());
    } else {
        if (!first) std::printf("\n");
        printText(report);
    }
    std::fflush(stdout);
    return kExitDone;
}

int runInfo(const InfoArguments& args) {
    const ArchiveList archives = archiveSources(args.archives);
    const bool jsonLines = archives.sources.size() > 1;
    bool first = true;
    return forEachArchive(
        archives.sources,
        [&](const Source& archive) {
            const int status = describe(args, archive, jsonLines, first);
            first = false;
            return status;
        },
        archives.failed);
}

}  // namespace

ModeRunner declareInfoMode(CLI::App& app) {
    auto args = std::make_shared<InfoArguments>();
    addArchiveArguments(app, args->archives);
    app.add_flag("--json", args->json,
                 "One JSON document; one compact JSON object per line for several archives");
    addQuietFlag(app, args->quiet);
    return [args] { return runInfo(*args); };
}

const ModeRegistration kInfoMode{
    {"--info", 50,
     "Prints what each archive holds and what is wrong with it; --json gives one JSON "
     "document, or one JSON object per line for several archives.",
     declareInfoMode}};
