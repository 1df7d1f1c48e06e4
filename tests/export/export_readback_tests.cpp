// Exports a builder archive, reads the file back with tinygltf's loader and checks it against
// what the viewer shows: the tree, the skinned corners, the texture page, the faces, the axes,
// the animation and the refusals.

#include <gtest/gtest.h>
#include <tiny_gltf.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "console/console.h"
#include "export/gltf_export.h"
#include "export_test_archive.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/pose_file.h"
#include "support/model_fixture.h"
#include "support/test_files.h"
#include "texture/texture_page.h"

namespace {

// The elements of an accessor, read as T (float or unsigned short).
template <typename T = float>
std::vector<T> valuesOf(const tinygltf::Model& doc, int accessorIndex) {
    const tinygltf::Accessor& a = doc.accessors[accessorIndex];
    const tinygltf::BufferView& view = doc.bufferViews[a.bufferView];
    const auto* data = reinterpret_cast<const T*>(doc.buffers[view.buffer].data.data() +
                                                  view.byteOffset + a.byteOffset);
    return std::vector<T>(data, data + a.count * tinygltf::GetNumComponentsInType(a.type));
}

// translation · rotation · scale as a column-major matrix.
Mat4d fromTrs(const std::vector<double>& t, const std::vector<double>& q,
              const std::vector<double>& s) {
    const double x = q.empty() ? 0 : q[0], y = q.empty() ? 0 : q[1], z = q.empty() ? 0 : q[2],
                 w = q.empty() ? 1 : q[3];
    const double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                         2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                         2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
    Mat4d m = identity4d();
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[4 * c + row] = r[3 * c + row] * (s.empty() ? 1 : s[c]);
        m[12 + c] = t.empty() ? 0 : t[c];
    }
    return m;
}

// Every node's world matrix in the file.
std::vector<Mat4d> fileGlobals(const tinygltf::Model& doc) {
    std::vector<Mat4d> global(doc.nodes.size(), identity4d());
    std::vector<std::pair<int, Mat4d>> stack;
    for (int n : doc.scenes[0].nodes) stack.emplace_back(n, identity4d());
    while (!stack.empty()) {
        const auto [n, parent] = stack.back();
        stack.pop_back();
        const tinygltf::Node& node = doc.nodes[n];
        global[n] = multiply(parent, fromTrs(node.translation, node.rotation, node.scale));
        for (int child : node.children) stack.emplace_back(child, global[n]);
    }
    return global;
}

// The primitive's corners in the scene's world, each skinned with the file's own joint
// matrices: the joint node's world matrix times its inverse bind matrix.
std::vector<std::array<double, 3>> skinnedCorners(const tinygltf::Model& doc,
                                                  const tinygltf::Primitive& primitive,
                                                  std::vector<int>* jointOfCorner = nullptr) {
    const std::vector<Mat4d> global = fileGlobals(doc);
    const std::vector<float> inverseBinds = valuesOf(doc, doc.skins[0].inverseBindMatrices);
    const std::vector<float> positions = valuesOf(doc, primitive.attributes.at("POSITION"));
    const std::vector<uint16_t> joints =
        valuesOf<uint16_t>(doc, primitive.attributes.at("JOINTS_0"));
    std::vector<std::array<double, 3>> out;
    for (size_t v = 0; v < positions.size() / 3; ++v) {
        const int joint = joints[4 * v];
        Mat4d inverseBind;
        for (int k = 0; k < 16; ++k) inverseBind[k] = inverseBinds[16 * joint + k];
        out.push_back(transformPoint(multiply(global[doc.skins[0].joints[joint]], inverseBind),
                                     positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]));
        if (jointOfCorner) jointOfCorner->push_back(joint);
    }
    return out;
}

// The matrix each node's part is drawn under, multiplied as the viewer's traversal does.
std::vector<Matrix4> viewerPartMatrices(const BoneNode& root) {
    std::vector<Matrix4> out;
    std::vector<std::pair<const BoneNode*, Matrix4>> stack{{&root, identityMatrix()}};
    while (!stack.empty()) {
        const auto [node, frame] = stack.back();
        stack.pop_back();
        const Matrix4 drawn = matProduct(matProduct(frame, node->userMatrix), node->poseMatrix);
        out.push_back(drawn);
        const Matrix4 children = matProduct(drawn, node->boneOffsetMatrix);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
            stack.emplace_back(*it, children);
        }
    }
    return out;
}

// glTF axes from the viewer's: right +x stays +X, up -z becomes +Y, +y (towards the main
// view) becomes +Z.
std::array<double, 3> toGltfAxes(const std::array<double, 3>& p) {
    return {p[0], -p[2], p[1]};
}

class ExportTest : public test_support::ModelFixture {
  protected:
    void SetUp() override {
        loadExportTestArchive(model);
        input.root = rootNode;
        input.page = &model.texturePage();
        input.loaded = Pose::capture(*rootNode);
    }

    // Exports poses[0] (and an animation of all of them) and reads the file back.
    tinygltf::Model exportAndRead(const std::string& name, std::vector<Pose> poses) {
        input.poses.clear();
        for (auto& pose : poses) input.poses.push_back({"pose", std::move(pose)});
        const std::string path = dir + "/" + name;
        const Result<> exported = exportGltf(input, path);
        EXPECT_TRUE(exported.ok()) << exported.message;
        tinygltf::Model doc;
        tinygltf::TinyGLTF loader;
        std::string error, warning;
        const bool binary = name.size() > 4 && name.substr(name.size() - 4) == ".glb";
        EXPECT_TRUE(binary ? loader.LoadBinaryFromFile(&doc, &error, &warning, path)
                           : loader.LoadASCIIFromFile(&doc, &error, &warning, path))
            << error;
        return doc;
    }

    test_support::TempFolder temp{"veldraxis-export"};
    const std::string dir = temp.path();
    ExportInput input;
};

TEST_F(ExportTest, EveryCornerLandsWhereTheViewerDrawsIt) {
    // A pose away from the loaded one: the whole model turned, bone 2 turned, bone 3 moved.
    Matrix4 turn = identityMatrix();
    turn[5] = turn[10] = std::cos(0.7f);
    turn[6] = std::sin(0.7f);
    turn[9] = -std::sin(0.7f);
    rootNode->rotateBone(turn, 0);
    rootNode->rotateBone(turn, 2);
    Matrix4 move = identityMatrix();
    move[12] = 5;
    move[14] = -7;
    rootNode->translateBone(move, 3);
    const std::vector<Matrix4> drawn = viewerPartMatrices(*rootNode);

    for (const char* name : {"model.glb", "model.gltf"}) {
        SCOPED_TRACE(name);
        const tinygltf::Model doc = exportAndRead(name, {Pose::capture(*rootNode)});
        std::vector<std::string> names;
        for (const auto& node : doc.nodes) names.push_back(node.name);
        EXPECT_EQ(names, (std::vector<std::string>{"model", "root", "bone 1", "bone 2", "bone 4",
                                                   "bone 3", "bone 6", "mesh"}));
        ASSERT_EQ(doc.skins.size(), 1u);
        // The expected corners of each part, where the viewer's matrices put them.
        std::vector<std::vector<std::array<double, 3>>> expected;
        forEachPreOrder(*rootNode, [&](const BoneNode& node) {
            const Mat4d m = toMat4d(drawn[expected.size()]);
            expected.emplace_back();
            for (size_t i = 0; i < node.mesh->polygonCount(); ++i) {
                const PolygonView polygon = node.mesh->polygon(i);
                for (size_t k = 0; k < polygon.cornerCount(); ++k) {
                    const Vec3& p = polygon.position(k);
                    expected.back().push_back(toGltfAxes(transformPoint(m, p.x(), p.y(), p.z())));
                }
            }
        });

        size_t triangles = 0;
        for (const auto& primitive : doc.meshes[0].primitives) {
            std::vector<int> joints;
            const auto corners = skinnedCorners(doc, primitive, &joints);
            triangles += corners.size() / 3;
            for (size_t v = 0; v < corners.size(); ++v) {
                const auto& p = corners[v];
                double nearest = 1e9;
                for (const auto& e : expected[joints[v]]) {
                    nearest = std::min(nearest, std::hypot(p[0] - e[0], p[1] - e[1], p[2] - e[2]));
                }
                EXPECT_LT(nearest, 1e-3) << "corner " << v << " of joint " << joints[v];
            }
        }
        EXPECT_EQ(triangles, kExportTestTriangles);

        ASSERT_EQ(doc.images.size(), 1u);
        EXPECT_TRUE(std::equal(model.texturePage().pixels.begin(), model.texturePage().pixels.end(),
                               doc.images[0].image.begin(), doc.images[0].image.end()));
        const tinygltf::Sampler& sampler = doc.samplers[0];
        EXPECT_EQ(sampler.magFilter, TINYGLTF_TEXTURE_FILTER_NEAREST);
        EXPECT_EQ(sampler.wrapT, TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE);
        EXPECT_EQ(doc.materials[1].alphaMode, "MASK");
        EXPECT_EQ(doc.materials[0].extensions.count("KHR_materials_unlit"), 1u);
        // The texture coordinates stay the viewer's, past 1.0 included: v = (250 + 16) / 256.
        const auto& headTextured = doc.meshes[0].primitives[2];
        EXPECT_EQ(doc.accessors[headTextured.attributes.at("TEXCOORD_0")].count, 9u);
        const std::vector<float> uv = valuesOf(doc, headTextured.attributes.at("TEXCOORD_0"));
        EXPECT_EQ(*std::max_element(uv.begin(), uv.end()), 266.0f / 256.0f);
    }
}

TEST_F(ExportTest, FacesAndAxesStandAsInTheMainView) {
    const tinygltf::Model doc = exportAndRead("still.glb", {input.loaded});
    // The spine's shaded polygons are clockwise on the main view's screen, so the viewer shows
    // them: in glTF, seen from +Z with +Y up, they must be counter-clockwise front faces.
    const auto p = skinnedCorners(doc, doc.meshes[0].primitives[0]);
    ASSERT_EQ(p.size(), 9u);
    for (size_t t = 0; t < p.size(); t += 3) {
        const double area = (p[t + 1][0] - p[t][0]) * (p[t + 2][1] - p[t][1]) -
                            (p[t + 1][1] - p[t][1]) * (p[t + 2][0] - p[t][0]);
        EXPECT_GT(area, 0.0) << "triangle " << t / 3;
    }
    // Head up, left hand to the right, in the world the scene shows.
    const std::vector<Mat4d> global = fileGlobals(doc);
    auto origin = [&](int node) { return transformPoint(global[node], 0, 0, 0); };
    EXPECT_NEAR(origin(3)[0], 0.0, 1e-3);  // bone 2, the head: the spine's 100 units up
    EXPECT_NEAR(origin(3)[1], 100.0, 1e-3);
    EXPECT_NEAR(origin(3)[2], 0.0, 1e-3);
    for (const auto& corner : skinnedCorners(doc, doc.meshes[0].primitives[4])) {
        EXPECT_GE(corner[0], 100.0 - 1e-3);  // the left hand's part, right of everything else
    }
}

TEST_F(ExportTest, ThreePosesBecomeOneSecondKeys) {
    std::vector<Pose> poses{input.loaded};
    for (float angle : {0.5f, -2.5f}) {
        Matrix4 turn = identityMatrix();
        turn[0] = turn[5] = std::cos(angle);
        turn[1] = -std::sin(angle);
        turn[4] = std::sin(angle);
        rootNode->rotateBone(turn, 4);
        poses.push_back(Pose::capture(*rootNode));
    }
    const tinygltf::Model doc = exportAndRead("poses.gltf", poses);
    ASSERT_EQ(doc.animations.size(), 1u);
    const tinygltf::Animation& animation = doc.animations[0];
    EXPECT_EQ(animation.name, "poses");
    EXPECT_EQ(animation.channels.size(), 3u * 6u);
    EXPECT_EQ(valuesOf(doc, animation.samplers[0].input), (std::vector<float>{0, 1, 2}));
    // Bone 4's keys rebuild its local matrix in each pose: the head's offset, then its turn.
    const std::vector<int> parents = preOrderParents(*rootNode);
    std::vector<double> t[3], q[3], s[3];
    for (const auto& channel : animation.channels) {
        if (doc.nodes[channel.target_node].name != "bone 4") continue;
        const std::vector<float> values = valuesOf(doc, animation.samplers[channel.sampler].output);
        const size_t width = values.size() / 3;
        for (int k = 0; k < 3; ++k) {
            auto& out = channel.target_path == "translation" ? t[k]
                        : channel.target_path == "rotation"  ? q[k]
                                                             : s[k];
            out.assign(values.begin() + k * width, values.begin() + (k + 1) * width);
        }
    }
    for (int k = 0; k < 3; ++k) {
        std::vector<NodeMatrices> ordered;
        ASSERT_TRUE(matricesInTreeOrder(poses[k], *rootNode, ordered));
        const Mat4d expected = localTransforms(ordered, parents)[3];
        const Mat4d actual = fromTrs(t[k], q[k], s[k]);
        for (int e = 0; e < 16; ++e) EXPECT_NEAR(actual[e], expected[e], 1e-4) << k << " " << e;
    }
    // Keys take the short way: no sign flip between neighbours.
    EXPECT_GE(q[1][0] * q[2][0] + q[1][1] * q[2][1] + q[1][2] * q[2][2] + q[1][3] * q[2][3], 0.0);
}

TEST_F(ExportTest, RefusesPosesThatAreNotTranslationRotationAndScale) {
    const std::string out = dir + "/refused.glb";
    struct Case {
        size_t node;
        int element;
        float value;
        const char* reason;
    };
    for (const Case& c :
         {Case{2, 0, std::numeric_limits<float>::quiet_NaN(), "not a finite number"},
          Case{2, 4, 0.5f, "a shear"}, Case{5, 0, -1.0f, "a mirroring"},
          Case{0, 10, 0.0f, "a zero scale"}}) {
        Pose bad = input.loaded;
        bad.find(c.node == 0 ? 0 : c.node == 2 ? 2 : 6)->user[c.element] = c.value;
        input.poses = {{"input.loaded", input.loaded}, {"bad.bin", bad}};
        const Result<> exported = exportGltf(input, out);
        const std::string bone = c.node == 0 ? "root" : c.node == 2 ? "bone 2" : "bone 6";
        EXPECT_EQ(exported.code, kExportRefused);
        EXPECT_EQ(exported.message, "Cannot export " + out + ": " + bone +
                                        " of bad.bin is not a translation, rotation and positive "
                                        "scale (" +
                                        c.reason + ")");
    }
    EXPECT_NE(access(out.c_str(), F_OK), 0);
}

}  // namespace
