// Replays every seed of fuzz/corpus and every saved finding of fuzz/regressions through the same
// entry points the libFuzzer targets use, so the sanitizer build checks them on every test run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "console/console.h"
#include "entry_points.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using test_support::readWholeFile;
using Entry = int (*)(const uint8_t*, size_t);

std::vector<fs::path> inputFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.is_regular_file() && item.path().filename().string()[0] != '.') {
            files.push_back(item.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The loaders print a line per bone and per texture entry; the replay keeps the log readable by
// discarding the console, and names each input on stderr so that a sanitizer report or an abort
// can be traced to its file.
size_t replay(const std::string& target, Entry entry) {
    const ConsoleTarget previous = consoleTarget();
    setConsoleTarget(ConsoleTarget::Discard);
    size_t count = 0;
    for (const char* root : {FUZZ_CORPUS_DIR, FUZZ_REGRESSIONS_DIR}) {
        for (const fs::path& file : inputFiles(fs::path(root) / target)) {
            const std::vector<uint8_t> bytes = readWholeFile(file.string());
            std::fprintf(stderr, "replay %s\n", file.c_str());
            EXPECT_EQ(entry(bytes.data(), bytes.size()), 0) << file;
            ++count;
        }
    }
    setConsoleTarget(previous);
    return count;
}

TEST(FuzzCorpusReplay, SkeletonArchive) {
    EXPECT_GE(replay("skeleton_archive", fuzz_entry::skeletonArchive), 40u);
}

TEST(FuzzCorpusReplay, TimEntry) {
    EXPECT_GE(replay("tim_entry", fuzz_entry::timEntry), 20u);
}

TEST(FuzzCorpusReplay, TextureScan) {
    EXPECT_GE(replay("texture_scan", fuzz_entry::textureScan), 40u);
}

TEST(FuzzCorpusReplay, TextureReplace) {
    EXPECT_GE(replay("texture_replace", fuzz_entry::textureReplace), 7u);
}

TEST(FuzzCorpusReplay, PoseFile) {
    EXPECT_GE(replay("pose_file", fuzz_entry::poseFile), 7u);
}

TEST(FuzzCorpusReplay, GltfImport) {
    EXPECT_GE(replay("gltf_import", fuzz_entry::gltfImport), 3u);
}

TEST(FuzzCorpusReplay, ArchiveDiff) {
    EXPECT_GE(replay("archive_diff", fuzz_entry::archiveDiff), 40u);
}

TEST(FuzzCorpusReplay, ModelImport) {
    EXPECT_GE(replay("model_import", fuzz_entry::modelImport), 3u);
}

TEST(FuzzCorpusReplay, DiscImage) {
    EXPECT_GE(replay("disc_image", fuzz_entry::discImage), 7u);
}

TEST(FuzzCorpusReplay, CueSheet) {
    EXPECT_GE(replay("cue_sheet", fuzz_entry::cueSheet), 3u);
}

}  // namespace
