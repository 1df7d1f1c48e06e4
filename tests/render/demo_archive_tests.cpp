// The built-in demo archive loads cleanly and shows off the format: a jointed figure of a dozen
// or more bones, every polygon kind, several palettes, transparency, bent joints and negative
// bone lengths, all inside what the three views show.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "archive/archive.h"
#include "demo/demo_archive.h"
#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "support/model_fixture.h"
#include "texture/texture_page.h"

namespace {

Vec3 transform(const Matrix4& m, const Vec3& p) {
    return {m[0] * p.x() + m[4] * p.y() + m[8] * p.z() + m[12],
            m[1] * p.x() + m[5] * p.y() + m[9] * p.z() + m[13],
            m[2] * p.x() + m[6] * p.y() + m[10] * p.z() + m[14]};
}

class DemoArchive : public test_support::ModelFixture {
  protected:
    void SetUp() override {
        const Archive archive = parseArchive(demoArchiveData(), demoArchiveSize());
        ASSERT_EQ(archive.skeletonResult(), 0);
        model.buildSkeleton(demoArchiveData(), archive);
        model.texturePage().decodeImages(demoArchiveData(), archive);
        textureResult = archive.texturesResult();
    }
    int textureResult = -1;
};

}  // namespace

TEST_F(DemoArchive, IsAJointedFigureTwoToThreeLevelsDeep) {
    ASSERT_GE(partList.size(), 12u);
    EXPECT_NE(partList.size(), 16u);  // 16 bones would make the skeleton look like an image
    size_t reached = 0, deepest = 0;
    std::vector<std::pair<const BoneNode*, size_t>> stack{{rootNode, 0}};
    bool bent = false, negativeLength = false;
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, depth);
        if (node != rootNode) ++reached;
        bent |= node->poseMatrix[6] != 0.0f;
        negativeLength |= node->boneOffsetMatrix[14] < 0.0f;
        for (const BoneNode* child : node->children) stack.push_back({child, depth + 1});
    }
    EXPECT_EQ(reached, partList.size());  // every bone hangs in the tree
    EXPECT_EQ(deepest, 3u);
    EXPECT_TRUE(bent);
    EXPECT_TRUE(negativeLength);
}

TEST_F(DemoArchive, HasEveryPolygonKindAndSeveralPalettes) {
    size_t kinds[2][2] = {{0, 0}, {0, 0}};  // [textured][quad]
    std::set<int> paletteCopies;
    for (const PartMesh* part : partList) {
        EXPECT_TRUE(part->hasPolygons());
        for (size_t i = 0; i < part->polygonCount(); ++i) {
            const PolygonView p = part->polygon(i);
            ++kinds[p.isTextured()][p.cornerCount() == 4];
            if (!p.isTextured()) continue;
            for (size_t k = 0; k < p.cornerCount(); ++k) {
                EXPECT_LE(p.texCoord(k).y(), 1.0f);  // inside the page
            }
            paletteCopies.insert(static_cast<int>(p.texCoord(0).y() * 256) / 64);
        }
    }
    EXPECT_GT(kinds[0][0], 0u);
    EXPECT_GT(kinds[0][1], 0u);
    EXPECT_GT(kinds[1][0], 0u);
    EXPECT_GT(kinds[1][1], 0u);
    EXPECT_EQ(paletteCopies, (std::set<int>{0, 1, 2, 3}));
}

TEST_F(DemoArchive, TextureHasFourPaletteCopiesWithTransparentTexels) {
    EXPECT_EQ(textureResult, 0);
    const TexturePage& page = model.texturePage();
    EXPECT_EQ(page.width, 64);
    EXPECT_EQ(page.height, 64);
    size_t transparent = 0, opaque = 0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 64; ++x) {
            (page.pixels[4 * (256 * y + x) + 3] == 0 ? transparent : opaque)++;
        }
    }
    EXPECT_GT(transparent, 1000u);
    EXPECT_GT(opaque, 8000u);
    // One emblem texel in each copy: the same index through a different palette.
    std::set<std::vector<uint8_t>> colours;
    for (int copy = 0; copy < 4; ++copy) {
        const size_t at = 4 * (256 * (copy * 64 + 8) + 16);
        colours.insert({page.pixels[at], page.pixels[at + 1], page.pixels[at + 2]});
    }
    EXPECT_EQ(colours.size(), 4u);
}

TEST_F(DemoArchive, FitsTheViewsWhenEveryBoneIsPlaced) {
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    std::vector<std::pair<const BoneNode*, Matrix4>> stack{{rootNode, identityMatrix()}};
    while (!stack.empty()) {
        auto [node, frame] = stack.back();
        stack.pop_back();
        const Matrix4 meshFrame = matProduct(matProduct(frame, node->userMatrix), node->poseMatrix);
        for (size_t i = 0; i < node->mesh->polygonCount(); ++i) {
            const PolygonView p = node->mesh->polygon(i);
            for (size_t k = 0; k < p.cornerCount(); ++k) {
                const Vec3 w = transform(meshFrame, p.position(k));
                const float c[3] = {w.x(), w.y(), w.z()};
                for (int k = 0; k < 3; ++k) {
                    lo[k] = std::min(lo[k], c[k]);
                    hi[k] = std::max(hi[k], c[k]);
                }
            }
        }
        for (const BoneNode* child : node->children) {
            stack.push_back({child, matProduct(meshFrame, node->boneOffsetMatrix)});
        }
    }
    // The main and side views show +-160 x +-360 pixels, the up view +-160 x +-160.
    for (int k = 0; k < 2; ++k) {
        EXPECT_GT(lo[k], -150.0f) << k;
        EXPECT_LT(hi[k], 150.0f) << k;
    }
    EXPECT_GT(lo[2], -340.0f);
    EXPECT_LT(hi[2], 340.0f);
    EXPECT_GT(hi[2] - lo[2], 450.0f);  // a figure, not a speck
}
