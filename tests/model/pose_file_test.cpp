#include "model/pose_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "model/bone_node.h"
#include "model_test_support.h"
#include "support/pose_files.h"
#include "support/test_files.h"

namespace {

namespace ab = archive_builder;
using model_test::findNode;
using model_test::parseCapturing;
using test_support::loadPoseFileAt;
using test_support::readWholeFile;

float floatAt(const ab::Bytes& bytes, size_t at) {
    const uint32_t bits = static_cast<uint32_t>(bytes[at]) | (uint32_t{bytes[at + 1]} << 8) |
                          (uint32_t{bytes[at + 2]} << 16) | (uint32_t{bytes[at + 3]} << 24);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

class PoseFiles : public model_test::ModelStateTest {
  protected:
    void SetUp() override {
        // Bones 1 and 2 on the root, bone 3 on bone 1; lengths 11, 22, 33.
        ab::Skeleton skeleton;
        skeleton.bones = {
            {0, 11, std::nullopt, {}}, {0, 22, std::nullopt, {}}, {1, 33, std::nullopt, {}}};
        parseCapturing(model, ab::buildModelArchive(skeleton, ab::AngleTable{0, {16384, -100, 7}}));
        dir = testing::TempDir() + "pose_files_" + std::to_string(::getpid()) + "/";
        ::mkdir(dir.c_str(), 0755);
    }
    void TearDown() override {
        std::string command = "rm -rf '" + dir + "'";
        (void)std::system(command.c_str());
    }

    std::string save(const std::string& name) {
        const std::string path = dir + name;
        const Result<> saved = savePoseFile(*rootNode, path.c_str());
        EXPECT_TRUE(saved.ok()) << saved.message;
        return path;
    }

    std::string dir;
};

TEST_F(PoseFiles, ExampleFileHoldsTheNodesInPreOrder) {
    const ab::Bytes bytes = readWholeFile(save("example.pose"));
    ASSERT_EQ(bytes.size(), 768u);
    ASSERT_EQ(encodePose(*rootNode), bytes);
    // Root: three identities.
    for (size_t m = 0; m < 3; ++m) {
        for (size_t k = 0; k < 16; ++k) {
            EXPECT_EQ(floatAt(bytes, 64 * m + 4 * k), (k % 5 == 0) ? 1.0f : 0.0f);
        }
    }
    // Then bone 1, bone 3, bone 2, told apart by their lengths (offset element 14).
    const float lengths[] = {11.0f, 33.0f, 22.0f};
    for (size_t record = 1; record < 4; ++record) {
        EXPECT_EQ(floatAt(bytes, 192 * record + 128 + 56), lengths[record - 1]) << record;
        EXPECT_EQ(floatAt(bytes, 192 * record + 60), 1.0f);  // userMatrix[15]
    }
    // Bone 1's pose is the loader's quarter turn about X.
    const BoneNode* bone1 = findNode(*rootNode, 1);
    EXPECT_EQ(floatAt(bytes, 192 + 64 + 4 * 6), bone1->poseMatrix[6]);
    EXPECT_NEAR(floatAt(bytes, 192 + 64 + 4 * 6), 1.0f, 1e-6);
}

TEST_F(PoseFiles, SavingAndLoadingRestoresEveryBit) {
    rootNode->translateBone(rotationAboutZ(0.3), 0);
    rootNode->rotateBone(rotationAboutZ(0.3), 3);
    findNode(*rootNode, 2)->userMatrix[7] = -0.0f;
    const ab::Bytes saved = encodePose(*rootNode);
    const std::string path = save("round.pose");

    rootNode->rotateBone(rotationAboutX(1.0), 1);
    rootNode->rotateBone(rotationAboutX(1.0), 0);
    const test_support::PoseFileLoad load = loadPoseFileAt(*rootNode, path);
    EXPECT_EQ(load.loaded, 12u);
    EXPECT_EQ(load.line, "");
    EXPECT_EQ(encodePose(*rootNode), saved);

    // A stream of unknown name reads from where it stands.
    FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    std::fputc('x', stream);
    std::fwrite(saved.data(), 1, saved.size(), stream);
    std::fseek(stream, 1, SEEK_SET);
    rootNode->rotateBone(rotationAboutX(1.0), 3);
    const Result<PoseLoad> streamed = loadPoseStream(*rootNode, stream, nullptr);
    std::fclose(stream);
    ASSERT_TRUE(streamed.ok());
    EXPECT_EQ(streamed->loaded, 12u);
    EXPECT_FALSE(streamed->sizeNote);
    EXPECT_EQ(encodePose(*rootNode), saved);
}

TEST_F(PoseFiles, AShortFileLoadsOnlyWholeMatrices) {
    const ab::Bytes saved = encodePose(*rootNode);
    ab::Bytes shorter(saved.size(), 0);
    for (size_t i = 0; i < shorter.size(); ++i) shorter[i] = static_cast<uint8_t>(0x3F);
    shorter.resize(192 + 64 + 10);
    const std::string path = dir + "short.pose";
    ASSERT_TRUE(ab::writeFile(path, shorter));

    const test_support::PoseFileLoad load = loadPoseFileAt(*rootNode, path);
    EXPECT_EQ(load.loaded, 4u);
    EXPECT_EQ(load.line,
              "Pose file has 266 bytes, the model needs 768: loaded the first 4 matrices, kept "
              "the rest");
    const ab::Bytes now = encodePose(*rootNode);
    for (size_t i = 0; i < 256; ++i) EXPECT_EQ(now[i], 0x3F) << i;
    // The cut matrix (bone 1's pose) and everything after it kept their values.
    EXPECT_TRUE(std::equal(now.begin() + 256, now.end(), saved.begin() + 256));
}

TEST_F(PoseFiles, ALongerFileLoadsTheTreeAndIgnoresTheRest) {
    rootNode->translateBone(rotationAboutZ(0.3), 2);
    ab::Bytes longer = encodePose(*rootNode);
    const ab::Bytes expected = longer;
    longer.resize(longer.size() + 100, 0xEE);
    rootNode->rotateBone(rotationAboutX(1.0), 3);
    const std::string path = dir + "long.pose";
    ASSERT_TRUE(ab::writeFile(path, longer));
    const test_support::PoseFileLoad load = loadPoseFileAt(*rootNode, path);
    EXPECT_EQ(load.loaded, 12u);
    EXPECT_EQ(load.line, "Pose file has 868 bytes, the model needs 768: the rest was ignored");
    EXPECT_EQ(encodePose(*rootNode), expected);
}

TEST_F(PoseFiles, AnEndlessFileIsReadOnlyAsFarAsTheTreeNeeds) {
    // /dev/zero never ends: the load must stop after the 768 bytes the tree takes.
    const test_support::PoseFileLoad load = loadPoseFileAt(*rootNode, "/dev/zero");
    EXPECT_EQ(load.loaded, 12u);
    EXPECT_EQ(load.line,
              "Pose file is longer than the 768 bytes the model needs: the rest was ignored");
    EXPECT_EQ(encodePose(*rootNode), ab::Bytes(768, 0));
}

TEST_F(PoseFiles, FilesThatCannotBeOpenedChangeNothing) {
    const ab::Bytes before = encodePose(*rootNode);
    const std::string missing = dir + "missing.pose";
    const Result<PoseRead> unread = readPoseFile(missing.c_str(), 768);
    EXPECT_EQ(unread.code, ENOENT);
    EXPECT_EQ(unread.message, "No such file or directory");
    FILE* folder = std::fopen(dir.c_str(), "rb");
    ASSERT_NE(folder, nullptr);
    const Result<PoseLoad> refused = loadPoseStream(*rootNode, folder, dir.c_str());
    std::fclose(folder);
    EXPECT_EQ(refused.code, kPoseCannotRead);
    EXPECT_EQ(refused.message, "Cannot read pose file " + dir + ": Is a directory");

    // Saving into a missing directory, or below a file, cannot create the file.
    const std::string plainFile = dir + "plain";
    ASSERT_TRUE(ab::writeFile(plainFile, {1, 2, 3}));
    for (const std::string& path : {dir + "no/such/dir/x.pose", plainFile + "/x.pose"}) {
        const Result<> saved = savePoseFile(*rootNode, path.c_str());
        EXPECT_EQ(saved.code, kPoseCannotOpen);
        EXPECT_EQ(saved.message, "cannot open : " + path);
    }
    EXPECT_EQ(readWholeFile(plainFile), (ab::Bytes{1, 2, 3}));
    EXPECT_EQ(encodePose(*rootNode), before);
}

TEST_F(PoseFiles, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    const ab::Bytes old = {9, 8, 7, 6};
    const std::string path = dir + "kept.pose";
    ASSERT_TRUE(ab::writeFile(path, old));

    // The write fails part way: the file-size limit is below the pose's 768 bytes.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    {
        const Result<> result = savePoseFile(*rootNode, path.c_str());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(result.code, kPoseWriteFailed);
        EXPECT_EQ(result.message, "Cannot save pose file " + path + ": File too large");
    }
    EXPECT_EQ(readWholeFile(path), old);

    // A directory is refused before anything is written.
    const std::string dirTarget = dir + "occupied";
    ASSERT_EQ(::mkdir(dirTarget.c_str(), 0755), 0);
    ASSERT_TRUE(ab::writeFile(dirTarget + "/inside", old));
    {
        const Result<> saved = savePoseFile(*rootNode, dirTarget.c_str());
        EXPECT_EQ(saved.message, "cannot open : " + dirTarget);
    }
    EXPECT_EQ(readWholeFile(dirTarget + "/inside"), old);

    // Only the files made above are left in the directory.
    const std::string listing = dir + "listing";
    const std::string command = "ls -A '" + dir + "' > '" + listing + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const ab::Bytes names = readWholeFile(listing);
    EXPECT_EQ(std::string(names.begin(), names.end()), "kept.pose\nlisting\noccupied\n");
}

TEST_F(PoseFiles, ASavedFileGetsTheUsualPermissions) {
    const mode_t mask = ::umask(022);
    const std::string path = save("mode.pose");
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

}  // namespace
