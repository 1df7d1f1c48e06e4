// Editing: bone edits, selection and pose files on a wide tree (every bone below the root) and
// a deep one (one chain), 10,000 bones each.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "bench_archives.h"
#include "bench_data.h"
#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/model.h"
#include "model/pose_file.h"

namespace {

constexpr int kTreeBones = 10000;
enum class Tree { Wide, Deep };

const archive_builder::Bytes& treeArchive(Tree tree) {
    static const archive_builder::Bytes wide = makeWideTreeArchive(kTreeBones);
    static const archive_builder::Bytes deep = makeDeepTreeArchive(kTreeBones);
    return tree == Tree::Wide ? wide : deep;
}

// Puts the wanted tree in place with the loader's matrices. Building the deep chain costs far
// more than an edit, so a tree that is already loaded is only set back to its loaded pose.
bool treeLoaded = false;
Tree loadedTree = Tree::Wide;
std::vector<uint8_t> loadedPose;
Model treeModel;
BoneNode* rootNode = nullptr;

void prepareTree(Tree tree) {
    if (!treeLoaded || loadedTree != tree) {
        treeModel = Model();
        const auto& archive = treeArchive(tree);
        loadSkeletonInto(treeModel, archive);
        rootNode = treeModel.rootNode();
        loadedPose = encodePose(*rootNode);
        loadedTree = tree;
        treeLoaded = true;
    } else {
        applyPose(*rootNode, loadedPose.data(), loadedPose.size());
    }
}

void countNodes(benchmark::State& state, size_t allocations) {
    state.counters["nodes"] = static_cast<double>(poseNodeCount(*rootNode));
    state.counters["allocs/op"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

// Runs op once per iteration on a freshly prepared tree and counts its heap allocations.
template <typename Op>
void measureEdit(benchmark::State& state, Tree tree, Op&& op) {
    prepareTree(tree);
    const size_t before = allocationStats().allocations;
    for (auto _ : state) op();
    countNodes(state, allocationStats().allocations - before);
}

void BM_ParseSkeletonTree(benchmark::State& state, Tree tree) {
    const auto& archive = treeArchive(tree);
    Model model;
    for (auto _ : state) {
        state.PauseTiming();
        model = Model();
        state.ResumeTiming();
        loadSkeletonInto(model, archive);
    }
    state.counters["nodes"] = static_cast<double>(poseNodeCount(*model.rootNode()));
}
BENCHMARK_CAPTURE(BM_ParseSkeletonTree, wide, Tree::Wide)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParseSkeletonTree, deep, Tree::Deep)->Unit(benchmark::kMillisecond);

// The deepest or last bone: the request walks the whole tree before it finds its node.
void BM_RotateBone(benchmark::State& state, Tree tree) {
    const Matrix4 m = rotationAboutZ(0.01);
    measureEdit(state, tree, [&] { rootNode->rotateBone(m, kTreeBones); });
}
BENCHMARK_CAPTURE(BM_RotateBone, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RotateBone, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

void BM_TranslateBone(benchmark::State& state, Tree tree) {
    const Matrix4 m = translationMatrix(0.5f, 0.0f, -0.25f);
    measureEdit(state, tree, [&] { rootNode->translateBone(m, kTreeBones); });
}
BENCHMARK_CAPTURE(BM_TranslateBone, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TranslateBone, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

// The whole model (id 0): what a drag does when no bone is chosen.
void BM_RotateRoot(benchmark::State& state, Tree tree) {
    const Matrix4 m = rotationAboutZ(0.01);
    measureEdit(state, tree, [&] { rootNode->rotateBone(m, 0); });
}
BENCHMARK_CAPTURE(BM_RotateRoot, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RotateRoot, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

void BM_SelectBone(benchmark::State& state, Tree tree) {
    measureEdit(state, tree, [&] { rootNode->selectBone(kTreeBones); });
}
BENCHMARK_CAPTURE(BM_SelectBone, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SelectBone, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

void BM_EncodePose(benchmark::State& state, Tree tree) {
    measureEdit(state, tree, [&] {
        auto bytes = encodePose(*rootNode);
        benchmark::DoNotOptimize(bytes.data());
    });
}
BENCHMARK_CAPTURE(BM_EncodePose, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EncodePose, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

void BM_ApplyPose(benchmark::State& state, Tree tree) {
    prepareTree(tree);
    const std::vector<uint8_t> pose = encodePose(*rootNode);
    measureEdit(state, tree, [&] { applyPose(*rootNode, pose.data(), pose.size()); });
}
BENCHMARK_CAPTURE(BM_ApplyPose, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ApplyPose, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

// The stream operations on an open scratch file, rewound before each save or load.
void BM_SavePoseStream(benchmark::State& state, Tree tree) {
    const std::string path = scratchPath("pose-stream");
    FILE* f = std::fopen(path.c_str(), "wb+");
    measureEdit(state, tree, [&] {
        std::rewind(f);
        const std::vector<uint8_t> bytes = encodePose(*rootNode);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fflush(f);
    });
    std::fclose(f);
    std::remove(path.c_str());
}
BENCHMARK_CAPTURE(BM_SavePoseStream, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SavePoseStream, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

void BM_LoadPoseStream(benchmark::State& state, Tree tree) {
    const std::string path = scratchPath("pose-stream");
    FILE* f = std::fopen(path.c_str(), "wb+");
    prepareTree(tree);
    const std::vector<uint8_t> bytes = encodePose(*rootNode);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    measureEdit(state, tree, [&] {
        std::rewind(f);
        benchmark::DoNotOptimize(loadPoseStream(*rootNode, f, nullptr).ok());
    });
    std::fclose(f);
    std::remove(path.c_str());
}
BENCHMARK_CAPTURE(BM_LoadPoseStream, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadPoseStream, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

// The menu commands' whole path: a pose file written beside the target and renamed over it,
// and a pose file read whole and applied.
void BM_SavePoseFile(benchmark::State& state, Tree tree) {
    const std::string path = scratchPath("pose-file");
    measureEdit(state, tree,
                [&] { benchmark::DoNotOptimize(savePoseFile(*rootNode, path.c_str()).ok()); });
    std::remove(path.c_str());
}
BENCHMARK_CAPTURE(BM_SavePoseFile, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SavePoseFile, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

void BM_LoadPoseFile(benchmark::State& state, Tree tree) {
    const std::string path = scratchPath("pose-file");
    prepareTree(tree);
    if (!savePoseFile(*rootNode, path.c_str()).ok()) state.SkipWithError("cannot save the pose");
    measureEdit(state, tree, [&] {
        FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) return;
        benchmark::DoNotOptimize(loadPoseStream(*rootNode, file, path.c_str()).ok());
        std::fclose(file);
    });
    std::remove(path.c_str());
}
BENCHMARK_CAPTURE(BM_LoadPoseFile, wide, Tree::Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadPoseFile, deep, Tree::Deep)->Unit(benchmark::kMicrosecond);

}  // namespace
