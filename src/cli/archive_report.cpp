#include "cli/archive_report.h"

#include <algorithm>
#include <memory>

#include "archive/entry_table.h"
#include "console/console.h"
#include "io/bounded_reader.h"
#include "model/bone_node.h"
#include "model/model_state.h"
#include "model/part_mesh.h"
#include "model/skeleton_layout.h"
#include "texture/texture_page.h"
#include "texture/tim_image.h"

namespace {

std::vector<ArchiveReport::Entry> readEntryTable(const BoundedReader& archive, uint32_t declared) {
    std::vector<ArchiveReport::Entry> entries;
    const EntryTable table(archive);
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < declared; ++i) {
        uint32_t offset = 0;
        if (!table.offset(i, offset)) break;
        offsets.push_back(offset);
    }
    // The texture scan looks at every entry but the last, of a table it accepts: fewer than 256
    // entries, all inside the file.
    const bool scanned = declared < kMaxTextureEntries && offsets.size() == declared;
    for (uint32_t i = 0; i < offsets.size(); ++i) {
        ArchiveReport::Entry entry;
        entry.index = i;
        entry.offset = offsets[i];
        const uint64_t end = i + 1 < offsets.size() ? offsets[i + 1] : archive.size();
        if (end >= offsets[i] && end <= archive.size()) entry.size = end - offsets[i];
        uint32_t firstWord = 0;
        const bool timId = archive.readU32(offsets[i], firstWord) && firstWord == TimImage::kId;
        if (i == kSkeletonEntry) entry.uses.push_back("skeleton section");
        if (i == kAngleTableEntry) entry.uses.push_back("angle table");
        if (timId && scanned && i + 1 < declared) {
            entry.uses.push_back("TIM image");
        }
        if (entry.uses.empty()) entry.uses.push_back("other");
        entries.push_back(entry);
    }
    return entries;
}

ArchiveReport::PolygonCounts countPolygons(const PartMesh& mesh) {
    ArchiveReport::PolygonCounts counts;
    for (size_t i = 0; i < mesh.polygonCount(); ++i) {
        const PolygonView polygon = mesh.polygon(i);
        const bool quad = polygon.cornerCount() == 4;
        if (polygon.isTextured()) {
            ++(quad ? counts.texturedQuads : counts.texturedTriangles);
        } else {
            ++(quad ? counts.shadedQuads : counts.shadedTriangles);
        }
    }
    return counts;
}

// The loaded bones with the record and angle values they came from. The angle table rules
// follow the loader: entry 2 when the archive has one, 0 for angles it does not hold.
std::vector<ArchiveReport::Bone> describeBones(const BoundedReader& archive, uint32_t declared) {
    std::vector<bool> inTree(partList.size() + 1, false);
    if (rootNode) {
        forEachPreOrder(*rootNode, [&](const BoneNode& node) {
            if (node.boneId >= 0 && static_cast<size_t>(node.boneId) < inTree.size()) {
                inTree[static_cast<size_t>(node.boneId)] = true;
            }
        });
    }
    const EntryTable table(archive);
    uint32_t section = 0, angles = 0;
    table.offset(kSkeletonEntry, section);
    const bool hasAngles = declared > kAngleTableEntry && table.offset(kAngleTableEntry, angles);

    std::vector<ArchiveReport::Bone> bones;
    for (size_t i = 0; i < partList.size(); ++i) {
        ArchiveReport::Bone bone;
        bone.id = static_cast<int32_t>(i + 1);
        const size_t record = static_cast<size_t>(section) + kRecordsStart + kRecordBytes * i;
        archive.readU16(record, bone.parent);
        archive.readI16(record + 2, bone.length);
        archive.readU32(record + 4, bone.meshOffset);
        if (hasAngles) {
            archive.readI16(static_cast<size_t>(angles) + kAnglesStart + 2 * i, bone.angleRaw);
        }
        bone.angleRadians = boneAngleRadians(bone.angleRaw);
        if (partList[i]) bone.polygons = countPolygons(*partList[i]);
        bone.inTree = inTree[i + 1];
        bones.push_back(bone);
    }
    return bones;
}

// Decodes each image alone into an empty page to see which page pixels it writes (a written
// pixel is never transparent black: every colour channel is at least 7), then tells which
// earlier image owned each of them.
std::vector<ArchiveReport::Texture> describeTextures(
    const BoundedReader& archive, const std::vector<ArchiveReport::Entry>& entries) {
    std::vector<ArchiveReport::Texture> textures;
    std::vector<int64_t> owner(kTexturePageSize * kTexturePageSize, -1);
    for (const ArchiveReport::Entry& entry : entries) {
        bool isImage = false;
        for (const std::string& use : entry.uses) isImage |= use == "TIM image";
        if (!isImage) continue;

        ArchiveReport::Texture texture;
        texture.entry = entry.index;
        texture.offset = entry.offset;
        const BoundedReader data =
            entry.size ? archive.slice(entry.offset, *entry.size) : BoundedReader();
        uint8_t palettes = 0;
        if (data.readU8(TimImage::kPaletteCountOffset, palettes)) {
            texture.palettes = palettes;
            const size_t image = TimImage::kPalettesOffset + TimImage::kPaletteBytes * palettes;
            uint16_t units = 0, rows = 0;
            if (data.readU16(image + TimImage::kImageWidthOffset, units) &&
                data.readU16(image + TimImage::kImageHeightOffset, rows)) {
                texture.width = TimImage::kPixelsPerWidthUnit * units;
                texture.height = rows;
            }
        }
        if (data.size() > 0) {
            auto page = std::make_unique<TexturePage>();
            {
                ConsoleCapture quiet;  // the real load has reported this image already
                texture.decoded = page->decodeTim(data.data(), data.size()) == 0;
            }
            std::vector<size_t> replaced(entries.size() + 1, 0);
            for (int y = 0; y < kTexturePageSize; ++y) {
                for (int x = 0; x < kTexturePageSize; ++x) {
                    const size_t p = static_cast<size_t>(y * kTexturePageSize + x);
                    const uint8_t* pixel = &page->pixels[4 * p];
                    if ((pixel[0] | pixel[1] | pixel[2] | pixel[3]) == 0) continue;
                    texture.pageRows = std::max(texture.pageRows, y + 1);
                    texture.pageColumns = std::max(texture.pageColumns, x + 1);
                    if (owner[p] >= 0) ++replaced[static_cast<size_t>(owner[p])];
                    owner[p] = entry.index;
                }
            }
            for (size_t e = 0; e < replaced.size(); ++e) {
                if (replaced[e] > 0)
                    texture.overwrites.push_back({static_cast<uint32_t>(e), replaced[e]});
            }
        }
        textures.push_back(texture);
    }
    return textures;
}

}  // namespace

ArchiveReport describeArchive(const std::string& archive, const std::vector<uint8_t>& bytes,
                              const std::vector<std::string>& problems) {
    const BoundedReader reader(bytes.data(), bytes.size());
    ArchiveReport report;
    report.archive = archive;
    report.fileSize = bytes.size();
    EntryTable(reader).count(report.declaredEntries);
    report.entries = readEntryTable(reader, report.declaredEntries);
    report.bones = describeBones(reader, report.declaredEntries);
    report.textures = describeTextures(reader, report.entries);
    report.problems = problems;
    return report;
}
