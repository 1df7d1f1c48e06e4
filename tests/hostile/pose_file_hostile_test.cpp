// Pose files that are cut short, too long, empty or full of NaN and infinity, and saves to places
// that cannot take them: loading never half-writes a matrix, saving never destroys the previous
// file, and each refusal is one line.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "console/console.h"
#include "entry_points.h"
#include "hostile_test_support.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/model_test_support.h"
#include "model/pose_file.h"
#include "support/model_fixture.h"
#include "support/pose_files.h"

namespace {

using hostile::format;
using hostile::readWholeFile;
using hostile::TempFolder;
using hostile::ab::Bytes;

constexpr size_t kTreeBytes = fuzz_entry::kPoseTreeNodes * kPoseRecordBytes;  // 1344

// The seven-node tree of the pose fuzz target, and a pose file for it whose every float differs
// from the tree's own.
class HostilePoseFiles : public test_support::ModelFixture {
  protected:
    void SetUp() override {
        size_t size = 0;
        const uint8_t* archive = fuzz_entry::poseTreeArchive(&size);
        const Archive reading = parseArchive(archive, size);
        ASSERT_EQ(reading.skeletonResult(), 0);
        model.buildSkeleton(archive, reading);
        ASSERT_EQ(poseNodeCount(*rootNode), fuzz_entry::kPoseTreeNodes);
        original = encodePose(*rootNode);
        ASSERT_EQ(original.size(), kTreeBytes);
        for (size_t k = 0; k < kTreeBytes / 4; ++k) {
            const float value = 1000.0f + static_cast<float>(k);
            uint8_t bytes[4];
            std::memcpy(bytes, &value, 4);
            file.insert(file.end(), bytes, bytes + 4);
        }
        ASSERT_FALSE(folder.path().empty());
    }

    // Loads the bytes as a pose file.
    test_support::PoseFileLoad load(const Bytes& bytes) {
        const std::string path = folder / "load.pose";
        EXPECT_TRUE(hostile::ab::writeFile(path, bytes));
        return test_support::loadPoseFileAt(*rootNode, path);
    }

    Bytes original;
    Bytes file;
    TempFolder folder;
};

TEST_F(HostilePoseFiles, CutAtEveryNodeAndInsideEveryMatrixLoadsOnlyWholeMatrices) {
    std::set<size_t> cuts;
    for (size_t m = 0; m <= kTreeBytes / kPoseMatrixBytes; ++m) {
        for (size_t inside : {0, 1, 4, 31, 63}) cuts.insert(m * kPoseMatrixBytes + inside);
    }
    for (size_t cut : cuts) {
        if (cut >= kTreeBytes) continue;
        ASSERT_EQ(applyPose(*rootNode, original.data(), original.size()).loaded, 21u);
        const Bytes shorter(file.begin(), file.begin() + static_cast<long>(cut));
        const test_support::PoseFileLoad result = load(shorter);

        const size_t whole = cut / kPoseMatrixBytes;
        EXPECT_EQ(result.loaded, whole) << cut;
        EXPECT_EQ(result.line, format("Pose file has %zu bytes, the model needs 1344: loaded the "
                                      "first %zu matrices, kept the rest",
                                      cut, whole))
            << cut;
        const Bytes now = encodePose(*rootNode);
        const size_t boundary = whole * kPoseMatrixBytes;
        EXPECT_TRUE(
            std::equal(now.begin(), now.begin() + static_cast<long>(boundary), file.begin()))
            << "the whole matrices of a file cut at " << cut;
        EXPECT_TRUE(std::equal(now.begin() + static_cast<long>(boundary), now.end(),
                               original.begin() + static_cast<long>(boundary)))
            << "the matrices past a cut at " << cut << " must keep every bit";
    }
}

TEST_F(HostilePoseFiles, AFileLongerThanTheTreeLoadsTheTreeAndSaysTheRestWasIgnored) {
    for (size_t extra : {1, 63, 192, 1000000}) {
        ASSERT_EQ(applyPose(*rootNode, original.data(), original.size()).loaded, 21u);
        Bytes longer = file;
        longer.resize(file.size() + extra, 0x7F);
        const test_support::PoseFileLoad result = load(longer);
        EXPECT_EQ(result.loaded, 21u);
        EXPECT_EQ(result.line, format("Pose file has %zu bytes, the model needs 1344: the rest "
                                      "was ignored",
                                      kTreeBytes + extra));
        EXPECT_EQ(encodePose(*rootNode), file) << extra;
    }
}

// NaN and infinity are loaded as they are (the file holds the user's matrices); every edit,
// selection and save afterwards must still be safe, and a save and load keep every bit,
// signalling NaN payloads included.
TEST_F(HostilePoseFiles, NanAndInfinityLoadBitForBitAndLaterEditsStaySafe) {
    const uint32_t specials[] = {0x7FC00000u, 0xFFC00001u, 0x7F800001u, 0x7FBFFFFFu,
                                 0x7F800000u, 0xFF800000u, 0x00000001u, 0x80000000u};
    for (size_t k = 0; k < file.size() / 4; k += 3) {
        const uint32_t bits = specials[(k / 3) % (sizeof specials / sizeof specials[0])];
        std::memcpy(file.data() + 4 * k, &bits, 4);
    }
    const test_support::PoseFileLoad result = load(file);
    EXPECT_EQ(result.loaded, 21u);
    EXPECT_EQ(result.line, "");
    EXPECT_EQ(encodePose(*rootNode), file);

    const Matrix4 move = translationMatrix(3.0f, 0.0f, std::numeric_limits<float>::infinity());
    for (int32_t id = 0; id <= static_cast<int32_t>(fuzz_entry::kPoseTreeNodes); ++id) {
        rootNode->selectBone(id);
        rootNode->rotateBone(rotationAboutZ(0.25), id);
        rootNode->translateBone(move, id);
    }
    const Bytes edited = encodePose(*rootNode);
    const std::string path = folder / "nan.pose";
    EXPECT_TRUE(savePoseFile(*rootNode, path.c_str()).ok());
    ASSERT_EQ(applyPose(*rootNode, original.data(), original.size()).loaded, 21u);
    EXPECT_EQ(test_support::loadPoseFileAt(*rootNode, path).line, "");
    EXPECT_EQ(encodePose(*rootNode), edited);
}

// A tmpfs of its own, so that a test can make a place read-only or full. Tests run as root;
// where mounting is not allowed the tests that need it are skipped.
class ScratchMount {
  public:
    ScratchMount(const std::string& path, const char* options) : path_(path) {
        ::mkdir(path.c_str(), 0755);
        mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0;
    }
    ~ScratchMount() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool makeReadOnly() {
        return ::mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    std::string path_;
    bool mounted_ = false;
};

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(HostilePoseFiles, ASaveToAReadOnlyPlaceSaysSoAndKeepsThePreviousFile) {
    ScratchMount place(folder / "readonly", "size=64k");
    if (!place.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string path = folder / "readonly/kept.pose";
    const Bytes previous = {1, 2, 3, 4, 5};
    ASSERT_TRUE(hostile::ab::writeFile(path, previous));
    if (!place.makeReadOnly()) GTEST_SKIP() << "cannot remount the tmpfs read-only";

    EXPECT_EQ(savePoseFile(*rootNode, path.c_str()).message, "cannot open : " + path);
    EXPECT_EQ(readWholeFile(path), previous);
    EXPECT_EQ(namesIn(folder / "readonly"), std::vector<std::string>{"kept.pose"});
}

TEST_F(HostilePoseFiles, ASaveToAFullDiskSaysSoAndKeepsThePreviousFile) {
    ScratchMount place(folder / "full", "size=64k");
    if (!place.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string path = folder / "full/kept.pose";
    ASSERT_TRUE(hostile::ab::writeFile(path, file));
    // Fill every block that is left.
    FILE* filler = std::fopen((folder / "full/filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    const std::vector<uint8_t> chunk(4096, 0xAA);
    while (std::fwrite(chunk.data(), 1, chunk.size(), filler) == chunk.size()) {
    }
    std::fclose(filler);

    EXPECT_EQ(savePoseFile(*rootNode, path.c_str()).message,
              "Cannot save pose file " + path + ": No space left on device");
    EXPECT_EQ(readWholeFile(path), file);
    EXPECT_EQ(namesIn(folder / "full"), (std::vector<std::string>{"filler", "kept.pose"}));
    EXPECT_EQ(encodePose(*rootNode), original);
}

}  // namespace
