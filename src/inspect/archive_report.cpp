#include "inspect/archive_report.h"

#include <algorithm>
#include <memory>

#include "archive/archive.h"
#include "archive/problem_table.h"
#include "document/document.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "texture/texture_page.h"
#include "tim/tim_image.h"

namespace {

std::vector<ArchiveReport::Entry> describeEntries(const Archive& archive) {
    std::vector<ArchiveReport::Entry> entries;
    std::vector<bool> image(archive.entries.size(), false);
    for (const ImageEntry& found : archive.images) image[found.entry] = true;
    for (uint32_t i = 0; i < archive.entries.size(); ++i) {
        const ArchiveEntry& stored = archive.entries[i];
        ArchiveReport::Entry entry;
        entry.index = i;
        entry.offset = stored.offset;
        if (stored.inside) entry.size = stored.end - stored.offset;
        if (i == kSkeletonEntry) entry.uses.push_back("skeleton section");
        if (i == kAngleTableEntry) entry.uses.push_back("angle table");
        if (image[i]) entry.uses.push_back("TIM image");
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

// The loaded bones with the record and angle values they came from.
std::vector<ArchiveReport::Bone> describeBones(const Archive& archive, const Model& model) {
    const std::vector<PartMesh*>& parts = model.partList();
    std::vector<bool> inTree(parts.size() + 1, false);
    forEachPreOrder(*model.rootNode(), [&](const BoneNode& node) {
        if (node.boneId >= 0 && static_cast<size_t>(node.boneId) < inTree.size()) {
            inTree[static_cast<size_t>(node.boneId)] = true;
        }
    });
    std::vector<ArchiveReport::Bone> bones;
    for (size_t i = 0; i < archive.bones.size() && i < parts.size(); ++i) {
        const BoneRecord& record = archive.bones[i];
        ArchiveReport::Bone bone;
        bone.id = static_cast<int32_t>(i + 1);
        bone.parent = record.parent;
        bone.length = record.length;
        bone.meshOffset = record.meshOffset;
        bone.angleRaw = record.angle;
        bone.angleRadians = boneAngleRadians(bone.angleRaw);
        bone.polygons = countPolygons(*parts[i]);
        bone.inTree = inTree[i + 1];
        bones.push_back(bone);
    }
    return bones;
}

// Decodes each image alone into an empty page to see which page pixels it writes (a written
// pixel is never transparent black: every colour channel is at least 7), then tells which
// earlier image owned each of them.
std::vector<ArchiveReport::Texture> describeTextures(const Archive& archive,
                                                     const std::vector<uint8_t>& bytes) {
    const BoundedReader reader(bytes.data(), bytes.size());
    std::vector<ArchiveReport::Texture> textures;
    std::vector<int64_t> owner(kTexturePageSize * kTexturePageSize, -1);
    for (const ImageEntry& image : archive.images) {
        ArchiveReport::Texture texture;
        texture.entry = image.entry;
        texture.offset = image.start;
        const BoundedReader data =
            image.inside ? reader.slice(image.start, image.end - image.start) : BoundedReader();
        TimImage layout;
        if (readTimPaletteCount(data, layout)) {
            texture.palettes = layout.paletteCount;
            if (readTimImageSize(data, layout)) {
                texture.width = layout.width;
                texture.height = layout.height;
            }
        }
        if (data.size() > 0) {
            auto page = std::make_unique<TexturePage>();
            page->decodeChecked(data, image.check);
            texture.decoded = !image.check.failed;
            std::vector<size_t> replaced(archive.entries.size() + 1, 0);
            for (int y = 0; y < kTexturePageSize; ++y) {
                for (int x = 0; x < kTexturePageSize; ++x) {
                    const size_t p = static_cast<size_t>(y * kTexturePageSize + x);
                    const uint8_t* pixel = &page->pixels[4 * p];
                    if ((pixel[0] | pixel[1] | pixel[2] | pixel[3]) == 0) continue;
                    texture.pageRows = std::max(texture.pageRows, y + 1);
                    texture.pageColumns = std::max(texture.pageColumns, x + 1);
                    if (owner[p] >= 0) ++replaced[static_cast<size_t>(owner[p])];
                    owner[p] = image.entry;
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

ArchiveReport describeArchive(const Document& document) {
    const Archive& parsed = document.archive;
    ArchiveReport report;
    report.archive = document.source.argument();
    report.fileSize = document.bytes.size();
    report.declaredEntries = parsed.declaredEntries;
    report.entries = describeEntries(parsed);
    report.bones = describeBones(parsed, *document.model);
    report.textures = describeTextures(parsed, document.bytes);
    report.diagnostics = parsed.problems;
    for (const ArchiveProblem& problem : parsed.problems) {
        const std::string line = problemLine(problem);
        report.problems.push_back(line.substr(0, line.find_last_not_of('\n') + 1));
    }
    return report;
}
