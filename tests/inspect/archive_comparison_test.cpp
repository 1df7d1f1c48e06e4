// Archives built with exactly one change each, compared with the archive they were made from.
#include "inspect/archive_comparison.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "archive_builder.h"
#include "document/document.h"
#include "inspect/comparison_json.h"
#include "inspect/comparison_text.h"
#include "inspect/sequence_alignment.h"

namespace {

namespace ab = archive_builder;

// Three bones in a chain, each with a mesh of every polygon kind, and one image.
struct Design {
    ab::Skeleton skeleton;
    ab::AngleTable angles{0, {0, 1000, 2000}};
    ab::TimImage image;
    ab::Bytes filler{0xEE, 0xEE, 0xEE, 0xEE};

    Design() {
        ab::MeshBlock mesh;
        mesh.vertices = {{0, 0, 0, 0}, {40, 0, 0, 0}, {40, 0, 40, 0}, {0, 0, 40, 0}};
        const std::array<uint16_t, 3> tri{ab::vref(0), ab::vref(1), ab::vref(2)};
        mesh.texturedTriangles = {{tri, {ab::UV{0, 0}, {31, 0}, {31, 31}}, 0},
                                  {tri, {ab::UV{1, 1}, {30, 1}, {30, 30}}, 0}};
        mesh.texturedQuads = {{{ab::vref(0), ab::vref(1), ab::vref(3), ab::vref(2)},
                               {ab::UV{0, 0}, {31, 0}, {0, 31}, {31, 31}},
                               0}};
        for (uint8_t k = 0; k < 3; ++k) {
            const ab::RGB c{static_cast<uint8_t>(50 * k), 100, 200};
            mesh.shadedTriangles.push_back({tri, {c, c, c}});
        }
        mesh.shadedQuads = {{{ab::vref(0), ab::vref(1), ab::vref(3), ab::vref(2)},
                             {ab::RGB{9, 9, 9}, {9, 9, 9}, {9, 9, 9}, {9, 9, 9}}}};
        skeleton.bones = {{0, 10, mesh, {}}, {1, 20, mesh, {}}, {2, 30, mesh, {}}};
        image.widthUnits = 2;
        image.height = 2;
        for (uint16_t k = 0; k < 16; ++k) image.palettes.push_back(ab::rgb15(k, 31 - k, 4));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 8; ++x) image.setIndex(x, y, static_cast<uint8_t>(x + y));
        }
    }
    ab::Bytes bytes() const {
        ab::Archive archive;
        archive.entries = {skeleton.bytes(), filler, angles.bytes(), image.bytes(), {0, 0, 0, 0}};
        return archive.bytes();
    }
};

Document documentOf(const ab::Bytes& bytes) {
    return documentFromBytes(Source::file("x.bin"), bytes);
}

ArchiveComparison compareWith(const std::function<void(Design&)>& change) {
    Design edited;
    change(edited);
    return compareDocuments(documentOf(Design().bytes()), documentOf(edited.bytes()));
}

std::string textOf(const ArchiveComparison& c) {
    return comparisonText(c, "a.bin", "b.bin");
}

TEST(ArchiveComparison, IdenticalArchivesAreTheSame) {
    const ArchiveComparison c = compareWith([](Design&) {});
    EXPECT_TRUE(c.same());
    EXPECT_EQ(c.bytesDiffering, 0u);
    ASSERT_EQ(c.entries.size(), 5u);
    for (const EntryComparison& e : c.entries) EXPECT_EQ(e.change, EntryChange::Same);
    EXPECT_TRUE(c.bones.empty());
    EXPECT_TRUE(c.textures.empty());
    EXPECT_EQ(c.unread.total(), 0u);
    EXPECT_EQ(textOf(c), "a.bin and b.bin are the same: " + std::to_string(c.sizeA) + " bytes\n");
}

TEST(ArchiveComparison, BoneFieldsDifferBoneByBone) {
    const ArchiveComparison angle = compareWith([](Design& d) { d.angles.angles[2] = 12345; });
    EXPECT_EQ(textOf(angle),
              "a.bin and b.bin differ: 2 bytes (714 and 714 bytes); entries: 1 changed, 0 added, "
              "0 removed; 1 bone, 0 textures and 0 unread bytes differ\n"
              "entry 2: changed at 0x274, 10 bytes\n"
              "bone 3: angle 2000 -> 12345 (0.191750 -> 1.183580)\n");

    // Bone 3 hung under itself: parent 2 -> 3, and it leaves the tree.
    const ArchiveComparison parent = compareWith([](Design& d) { d.skeleton.bones[2].parent = 3; });
    ASSERT_EQ(parent.bones.size(), 1u);
    EXPECT_EQ(parent.bones[0].parent, (std::pair<uint16_t, uint16_t>(2, 3)));
    EXPECT_EQ(parent.bones[0].inTree, std::make_pair(true, false));
    EXPECT_FALSE(parent.bones[0].length);
    EXPECT_EQ(comparisonJson(parent)["bones"].dump(),
              R"([{"id":3,"parent":[2,3],"inTree":[true,false],"mesh":{"verticesMoved":0,)"
              R"("maxMove":0.0,"verticesAdded":0,"verticesRemoved":0,"polygonsAdded":0,)"
              R"("polygonsRemoved":0,"polygonsChanged":0,"coloursChanged":0,"uvsChanged":0}}])");

    Design fourBones;
    fourBones.skeleton.bones.push_back({3, 40, {}, {}});
    fourBones.angles.angles.push_back(0);
    const ArchiveComparison added =
        compareDocuments(documentOf(Design().bytes()), documentOf(fourBones.bytes()));
    ASSERT_EQ(added.bones.size(), 1u);
    EXPECT_EQ(added.bones[0].id, 4);
    EXPECT_EQ(added.bones[0].only, OnlyIn::B);
    EXPECT_EQ(comparisonJson(added)["bones"].dump(), R"([{"id":4,"only":"b"}])");
}

// Polygons are aligned on equal records: one deleted is one removed, not every later one changed.
TEST(ArchiveComparison, MeshChangesAreCountedKindByKind) {
    const ArchiveComparison deleted = compareWith([](Design& d) {
        auto& triangles = d.skeleton.bones[0].mesh->shadedTriangles;
        triangles.erase(triangles.begin());
    });
    ASSERT_EQ(deleted.bones.size(), 1u);
    EXPECT_EQ(deleted.bones[0].id, 1);
    const PolygonChanges& shaded = deleted.bones[0].mesh.kinds[2];
    EXPECT_EQ(shaded.removed, 1u);
    EXPECT_EQ(shaded.changed + shaded.added, 0u);
    EXPECT_EQ(textOf(deleted).substr(textOf(deleted).find("bone 1")),
              "bone 1: shaded triangles: 1 removed\n");

    const ArchiveComparison painted = compareWith([](Design& d) {
        d.skeleton.bones[1].mesh->shadedQuads[0].rgb[3] = {9, 9, 10};
    });
    ASSERT_EQ(painted.bones.size(), 1u);
    EXPECT_EQ(painted.bones[0].mesh.kinds[3].changed, 1u);
    EXPECT_EQ(painted.bones[0].mesh.kinds[3].coloursChanged, 1u);

    const ArchiveComparison mapped = compareWith([](Design& d) {
        d.skeleton.bones[2].mesh->texturedQuads[0].uv[1] = {30, 0};
        d.skeleton.bones[2].mesh->texturedTriangles[1].rowOffset = 1;
    });
    ASSERT_EQ(mapped.bones.size(), 1u);
    EXPECT_EQ(textOf(mapped).substr(textOf(mapped).find("bone 3")),
              "bone 3: textured triangles: 1 changed, 1 with texture coordinates changed\n"
              "bone 3: textured quads: 1 changed, 1 with texture coordinates changed\n");

    const ArchiveComparison moved = compareWith([](Design& d) {
        d.skeleton.bones[0].mesh->vertices[2] = {43, 4, 40, 0};
        d.skeleton.bones[0].mesh->vertices.push_back({1, 1, 1, 0});
    });
    ASSERT_EQ(moved.bones.size(), 1u);
    const MeshComparison& mesh = moved.bones[0].mesh;
    EXPECT_EQ(mesh.verticesMoved, 1u);
    EXPECT_DOUBLE_EQ(mesh.maxMove, 5.0);
    EXPECT_EQ(mesh.verticesAdded, 1u);
    EXPECT_EQ(mesh.verticesRemoved, 0u);
    EXPECT_FALSE(mesh.totals().any());
}

TEST(ArchiveComparison, ImagesAreComparedByEntry) {
    const ArchiveComparison c = compareWith([](Design& d) {
        d.image.palettes[5] = ab::rgb15(1, 2, 3);
        d.image.setIndex(7, 1, 0);
    });
    ASSERT_EQ(c.textures.size(), 1u);
    EXPECT_EQ(c.textures[0].entry, 3u);
    EXPECT_FALSE(c.textures[0].headerChanged);
    EXPECT_EQ(c.textures[0].paletteColoursChanged, 1u);
    EXPECT_EQ(c.textures[0].pixelsChanged, 1u);
    EXPECT_TRUE(c.bones.empty());
    EXPECT_EQ(textOf(c).substr(textOf(c).find("texture entry")),
              "texture entry 3: 1 palette colour changed, 1 pixel changed\n");

    const ArchiveComparison taller = compareWith([](Design& d) { d.image.height = 3; });
    ASSERT_EQ(taller.textures.size(), 1u);
    EXPECT_TRUE(taller.textures[0].headerChanged);
    EXPECT_EQ(taller.textures[0].pixelsChanged, 8u);  // the new row
}

// Bytes no loader reads: each place alone, and nothing else differs.
TEST(ArchiveComparison, UnreadBytesAloneDifferOnlyThere) {
    const ArchiveComparison words =
        compareWith([](Design& d) { d.skeleton.unusedWords[1] = 0x0101; });
    const ArchiveComparison padding =
        compareWith([](Design& d) { d.skeleton.bones[1].mesh->vertices[0].pad = 7; });
    const ArchiveComparison filler = compareWith([](Design& d) { d.filler[3] = 1; });
    EXPECT_EQ(words.unread.skeletonWords, 2u);
    EXPECT_EQ(padding.unread.vertexPadding, 1u);
    EXPECT_EQ(filler.unread.entriesNeverRead, 1u);
    for (const ArchiveComparison* c : {&words, &padding, &filler}) {
        EXPECT_FALSE(c->same());
        EXPECT_EQ(c->unread.total(), c->bytesDiffering);
        EXPECT_TRUE(c->bones.empty());
        EXPECT_TRUE(c->textures.empty());
    }
    EXPECT_EQ(textOf(filler).substr(textOf(filler).find("entry 1")),
              "entry 1: changed at 0x270, 4 bytes\n"
              "unread bytes: 1 differ: 1 in entries never read\n");

    // A byte of a textured triangle that no corner reads (its sixth).
    const ab::Bytes original = Design().bytes();
    ab::Bytes poked = original;
    const Document a = documentOf(original);
    const MeshBlock& block = a.archive.blocks[0];
    poked[block.start + block.layout.groups[0].start + 6] ^= 1;
    const ArchiveComparison record = compareDocuments(a, documentOf(poked));
    EXPECT_EQ(record.unread.polygonPadding, 1u);
    EXPECT_EQ(record.bytesDiffering, 1u);
    EXPECT_TRUE(record.bones.empty());
}

// An entry that grows moves the later ones, which stay the same.
TEST(ArchiveComparison, MovedEntriesAreTheSameWithBothOffsets) {
    const ArchiveComparison c = compareWith([](Design& d) { d.filler.resize(8, 0); });
    ASSERT_EQ(c.entries.size(), 5u);
    EXPECT_EQ(c.entries[1].change, EntryChange::Changed);
    for (size_t i : {0, 2, 3, 4}) EXPECT_EQ(c.entries[i].change, EntryChange::Same) << i;
    EXPECT_EQ(*c.entries[3].offsetB, *c.entries[3].offsetA + 4);
    EXPECT_TRUE(c.bones.empty());
    EXPECT_TRUE(c.textures.empty());
    EXPECT_EQ(c.unread.entriesNeverRead, 4u);
    EXPECT_EQ(textOf(c),
              "a.bin and b.bin differ: 59 bytes (714 and 718 bytes); entries: 1 changed, 0 added, "
              "0 removed; 0 bones, 0 textures and 4 unread bytes differ\n"
              "entry 1: changed at 0x270, 4 -> 8 bytes\n"
              "entry 2: the same, moved 0x274 -> 0x278\n"
              "entry 3: the same, moved 0x27e -> 0x282\n"
              "entry 4: the same, moved 0x2c6 -> 0x2ca\n"
              "unread bytes: 4 differ: 4 in entries never read\n");

    Design fewer;
    const ab::Bytes five = fewer.bytes();
    ab::Archive four;
    four.entries = {fewer.skeleton.bytes(), fewer.filler, fewer.angles.bytes(),
                    fewer.image.bytes()};
    const ArchiveComparison removed = compareDocuments(documentOf(five), documentOf(four.bytes()));
    ASSERT_EQ(removed.entries.size(), 5u);
    EXPECT_EQ(removed.entries[4].change, EntryChange::Removed);
    EXPECT_FALSE(removed.entries[4].offsetB);
    EXPECT_EQ(comparisonJson(removed)["entries"][4].dump(),
              R"({"index":4,"change":"removed","offsetA":)" +
                  std::to_string(*removed.entries[4].offsetA) + R"(,"offsetB":null})");
}

}  // namespace

namespace {

std::vector<std::pair<size_t, size_t>> aligned(
    const std::string& a, const std::string& b,
    size_t cells = AlignmentBudget::kCellsPerComparison) {
    AlignmentBudget budget;
    budget.cellsLeft = cells;
    return alignEqualItems(
        a.size(), b.size(), [&](size_t i, size_t j) { return a[i] == b[j]; }, budget);
}

using Pairs = std::vector<std::pair<size_t, size_t>>;

// A longest common subsequence between the equal ends; past the budget, index against index.
TEST(SequenceAlignment, LongestCommonRunThenIndexMatching) {
    // x and y at the ends, b d a b between them.
    EXPECT_EQ(aligned("xabcbdaby", "xbdcabay"),
              (Pairs{{0, 0}, {2, 1}, {5, 2}, {6, 4}, {7, 5}, {8, 7}}));
    EXPECT_EQ(aligned("abc", "abc"), (Pairs{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(aligned("", "abc"), Pairs{});
    EXPECT_EQ(aligned("qabcz", "abcqz", 0), (Pairs{{4, 4}}));  // only the equal tail
    EXPECT_EQ(aligned("qbcz", "abcz", 0), (Pairs{{1, 1}, {2, 2}, {3, 3}}));
}

}  // namespace
