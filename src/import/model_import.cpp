#include "import/model_import.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "import/block_polygons.h"
#include "import/gltf_triangles.h"
#include "import/part_rebuild.h"
#include "import/polygon_matching.h"
#include "import/pose_import.h"
#include "io/byte_order.h"
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

// One stretch of the old archive replaced by new bytes: a block rewritten where it stands, or
// (length 0) a block added.
struct Splice {
    size_t at = 0, length = 0;
    std::vector<uint8_t> bytes;
    // Offsets that point past the old bytes move by the change in size.
    bool moves(uint64_t offset) const { return length ? offset >= at + length : offset >= at; }
    int64_t delta() const {
        return static_cast<int64_t>(bytes.size()) - static_cast<int64_t>(length);
    }
};

uint64_t moved(const std::vector<Splice>& splices, uint64_t offset) {
    int64_t shift = 0;
    for (const Splice& s : splices) {
        if (s.moves(offset)) shift += s.delta();
    }
    return static_cast<uint64_t>(static_cast<int64_t>(offset) + shift);
}

void setLE32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

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

    // Each block stays for the bones that did not change it; a block whose every bone changed
    // it is rewritten in place for the first of them. Every other edited bone gets its own
    // block after the section's blocks.
    std::vector<Splice> splices;
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
    std::sort(splices.begin(), splices.end(),
              [](const Splice& a, const Splice& b) { return a.at < b.at; });
    std::vector<size_t> newBlockAt(archive.bones.size(), 0);
    for (size_t b : appended) {
        splices.push_back({blocksEnd, 0, std::move(blocks.ofBone[b])});
    }

    // The new archive: the old bytes with the splices, then the offsets that moved.
    std::vector<uint8_t>& result = out.archive;
    uint64_t total = bytes.size();
    for (const Splice& s : splices) total += s.delta();
    if (total > UINT32_MAX) return "the archive would grow past 4 GiB";
    result.reserve(total);
    size_t from = 0;
    for (const Splice& s : splices) {
        if (s.at > from) result.insert(result.end(), bytes.begin() + from, bytes.begin() + s.at);
        from = std::max(from, s.at);
        if (s.length == 0) {
            // An added block: where it lands, for its bone's record.
            const size_t k =
                static_cast<size_t>(&s - splices.data()) - (splices.size() - appended.size());
            newBlockAt[appended[k]] = result.size();
        }
        result.insert(result.end(), s.bytes.begin(), s.bytes.end());
        from += s.length;
    }
    result.insert(result.end(), bytes.begin() + from, bytes.end());

    for (size_t i = 0; i < archive.entries.size(); ++i) {
        setLE32(result, 4 + 4 * i,
                static_cast<uint32_t>(moved(splices, archive.entries[i].offset)));
    }
    const size_t section = archive.sectionStart;
    for (size_t b = 0; b < archive.bones.size(); ++b) {
        const BoneRecord& record = archive.bones[b];
        uint64_t offset = record.meshOffset;
        if (newBlockAt[b]) {
            offset = newBlockAt[b] - section;
        } else if (offset != 0) {
            offset = moved(splices, section + offset) - section;
        }
        setLE32(result, record.at + 4, static_cast<uint32_t>(offset));
    }
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
