// Poses brought back from glTF files: our own exports, a file whose joint frames another tool
// turned, an animation taken key by key and between keys, and the refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tiny_gltf.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "export/gltf_export.h"
#include "export_test_archive.h"
#include "import/gltf_reading.h"
#include "import/pose_import_files.h"
#include "io/byte_order.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/pose_file.h"
#include "support/model_fixture.h"
#include "support/pose_files.h"
#include "support/test_files.h"

namespace {

// Where the viewer draws each part under pose: every node's mesh matrix, in pre-order.
std::vector<Mat4d> drawnUnder(const Pose& pose, const BoneNode& root) {
    std::vector<NodeMatrices> ordered;
    EXPECT_TRUE(matricesInTreeOrder(pose, root, ordered));
    return globalTransforms(ordered, preOrderParents(root));
}

void expectSameDrawing(const BoneNode& root, const Pose& actual, const Pose& expected,
                       const std::string& what) {
    const std::vector<Mat4d> a = drawnUnder(actual, root), e = drawnUnder(expected, root);
    ASSERT_EQ(a.size(), e.size());
    for (size_t n = 0; n < a.size(); ++n) {
        for (int k = 0; k < 16; ++k) EXPECT_NEAR(a[n][k], e[n][k], 1e-4) << what << " node " << n;
    }
}

class PoseImportTest : public test_support::ModelFixture {
  protected:
    void SetUp() override {
        loadExportTestArchive(model);
        loaded = Pose::capture(*rootNode);
        input.root = rootNode;
        input.page = &model.texturePage();
        input.loaded = loaded;
    }

    std::string exportPoses(const std::string& name, const std::vector<Pose>& poses) {
        input.poses.clear();
        for (const Pose& pose : poses) input.poses.push_back({"pose", pose});
        const std::string path = dir + "/" + name;
        const Result<> exported = exportGltf(input, path);
        EXPECT_TRUE(exported.ok()) << exported.message;
        return path;
    }
    // Imports job; the pose files written, loaded back one by one.
    std::vector<Pose> import(PoseImportJob job, size_t expectedFiles) {
        const Result<std::vector<std::string>> written = importPoseFiles(job, *rootNode, loaded);
        EXPECT_TRUE(written.ok()) << written.message;
        if (written) EXPECT_EQ(written->size(), expectedFiles);
        std::vector<Pose> out;
        for (size_t k = 0; k < expectedFiles; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "/pose-%03zu.bin", k);
            const std::string path = job.toFolder ? job.output + name : job.output;
            loaded.apply(*rootNode);
            EXPECT_EQ(test_support::loadPoseFileAt(*rootNode, path).line, "") << path;
            out.push_back(Pose::capture(*rootNode));
        }
        loaded.apply(*rootNode);
        return out;
    }
    // A pose away from the loaded one: the model and bone 2 turned, bone 3 moved.
    Pose posed() {
        rootNode->rotateBone(rotationAboutX(0.7), 0);
        rootNode->rotateBone(rotationAboutZ(-1.1f), 2);
        rootNode->translateBone(translationMatrix(5, 0, -7), 3);
        const Pose pose = Pose::capture(*rootNode);
        loaded.apply(*rootNode);
        return pose;
    }

    test_support::TempFolder temp{"veldraxis-import"};
    const std::string dir = temp.path();
    Pose loaded;
    ExportInput input;
};

tinygltf::Model readDoc(const std::string& path) {
    tinygltf::Model doc;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    EXPECT_TRUE(loader.LoadBinaryFromFile(&doc, &error, &warning, path)) << error;
    return doc;
}

void writeDoc(tinygltf::Model& doc, const std::string& path) {
    tinygltf::TinyGLTF writer;
    ASSERT_TRUE(writer.WriteGltfSceneToFile(&doc, path, true, true, false, true));
}

TEST_F(PoseImportTest, OwnExportsAndTurnedJointFramesGiveThePoseBack) {
    const Pose pose = posed();
    const std::string file = exportPoses("posed.glb", {pose});
    expectSameDrawing(*rootNode, import({file, dir + "/back.bin"}, 1)[0], pose, "own export");
    expectSameDrawing(*rootNode,
                      import({exportPoses("loaded.glb", {loaded}), dir + "/loaded.bin"}, 1)[0],
                      loaded, "as loaded");

    // Another tool turns every joint's frame its own way (R) and compensates in the inverse
    // bind matrices: the joint's local becomes R(parent)^-1 · local · R, its inverse bind
    // matrix R^-1 · inverse bind. The skin, and so every part, stays where it was.
    tinygltf::Model doc = readDoc(file);
    const tinygltf::Skin& skin = doc.skins[0];
    std::vector<Mat4d> turn(doc.nodes.size(), identity4d());
    for (size_t j = 0; j < skin.joints.size(); ++j) {
        Trs r;
        const double angle = 0.4 + 0.3 * j, axis = std::sqrt(1.0 / 3);
        r.rotation = {axis * std::sin(angle / 2), axis * std::sin(angle / 2),
                      -axis * std::sin(angle / 2), std::cos(angle / 2)};
        turn[skin.joints[j]] = composeTrs(r);
    }
    std::vector<int> parent(doc.nodes.size(), -1);
    for (size_t n = 0; n < doc.nodes.size(); ++n) {
        for (int child : doc.nodes[n].children) parent[child] = static_cast<int>(n);
    }
    auto inverse = [](const Mat4d& m) {
        Mat4d back;
        EXPECT_TRUE(invert(m, back));
        return back;
    };
    for (int joint : skin.joints) {
        tinygltf::Node& node = doc.nodes[joint];
        Trs t;
        std::copy(node.translation.begin(), node.translation.end(), t.translation.begin());
        std::copy(node.rotation.begin(), node.rotation.end(), t.rotation.begin());
        const Mat4d local =
            multiply(inverse(turn[parent[joint]]), multiply(composeTrs(t), turn[joint]));
        ASSERT_EQ(decomposeTrs(local, t).message, "");
        node.translation.assign(t.translation.begin(), t.translation.end());
        node.rotation.assign(t.rotation.begin(), t.rotation.end());
        node.scale.assign(t.scale.begin(), t.scale.end());
    }
    const tinygltf::Accessor& binds = doc.accessors[skin.inverseBindMatrices];
    const tinygltf::BufferView& view = doc.bufferViews[binds.bufferView];
    auto* bind = reinterpret_cast<float*>(doc.buffers[view.buffer].data.data() + view.byteOffset +
                                          binds.byteOffset);
    for (size_t j = 0; j < skin.joints.size(); ++j) {
        Mat4d old;
        for (int k = 0; k < 16; ++k) old[k] = bind[16 * j + k];
        const Mat4d compensated = multiply(inverse(turn[skin.joints[j]]), old);
        for (int k = 0; k < 16; ++k) bind[16 * j + k] = static_cast<float>(compensated[k]);
    }
    writeDoc(doc, dir + "/turned.glb");
    EXPECT_NE(readDoc(dir + "/turned.glb").nodes[3].rotation, readDoc(file).nodes[3].rotation);
    expectSameDrawing(*rootNode, import({dir + "/turned.glb", dir + "/turned.bin"}, 1)[0], pose,
                      "turned");

    // Tools that bind in the scene's world keep the vertices there, turned by the "model" node
    // (viewer (x, y, z) is glTF (x, -z, y)), with inverse bind matrices to match.
    for (const tinygltf::Primitive& primitive : doc.meshes[0].primitives) {
        const tinygltf::Accessor& a = doc.accessors[primitive.attributes.at("POSITION")];
        const tinygltf::BufferView& v = doc.bufferViews[a.bufferView];
        auto* p = reinterpret_cast<float*>(doc.buffers[v.buffer].data.data() + v.byteOffset +
                                           a.byteOffset);
        for (size_t k = 0; k < a.count; ++k, p += 3) {
            const float y = p[1];
            p[1] = -p[2];
            p[2] = y;
        }
        doc.accessors[primitive.attributes.at("POSITION")].minValues.clear();
        doc.accessors[primitive.attributes.at("POSITION")].maxValues.clear();
    }
    Trs back;
    back.rotation = {-std::sqrt(0.5), 0, 0, std::sqrt(0.5)};
    for (size_t j = 0; j < skin.joints.size(); ++j) {
        Mat4d old;
        for (int k = 0; k < 16; ++k) old[k] = bind[16 * j + k];
        const Mat4d compensated = multiply(old, composeTrs(back));
        for (int k = 0; k < 16; ++k) bind[16 * j + k] = static_cast<float>(compensated[k]);
    }
    writeDoc(doc, dir + "/world.glb");
    expectSameDrawing(*rootNode, import({dir + "/world.glb", dir + "/world.bin"}, 1)[0], pose,
                      "world");
}

TEST_F(PoseImportTest, AnAnimationGivesEachKeyAndSlerpsBetweenKeys) {
    std::vector<Pose> poses{loaded};
    for (float angle : {0.5f, -2.5f}) {
        rootNode->rotateBone(rotationAboutZ(angle), 4);
        poses.push_back(Pose::capture(*rootNode));
    }
    loaded.apply(*rootNode);
    const std::string file = exportPoses("poses.glb", poses);
    PoseImportJob folder{file, dir + "/keys"};
    folder.toFolder = true;
    const std::vector<Pose> keys = import(folder, 3);
    for (size_t k = 0; k < 3; ++k)
        expectSameDrawing(*rootNode, keys[k], poses[k], "key " + std::to_string(k));
    EXPECT_NE(access((dir + "/keys/pose-003.bin").c_str(), F_OK), 0);

    // Bone 4 turns about its own z: halfway from 0 to 0.5 is 0.25, three quarters of the way
    // from 0.5 to -2.0 is -1.375 (the short way, under half a turn); before and after, the ends.
    for (const auto& [time, angle] : std::vector<std::pair<double, float>>{
             {0.5, 0.25f}, {1.75, -1.375f}, {-3.0, 0.0f}, {9.0, -2.0f}}) {
        PoseImportJob at{file, dir + "/at.bin"};
        at.atTime = true;
        at.time = time;
        rootNode->rotateBone(rotationAboutZ(angle), 4);
        const Pose expected = Pose::capture(*rootNode);
        loaded.apply(*rootNode);
        expectSameDrawing(*rootNode, import(at, 1)[0], expected, "time " + std::to_string(time));
    }
}

TEST_F(PoseImportTest, RefusesWithOneLineAndWritesNothing) {
    const std::string file = exportPoses("posed.glb", {posed()});
    const tinygltf::Model original = readDoc(file);
    auto variant = [&](const std::string& name, auto change) {
        tinygltf::Model doc = original;
        change(doc);
        writeDoc(doc, dir + "/" + name);
        return dir + "/" + name;
    };
    auto nodeNamed = [](tinygltf::Model& doc, const std::string& name) -> tinygltf::Node& {
        for (auto& node : doc.nodes) {
            if (node.name == name) return node;
        }
        return doc.nodes.at(0);
    };
    const std::string renamed =
        variant("renamed.glb", [&](tinygltf::Model& doc) { nodeNamed(doc, "bone 4").name = "b4"; });
    const std::string moved = variant("moved.glb", [&](tinygltf::Model& doc) {
        auto& head = nodeNamed(doc, "bone 2").children;
        const int hat = head.at(0);
        head.clear();
        nodeNamed(doc, "bone 6").children.push_back(hat);
    });
    // An extra joint, say a tool's IK target, named like the bone the archive leaves out.
    const std::string strange = variant("strange.glb", [&](tinygltf::Model& doc) {
        tinygltf::Node extra;
        extra.name = "bone 5";
        doc.nodes.push_back(extra);
        const int index = static_cast<int>(doc.nodes.size() - 1);
        nodeNamed(doc, "bone 6").children.push_back(index);
        doc.skins[0].joints.push_back(index);
    });

    // A .gltf whose buffer lies elsewhere: above its folder, at an absolute path, on the web.
    std::ifstream in(exportPoses("posed.gltf", {loaded}));
    std::stringstream text;
    text << in.rdbuf();
    const std::string json = text.str();
    const size_t uri = json.find("data:application/octet-stream;base64,");
    ASSERT_NE(uri, std::string::npos);
    auto withBuffer = [&](const std::string& name, const std::string& where) {
        std::ofstream(dir + "/" + name)
            << json.substr(0, uri) + where + json.substr(json.find('"', uri));
        return dir + "/" + name;
    };
    std::ofstream(dir + "/../veldraxis-outside.bin") << "outside";
    std::ofstream(dir + "/broken.glb")
        << std::string(std::istreambuf_iterator<char>(std::ifstream(file).rdbuf()), {})
               .substr(0, 100);

    PoseImportJob atTime{file, ""};
    atTime.atTime = true;
    auto outside = [](const std::string& name) {
        return ": it refers to \"" + name +
               "\", which is not a file in its folder (no absolute path, \"..\" or scheme)\n";
    };
    const struct {
        PoseImportJob job;
        std::string line;
    } cases[] = {
        {{renamed, ""}, renamed + ": no joint is named \"bone 4\"\n"},
        {{moved, ""},
         moved + ": joint \"bone 4\" hangs below \"bone 6\", in the archive below \"bone 2\"\n"},
        {{strange, ""}, strange + ": joint \"bone 5\" is not a bone of the archive's tree\n"},
        {{withBuffer("up.gltf", "../veldraxis-outside.bin"), ""},
         dir + "/up.gltf" + outside("../veldraxis-outside.bin")},
        {{withBuffer("absolute.gltf", "/etc/hostname"), ""},
         dir + "/absolute.gltf" + outside("/etc/hostname")},
        {{withBuffer("web.gltf", "http://example.invalid/b.bin"), ""},
         dir + "/web.gltf" + outside("http://example.invalid/b.bin")},
        {{dir + "/broken.glb", ""}, dir + "/broken.glb: Invalid glTF binary.\n"},
        {atTime, file + ": it holds no animation\n"},
    };
    for (auto c : cases) {
        c.job.output = dir + "/refused.bin";
        const Result<std::vector<std::string>> written = importPoseFiles(c.job, *rootNode, loaded);
        EXPECT_FALSE(written.ok()) << c.job.input;
        EXPECT_EQ(written.message + "\n", c.line);
        EXPECT_NE(access(c.job.output.c_str(), F_OK), 0) << c.job.input;
    }
    std::remove((dir + "/../veldraxis-outside.bin").c_str());
}

TEST_F(PoseImportTest, BufferFilesAreMeasuredBeforeTheyAreRead) {
    const std::string embedded = exportPoses("posed.gltf", {posed()});
    const std::vector<uint8_t> text = test_support::readWholeFile(embedded);
    const std::string json(text.begin(), text.end());
    tinygltf::Model doc;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    ASSERT_TRUE(loader.LoadASCIIFromFile(&doc, &error, &warning, embedded)) << error;
    const std::vector<unsigned char>& data = doc.buffers.at(0).data;
    const size_t uri = json.find("data:application/octet-stream;base64,");
    ASSERT_NE(uri, std::string::npos);
    auto naming = [&](const std::string& file) {
        const std::string path = dir + "/" + file + ".gltf";
        std::ofstream(path) << json.substr(0, uri) + file + json.substr(json.find('"', uri));
        return path;
    };
    auto write = [&](const std::string& file, size_t size, const std::string& tail) {
        std::ofstream out(dir + "/" + file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(size));
        out << tail;
    };
    write("longer.bin", data.size(), "and more");
    write("short.bin", 100, "");
    write("sparse.bin", 0, "");
    ASSERT_EQ(truncate((dir + "/sparse.bin").c_str(), off_t{4} << 30), 0);
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir + "/folder").c_str(), 0700), 0);

    // A longer file gives its first byteLength bytes: the pose of the embedded buffer.
    EXPECT_TRUE(importPoseFiles({embedded, dir + "/embedded.bin"}, *rootNode, loaded).ok());
    EXPECT_TRUE(
        importPoseFiles({naming("longer.bin"), dir + "/longer.bin.pose"}, *rootNode, loaded).ok());
    EXPECT_EQ(test_support::readWholeFile(dir + "/longer.bin.pose"),
              test_support::readWholeFile(dir + "/embedded.bin"));

    const std::string declared = std::to_string(data.size());
    const std::pair<std::string, std::string> refused[] = {
        {"short.bin", "the file \"short.bin\" holds 100 bytes, fewer than the " + declared +
                          " its buffer declares"},
        {"pipe", "the file \"pipe\" is not a regular file"},
        {"folder", "the file \"folder\" is not a regular file"},
        // 4 GiB of zeros, of which only the declared bytes are read.
        {"sparse.bin", "the place of \"root\" cannot be inverted"},
    };
    for (const auto& [file, line] : refused) {
        const std::string input = naming(file);
        const Result<std::vector<std::string>> written =
            importPoseFiles({input, dir + "/refused.bin"}, *rootNode, loaded);
        EXPECT_FALSE(written.ok());
        EXPECT_EQ(written.message, input + ": " + line);
    }
}

// A .glb read from its file takes its binary chunk in place; what it reads, and what it refuses,
// is what the same bytes give in memory.
TEST_F(PoseImportTest, GlbFilesReadAsTheirBytesDo) {
    const std::vector<uint8_t> glb =
        test_support::readWholeFile(exportPoses("posed.glb", {posed()}));
    const size_t jsonSize = readLE32(glb.data() + 12);
    std::string json(glb.begin() + 20, glb.begin() + 20 + static_cast<long>(jsonSize));
    const std::vector<uint8_t> binary(glb.begin() + 28 + static_cast<long>(jsonSize), glb.end());
    const std::string buffers = "\"buffers\":[{\"byteLength\":" + std::to_string(binary.size());
    ASSERT_NE(json.find(buffers), std::string::npos);
    auto variant = [&](const std::string& name, const std::string& replacement) {
        std::string text = json;
        text.replace(text.find(buffers), buffers.size(), replacement);
        while (text.size() % 4) text += ' ';
        std::vector<uint8_t> bytes(20);
        std::copy_n(glb.begin(), 20, bytes.begin());
        writeLE32(bytes.data() + 8, static_cast<uint32_t>(28 + text.size() + binary.size()));
        writeLE32(bytes.data() + 12, static_cast<uint32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.insert(bytes.end(), glb.begin() + 20 + static_cast<long>(jsonSize),
                     glb.begin() + 28 + static_cast<long>(jsonSize));
        bytes.insert(bytes.end(), binary.begin(), binary.end());
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    };
    const std::string size = std::to_string(binary.size());
    const std::pair<std::string, std::string> files[] = {
        {"plain.glb", buffers},
        {"two.glb", "\"buffers\":[{\"byteLength\":8},{\"byteLength\":" + size},
        {"named.glb", "\"buffers\":[{\"name\":\"b\",\"byteLength\":" + size},
        {"long.glb", "\"buffers\":[{\"byteLength\":" + std::to_string(binary.size() + 4)},
        {"spelled.glb", "\"buffers\":[{\"uri\":\"binary%20chunk:0\",\"byteLength\":" + size},
        {"twice.glb", "\"buffers\":[],\"buffers\":[{\"byteLength\":" + size},
    };
    for (const auto& [name, replacement] : files) {
        const std::string path = variant(name, replacement);
        tinygltf::Model fromFile, fromBytes;
        const std::string read = readGltfFile(path, fromFile);
        EXPECT_EQ(read, parseGltf(test_support::readWholeFile(path), dir, fromBytes)) << name;
        ASSERT_EQ(fromFile.buffers.size(), fromBytes.buffers.size()) << name;
        for (size_t i = 0; i < fromFile.buffers.size(); ++i) {
            EXPECT_EQ(fromFile.buffers[i].uri, "") << name;
            EXPECT_EQ(fromFile.buffers[i].name, fromBytes.buffers[i].name) << name;
            EXPECT_TRUE(fromFile.buffers[i].data == fromBytes.buffers[i].data) << name;
        }
        EXPECT_EQ(fromFile.accessors.size(), fromBytes.accessors.size()) << name;
        if (name == std::string("long.glb")) {
            EXPECT_EQ(read.substr(0, 25), "Invalid `byteLength'. Mus");
        } else if (name == std::string("spelled.glb")) {
            EXPECT_EQ(read.substr(0, 32), "it refers to \"binary chunk:0\", w");
        } else {
            EXPECT_EQ(read, "") << name;
        }
    }
}

}  // namespace
