// The problems of a reading as data: each code's name, the place the reading gives it, and the
// line the table makes from it, the loader's own.

#include "archive/problem_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "archive/archive.h"
#include "archive_builder.h"

namespace {

namespace ab = archive_builder;

TEST(ProblemTable, EveryCodeHasItsOwnLowerCaseName) {
    std::set<std::string> names;
    for (int c = 0; c <= static_cast<int>(ProblemCode::MeshVertexOutside); ++c) {
        const std::string name = problemCodeName(static_cast<ProblemCode>(c));
        EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), std::string::npos) << name;
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_STREQ(problemCodeName(ProblemCode::TimHeader), "tim-header");
    EXPECT_STREQ(problemCodeName(ProblemCode::BoneRecordsShort), "bone-records-short");
}

TEST(ProblemTable, ProblemsCarryTheirPlaceAndMakeTheLoadersLines) {
    ab::TimImage badPalette;
    badPalette.palettes = {0, 0x7FFF};
    badPalette.clutLength = 0x10C;
    ab::MeshBlock tooManyQuads;
    tooManyQuads.vertices = {{0, 0, 0}};
    tooManyQuads.shadedQuadCount = 500;
    ab::Skeleton skeleton;
    skeleton.bones = {{0, 0, tooManyQuads, 0xFFFFFF00u}, {0, 0, tooManyQuads, {}}};
    const ab::Bytes bytes =
        ab::buildModelArchive(skeleton, ab::AngleTable{0, {0, 0}}, {badPalette});
    const std::vector<uint32_t> offsets = ab::entryOffsets(bytes);
    const Archive archive = parseArchive(bytes);

    ASSERT_EQ(archive.problems.size(), 3u);
    const ArchiveProblem& palette = archive.problems[0];
    EXPECT_EQ(palette.code, ProblemCode::TimPaletteSize);
    EXPECT_EQ(palette.entry, 3u);
    EXPECT_EQ(palette.bone, std::nullopt);
    EXPECT_EQ(palette.offset, offsets[3]);
    EXPECT_EQ(problemLine(palette), "Error : palette size [     10c]\n");
    EXPECT_EQ(textureLoaderLines(archive).back(), problemLine(palette));

    const ArchiveProblem& outside = archive.problems[1];
    EXPECT_EQ(outside.code, ProblemCode::MeshBlockOutside);
    EXPECT_EQ(outside.entry, std::nullopt);
    EXPECT_EQ(outside.bone, 0u);
    EXPECT_EQ(outside.offset, offsets[0] + uint64_t{0xFFFFFF00u});
    EXPECT_EQ(problemLine(outside),
              "Bone 0: the mesh block at section offset ffffff00 lies outside the archive: mesh "
              "skipped\n");

    const ArchiveProblem& quads = archive.problems[2];
    EXPECT_EQ(quads.code, ProblemCode::MeshRecordsOutside);
    EXPECT_EQ(quads.bone, 1u);
    const std::string line = problemLine(quads);
    EXPECT_EQ(line.rfind("Bone 1: the mesh block at section offset ", 0), 0u) << line;
    EXPECT_NE(line.find(" is skipped: 500 shaded quads need 12000 bytes but the mesh block has "),
              std::string::npos)
        << line;
    const std::vector<std::string> skeletonLines = skeletonLoaderLines(archive);
    ASSERT_EQ(skeletonLines.size(), 4u);
    EXPECT_EQ(skeletonLines[0], problemLine(outside));
    EXPECT_EQ(skeletonLines[2], line);
}

}  // namespace
