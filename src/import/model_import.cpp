#include "import/model_import.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "archive/archive_writer.h"
#include "import/block_polygons.h"
#include "import/gltf_triangles.h"
#include "import/part_rebuild.h"
#include "import/polygon_matching.h"
#include "import/pose_import.h"
#include "model/bone_node.h"
#include "model/model.h"

namespace {

double srgbFromLinear(double c) {
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

// The bone most of a triangle's corners belong to; a tie is its first corner's.
int triangleBone(const FileTriangle& t) {
    const int a = t.corners[0].bone, b = t.corners[1].bone, c = t.corners[2].bone;
    return (b == c && a != b) ? b : a;
}

// Brings each file triangle into its bone's frame, in archive units and the viewer's winding,
// grouped by tree position.
class PartSorter {
  public:
    std::string open(const GltfPoseSource& source, size_t nodes) {
        const std::vector<Mat4d>& loaded = source.loadedGlobals();
        Mat4d fromBind;
        if (!invert(source.bindSpace(), fromBind)) return "its bind space cannot be inverted";
        toPart_.resize(loaded.size());
        for (size_t k = 0; k < loaded.size(); ++k) {
            Mat4d inverse;
            if (!invert(loaded[k], inverse)) {
                return "the archive's matrices of " + jointName(source.treeIds()[k]) +
                       " cannot be inverted";
            }
            toPart_[k] = multiply(inverse, fromBind);
        }
        parts.assign(nodes, {});
        return "";
    }

    std::string take(const FileTriangle& t) {
        const int bone = triangleBone(t);
        if (bone == 0) return "a triangle belongs to the root alone, which has no part";
        PartTriangle out;
        out.textured = t.textured;
        static const int kViewerOrder[3] = {0, 2, 1};
        for (int c = 0; c < 3; ++c) {
            const FileCorner& corner = t.corners[kViewerOrder[c]];
            const auto p = transformPoint(toPart_[bone], corner.position[0], corner.position[1],
                                          corner.position[2]);
            for (int a = 0; a < 3; ++a) {
                if (!(std::fabs(p[a]) < 1.0e9))
                    return "a vertex of the mesh lies at no finite place";
                out.position[c][a] = static_cast<float>(p[a]);
                out.attribute[c][a] = static_cast<float>(
                    t.textured ? (a < 2 ? 256.0 * corner.attribute[a] : 0.0)
                               : 256.0 * srgbFromLinear(std::max(0.0f, corner.attribute[a])));
            }
        }
        parts[bone].push_back(out);
        return "";
    }

    std::vector<std::vector<PartTriangle>> parts;

  private:
    std::vector<Mat4d> toPart_;
};

// The parts' new blocks, bone by bone (empty where the bone's block stays as it is).
struct NewBlocks {
    std::vector<std::vector<uint8_t>> ofBone;
    std::vector<bool> edited;
};

std::string rebuildParts(const std::vector<uint8_t>& bytes, const Archive& archive,
                         const GltfPoseSource& source,
                         const std::vector<std::vector<PartTriangle>>& parts, NewBlocks& out) {
    out.ofBone.assign(archive.bones.size(), {});
    out.edited.assign(archive.bones.size(), false);
    const std::vector<int32_t>& ids = source.treeIds();
    BlockContents contents;  // one part's at a time
    for (size_t k = 1; k < ids.size(); ++k) {
        const size_t b = static_cast<size_t>(ids[k] - 1);
        const BoneRecord& record = archive.bones[b];
        const std::string name = jointName(ids[k]);
        PartEdit part;
        part.name = name;
        part.triangles = &parts[k];
        if (record.block >= 0) {
            const MeshBlock& block = archive.blocks[record.block];
            part.block = bytes.data() + block.start;
            part.layout = &block.layout;
            contents = readBlockContents(part.block, block.layout);
            part.contents = &contents;
        } else if (parts[k].empty()) {
            continue;
        } else if (record.meshOffset != 0) {
            return name + ": its mesh block cannot be read, so nothing can be added to it";
        }
        static const BlockContents kNone;
        if (!part.contents) part.contents = &kNone;
        // An untouched part, as most of an edited model is, keeps its block as it was.
        if (part.layout && comesBackInOrder(part.contents->polygons, parts[k])) continue;
        const PartMatching matching = matchPart(part.contents->polygons, parts[k]);
        part.matching = &matching;
        if (matching.untouched && part.layout) continue;
        std::vector<uint8_t> block;
        const std::string error = rebuildBlock(part, block);
        if (!error.empty()) return error;
        const bool same = part.layout && block.size() == part.layout->end &&
                          std::equal(block.begin(), block.end(), part.block);
        if (!same) {
            out.edited[b] = true;
            out.ofBone[b] = std::move(block);
        }
    }
    return "";
}

// Where the new blocks go: each block stays for the bones that did not change it; a block
// whose every bone changed it is rewritten in place for the first of them. Every other edited
// bone gets its own block after the section's blocks, and its record points there.
std::string placeBlocks(const Archive& archive, NewBlocks& blocks, ArchiveEdits& edits) {
    std::vector<ArchiveSplice>& splices = edits.splices;
    std::vector<int> spliceOf(archive.blocks.size(), -1);
    std::vector<bool> blockKept(archive.blocks.size(), false);
    for (size_t b = 0; b < archive.bones.size(); ++b) {
        if (archive.bones[b].block >= 0 && !blocks.edited[b]) {
            blockKept[archive.bones[b].block] = true;
        }
    }
    const size_t recordsEnd =
        std::max<size_t>(archive.sectionStart + kRecordsStart + kRecordBytes * archive.bones.size(),
                         4 + 4 * archive.entries.size());
    size_t blocksEnd = recordsEnd;
    for (const MeshBlock& block : archive.blocks) blocksEnd = std::max(blocksEnd, block.end());
    std::vector<size_t> appended;  // bones given a block of their own, in record order
    for (size_t b = 0; b < archive.bones.size(); ++b) {
        if (!blocks.edited[b]) continue;
        const std::string name = jointName(static_cast<int32_t>(b + 1));
        const int index = archive.bones[b].block;
        if (index >= 0 && !blockKept[index] && spliceOf[index] < 0) {
            const MeshBlock& block = archive.blocks[index];
            if (block.start < recordsEnd) {
                return name + ": its mesh block overlaps the bone records";
            }
            for (const MeshBlock& other : archive.blocks) {
                if (&other != &block && other.start < block.end() && block.start < other.end()) {
                    return name + ": its mesh block overlaps another, so it cannot be rewritten";
                }
            }
            spliceOf[index] = static_cast<int>(splices.size());
            splices.push_back({block.start, block.layout.end, std::move(blocks.ofBone[b])});
        } else if (index < 0 || spliceOf[index] < 0 ||
                   blocks.ofBone[b] != splices[spliceOf[index]].bytes) {
            appended.push_back(b);
        }
    }
    edits.offsets = archiveOffsetFields(archive);
    for (size_t b : appended) {
        edits.offsets[archive.entries.size() + b].landsOn = static_cast<int>(splices.size());
        splices.push_back({blocksEnd, 0, std::move(blocks.ofBone[b])});
    }
    return "";
}

}  // namespace

std::string importModel(const std::vector<uint8_t>& bytes, const Archive& archive,
                        const tinygltf::Model& doc, ModelImport& out, const Model* loaded) {
    out = ModelImport{};
    if (!archive.skeletonRead) return "the archive's skeleton cannot be read";
    Model built;
    if (!loaded) {
        built.buildSkeleton(bytes.data(), archive);
        built.loadedPose = Pose::capture(*built.rootNode());
    }
    const Model& model = loaded ? *loaded : built;
    GltfPoseSource source;
    std::string error = source.open(doc, *model.rootNode(), model.loadedPose);
    if (!error.empty()) return error;
    PartSorter sorter;
    error = sorter.open(source, source.treeIds().size());
    size_t triangles = 0;
    if (error.empty()) {
        error = readSkinnedTriangles(
            doc, source.skin(), source.skinJointPositions(doc),
            [&sorter](const FileTriangle& t) { return sorter.take(t); }, &triangles);
    }
    if (!error.empty()) return error;
    bool archiveHasPolygons = false;
    for (const PartMesh* mesh : model.partList()) archiveHasPolygons |= mesh->hasPolygons();
    if (triangles == 0 && archiveHasPolygons) {
        return "it holds no skinned triangle, and taking that as every polygon deleted is "
               "refused";
    }
    NewBlocks blocks;
    error = rebuildParts(bytes, archive, source, sorter.parts, blocks);
    sorter.parts = {};
    if (!error.empty()) return error;

    ArchiveEdits edits;
    error = placeBlocks(archive, blocks, edits);
    if (!error.empty()) return error;
    std::vector<uint8_t>& result = out.archive;
    const Result<> written = applyArchiveEdits(bytes, edits, result);
    if (!written.ok()) return written.message;
    for (size_t b = 0; b < archive.bones.size(); ++b) out.editedParts += blocks.edited[b];

    // What is written must load as the archive did.
    const Archive check = parseArchive(result);
    if (!check.skeletonRead || check.problems.size() > archive.problems.size() ||
        check.bones.size() != archive.bones.size()) {
        result.clear();
        return "the archive written would not load as the original does";
    }
    return "";
}
