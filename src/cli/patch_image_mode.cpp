// --patch-image OUT IMAGE MEMBER FILE [MEMBER FILE]...: IMAGE written to OUT with each member's
// contents replaced by FILE, in place on the disc, so that the game reads the new files.

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/progress_line.h"
#include "console/console.h"
#include "disc/disc_image.h"
#include "disc/image_patch.h"
#include "disc/iso9660.h"
#include "io/file_reading.h"
#include "io/formatted.h"
#include "source/source_reading.h"
#include "source/source_scan.h"
#include "texture_io/tim_png.h"
#include "tim/tim_format.h"

namespace {

struct PatchArguments {
    std::string output;
    std::string image;
    std::vector<std::string> pairs;  // MEMBER FILE ...
    bool quiet = false;
};

// The member as --scan names it after the image's name; the full name is taken too.
Source memberOf(const std::string& image, const std::string& name) {
    std::string inside = name;
    if (inside.size() > image.size() + 1 && inside.compare(0, image.size(), image) == 0 &&
        inside[image.size()] == '/') {
        inside = inside.substr(image.size() + 1);
    }
    Source source = sourceFromArgument(image + "/" + inside);
    if (source.kind != Source::Kind::Member) {
        source.kind = Source::Kind::Member;
        source.path = image;
        source.member = inside;
    }
    return source;
}

bool readReplacement(const std::string& path, std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        consolePrintf("%s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    ArchiveRead read = readArchiveStream(file);
    std::fclose(file);
    if (read.outcome != ArchiveRead::Read) {
        consolePrintf(
            "%s: %s\n", path.c_str(),
            read.outcome == ArchiveRead::Failed
                ? std::strerror(read.error)
                : formatted("more than the %" PRIu64 " bytes a member may take", kArchiveSizeLimit)
                      .c_str());
        return false;
    }
    bytes = std::move(read.bytes);
    return true;
}

bool isPng(const std::vector<uint8_t>& bytes) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

// One replacement: the member, what lies there now (for an item at an offset, its size; for a
// TIM, the picture a PNG replaces), and the new bytes.
bool planReplacement(const std::string& image, const std::string& name, const std::string& file,
                     MemberReplacement& replacement) {
    const Source member = memberOf(image, name);
    replacement.member = member.member;
    replacement.atOffset = member.atOffset;
    replacement.itemOffset = member.offset;
    if (!readReplacement(file, replacement.bytes)) return false;
    const bool png = isPng(replacement.bytes);
    if (!member.atOffset && !png) return true;
    std::vector<uint8_t> current;
    const Result<> read = readSource(member, current);
    if (!read.ok()) {
        consolePrintf("%s\n", read.message.c_str());
        return false;
    }
    replacement.itemSize = current.size();
    if (!png) return true;
    TimInfo tim;
    if (!probeTim(BoundedReader(current.data(), current.size()), 0, tim) ||
        tim.size != current.size()) {
        consolePrintf("%s: a PNG can replace only a TIM image, and %s is none\n", file.c_str(),
                      member.name().c_str());
        return false;
    }
    const Result<> decoded = readTimPngs({replacement.bytes}, tim, current.data());
    if (!decoded) {
        consolePrintf("%s: %s\n", file.c_str(), decoded.message.c_str());
        return false;
    }
    replacement.bytes = std::move(current);
    return true;
}

// The sectors where a scan finds items that no file names, which a growing member must not take;
// looked for only when a member grows past the sectors it has.
std::vector<SectorRange> foundSectors(const std::string& image,
                                      const std::vector<MemberReplacement>& replacements) {
    DiscImage disc;
    IsoVolume volume;
    if (!DiscImage::open(image, disc).ok() || !readIsoVolume(disc, volume).ok()) return {};
    bool grows = false;
    for (const MemberReplacement& replacement : replacements) {
        const IsoFile* file = volume.find(replacement.member);
        grows = grows || (file && !replacement.atOffset &&
                          replacement.bytes.size() > uint64_t{file->sectors()} * 2048);
    }
    if (!grows) return {};
    std::vector<SectorRange> ranges;
    for (const FoundItem& found : scanSource(image).items) {
        if (!found.inImage || !found.source.member.empty()) continue;
        const uint64_t start = found.source.offset % 2048;
        ranges.push_back(
            {found.sector, static_cast<uint32_t>((start + found.item.size + 2047) / 2048)});
    }
    return ranges;
}

int runPatch(const PatchArguments& args) {
    if (args.pairs.size() % 2 != 0) {
        return usageError("--patch-image", "MEMBER " + args.pairs.back() + " has no FILE");
    }
    std::vector<std::string> outputs;
    const Result<> planned = plannedOutputs(args.image, args.output, outputs);
    if (planned.code == 2) return usageError("--patch-image", planned.message);
    if (!planned.ok()) {
        consolePrintf("%s\n", planned.message.c_str());
        return kExitFailed;
    }
    std::vector<MemberReplacement> replacements;
    for (size_t k = 0; k < args.pairs.size(); k += 2) {
        MemberReplacement replacement;
        if (!planReplacement(args.image, args.pairs[k], args.pairs[k + 1], replacement)) {
            return kExitFailed;
        }
        replacements.push_back(std::move(replacement));
    }
    Result<> patched;
    {
        ProgressLine progress;
        patched = patchImage(
            args.image, args.output, replacements,
            [&](uint64_t done, uint64_t total) {
                progress.count(args.output, done, total, "sectors");
            },
            foundSectors(args.image, replacements));
    }
    if (patched.code == 2) return usageError("--patch-image", patched.message);
    if (!patched.ok()) {
        consolePrintf("%s\n", patched.message.c_str());
        return kExitFailed;
    }
    std::printf("Patch image : %s\n", args.output.c_str());
    std::fflush(stdout);
    return kExitDone;
}

}  // namespace

ModeRunner declarePatchImageMode(CLI::App& app) {
    auto args = std::make_shared<PatchArguments>();
    addFileArgument(app, "OUT", args->output,
                    "The image to write, of IMAGE's form (a .cue gets its track files beside it)");
    addFileArgument(app, "IMAGE", args->image, "The disc image to start from (never written)");
    app.add_option("MEMBER FILE", args->pairs,
                   "A member as --scan names it, and the file that replaces it (a PNG for a TIM)")
        ->required()
        ->type_name("")
        ->check(fileNameCheck(false));
    addQuietFlag(app, args->quiet);
    return [args] { return runPatch(*args); };
}

const ModeRegistration kPatchImageMode{
    {"--patch-image", 90,
     "Writes OUT: IMAGE with each MEMBER's contents replaced by FILE, where the member lies, so "
     "that the game reads the new file. A member keeps its first sector; a longer file may "
     "grow only into following sectors that nothing uses. Raw sectors keep their addresses and "
     "subheaders and get their error codes computed again. A TIM member takes a PNG made by "
     "--extract. Prints \"Patch image : OUT\".",
     declarePatchImageMode}};
