// Two loaded archives compared piece by piece: the bytes, the entry table, the bones with their
// meshes, the images, and the bytes no loader reads.

#include "inspect/archive_comparison.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "document/document.h"
#include "inspect/mesh_comparison.h"
#include "inspect/texture_comparison.h"
#include "model/bone_node.h"

namespace {

struct Bytes {
    const uint8_t* data;
    size_t size;
};

// Positions that differ over the common length, plus the difference in length.
uint64_t differingBytes(Bytes a, Bytes b) {
    const size_t common = std::min(a.size, b.size);
    uint64_t count = std::max(a.size, b.size) - common;
    for (size_t k = 0; k < common; ++k) count += a.data[k] != b.data[k] ? 1 : 0;
    return count;
}

// An entry's content: from its offset to its end, both cut to the archive.
Bytes contentOf(const ArchiveEntry& entry, const std::vector<uint8_t>& bytes) {
    const size_t start = std::min<uint64_t>(entry.offset, bytes.size());
    const size_t end = std::clamp<uint64_t>(entry.end, start, bytes.size());
    return {bytes.data() + start, end - start};
}

bool equalContent(Bytes a, Bytes b) {
    return a.size == b.size && std::equal(a.data, a.data + a.size, b.data);
}

std::vector<EntryComparison> compareEntries(const Document& a, const Document& b) {
    const std::vector<ArchiveEntry>& entriesA = a.archive.entries;
    const std::vector<ArchiveEntry>& entriesB = b.archive.entries;
    std::vector<EntryComparison> out;
    for (size_t i = 0; i < std::max(entriesA.size(), entriesB.size()); ++i) {
        EntryComparison entry;
        entry.index = static_cast<uint32_t>(i);
        if (i < entriesA.size()) {
            entry.offsetA = entriesA[i].offset;
            entry.sizeA = contentOf(entriesA[i], a.bytes).size;
        }
        if (i < entriesB.size()) {
            entry.offsetB = entriesB[i].offset;
            entry.sizeB = contentOf(entriesB[i], b.bytes).size;
        }
        if (!entry.offsetB) {
            entry.change = EntryChange::Removed;
        } else if (!entry.offsetA) {
            entry.change = EntryChange::Added;
        } else if (!equalContent(contentOf(entriesA[i], a.bytes),
                                 contentOf(entriesB[i], b.bytes))) {
            entry.change = EntryChange::Changed;
        }
        out.push_back(entry);
    }
    return out;
}

// Bone id i + 1 at i: whether the tree holds it.
std::vector<bool> bonesInTree(const Model& model) {
    std::vector<bool> inTree(model.boneCount(), false);
    forEachPreOrder(*model.rootNode(), [&](const BoneNode& node) {
        if (node.boneId >= 1 && static_cast<size_t>(node.boneId) <= inTree.size()) {
            inTree[static_cast<size_t>(node.boneId) - 1] = true;
        }
    });
    return inTree;
}

template <typename T>
Changed<T> changed(T a, T b) {
    if (a == b) return std::nullopt;
    return std::make_pair(a, b);
}

MeshBlockBytes blockOf(const Document& document, const BoneRecord& bone) {
    if (bone.block < 0) return {};
    const MeshBlock& block = document.archive.blocks[static_cast<size_t>(bone.block)];
    return {document.bytes.data() + block.start, &block.layout};
}

// Bones by id. Bones that share a block in both archives share its comparison, which is made
// once, and its unread bytes count once.
void compareBones(const Document& a, const Document& b, ArchiveComparison& out) {
    const std::vector<BoneRecord>& bonesA = a.archive.bones;
    const std::vector<BoneRecord>& bonesB = b.archive.bones;
    const std::vector<bool> treeA = bonesInTree(*a.model), treeB = bonesInTree(*b.model);
    std::map<std::pair<int, int>, MeshBlockComparison> blockPairs;
    AlignmentBudget budget;
    for (size_t i = 0; i < std::max(bonesA.size(), bonesB.size()); ++i) {
        BoneComparison bone;
        bone.id = static_cast<int32_t>(i + 1);
        if (i >= bonesA.size() || i >= bonesB.size()) {
            bone.only = i < bonesA.size() ? OnlyIn::A : OnlyIn::B;
            out.bones.push_back(bone);
            continue;
        }
        const BoneRecord& p = bonesA[i];
        const BoneRecord& q = bonesB[i];
        bone.parent = changed(p.parent, q.parent);
        bone.length = changed(p.length, q.length);
        bone.angleRaw = changed(p.angle, q.angle);
        bone.inTree = changed<bool>(treeA[i], treeB[i]);
        const std::pair<int, int> blocks(p.block, q.block);
        auto known = blockPairs.find(blocks);
        if (known == blockPairs.end()) {
            known =
                blockPairs.emplace(blocks, compareMeshBlocks(blockOf(a, p), blockOf(b, q), budget))
                    .first;
            out.unread.vertexPadding += known->second.vertexPadding;
            out.unread.polygonPadding += known->second.polygonPadding;
        }
        bone.mesh = known->second.mesh;
        if (bone.parent || bone.length || bone.angleRaw || bone.inTree || bone.mesh.differs()) {
            out.bones.push_back(bone);
        }
    }
}

void compareTextures(const Document& a, const Document& b, ArchiveComparison& out) {
    std::map<uint32_t, const ImageEntry*> imagesB;
    for (const ImageEntry& image : b.archive.images) imagesB[image.entry] = &image;
    std::map<uint32_t, TextureComparison> byEntry;
    for (const ImageEntry& image : a.archive.images) {
        const auto match = imagesB.find(image.entry);
        if (match == imagesB.end()) {
            byEntry[image.entry] = {image.entry, OnlyIn::A};
        } else {
            byEntry[image.entry] = compareImages(image, a.bytes, *match->second, b.bytes);
            imagesB.erase(match);
        }
    }
    for (const auto& [entry, image] : imagesB) byEntry[entry] = {entry, OnlyIn::B};
    for (const auto& [entry, texture] : byEntry) {
        if (differs(texture)) out.textures.push_back(texture);
    }
}

// Bytes at the given offsets of each archive that differ, or that only one holds.
size_t differingAt(const std::vector<uint8_t>& a, uint64_t fromA, const std::vector<uint8_t>& b,
                   uint64_t fromB, size_t length) {
    size_t count = 0;
    for (size_t k = 0; k < length; ++k) {
        const bool inA = fromA + k < a.size(), inB = fromB + k < b.size();
        if (inA != inB || (inA && a[fromA + k] != b[fromB + k])) ++count;
    }
    return count;
}

// The section's count word could be read: the two words after it are the ones skipped.
bool sectionCountRead(const Document& d) {
    return d.bytes.size() >= 8 && d.archive.sectionStart + 4 <= d.bytes.size();
}

size_t changedSkeletonWords(const Document& a, const Document& b) {
    size_t count = 0;
    if (sectionCountRead(a) && sectionCountRead(b)) {
        count += differingAt(a.bytes, a.archive.sectionStart + 4, b.bytes,
                             b.archive.sectionStart + 4, kRecordsStart - 4);
    }
    if (a.archive.hasAngleTable && b.archive.hasAngleTable) {
        count += differingAt(a.bytes, a.archive.angleTableOffset, b.bytes,
                             b.archive.angleTableOffset, kAnglesStart);
    }
    return count;
}

// No loader reads the entry: it is neither the skeleton section, nor the angle table, nor an
// image, and no mesh block reaches into it.
std::vector<bool> entriesNeverRead(const Archive& archive) {
    std::vector<bool> never(archive.entries.size(), true);
    if (!never.empty()) never[kSkeletonEntry] = false;
    if (archive.hasAngleTable && never.size() > kAngleTableEntry) never[kAngleTableEntry] = false;
    for (const ImageEntry& image : archive.images) never[image.entry] = false;
    // The blocks by start, each with the furthest end of those up to it: an entry meets a block
    // when some block starting before the entry's end ends after its offset.
    std::vector<std::pair<size_t, size_t>> blocks;
    for (const MeshBlock& block : archive.blocks) blocks.emplace_back(block.start, block.end());
    std::sort(blocks.begin(), blocks.end());
    for (size_t k = 1; k < blocks.size(); ++k) {
        blocks[k].second = std::max(blocks[k].second, blocks[k - 1].second);
    }
    for (size_t i = 0; i < archive.entries.size(); ++i) {
        const ArchiveEntry& entry = archive.entries[i];
        const auto before = std::lower_bound(
            blocks.begin(), blocks.end(), entry.end,
            [](const std::pair<size_t, size_t>& block, uint64_t end) { return block.first < end; });
        if (before != blocks.begin() && std::prev(before)->second > entry.offset) never[i] = false;
    }
    return never;
}

size_t changedEntriesNeverRead(const Document& a, const Document& b) {
    const std::vector<bool> neverA = entriesNeverRead(a.archive);
    const std::vector<bool> neverB = entriesNeverRead(b.archive);
    size_t count = 0;
    for (size_t i = 0; i < std::min(neverA.size(), neverB.size()); ++i) {
        if (neverA[i] && neverB[i]) {
            count += differingBytes(contentOf(a.archive.entries[i], a.bytes),
                                    contentOf(b.archive.entries[i], b.bytes));
        }
    }
    return count;
}

}  // namespace

PolygonChanges& PolygonChanges::operator+=(const PolygonChanges& o) {
    added += o.added;
    removed += o.removed;
    changed += o.changed;
    coloursChanged += o.coloursChanged;
    uvsChanged += o.uvsChanged;
    return *this;
}

PolygonChanges MeshComparison::totals() const {
    PolygonChanges total;
    for (const PolygonChanges& kind : kinds) total += kind;
    return total;
}

bool MeshComparison::differs() const {
    return verticesMoved + verticesAdded + verticesRemoved > 0 || totals().any();
}

ArchiveComparison compareDocuments(const Document& a, const Document& b) {
    ArchiveComparison out;
    out.sizeA = a.bytes.size();
    out.sizeB = b.bytes.size();
    out.bytesDiffering =
        differingBytes({a.bytes.data(), a.bytes.size()}, {b.bytes.data(), b.bytes.size()});
    out.entries = compareEntries(a, b);
    compareBones(a, b, out);
    compareTextures(a, b, out);
    out.unread.skeletonWords = changedSkeletonWords(a, b);
    out.unread.entriesNeverRead = changedEntriesNeverRead(a, b);
    return out;
}
