// Writes the seed corpus of every fuzz target under the given folder (fuzz/corpus in the
// repository): <folder>/<target>/<seed name>. Existing seeds of the same name are replaced.
// With --large, writes instead the archives at the edges of their sizes into the folder.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "seed_inputs.h"

namespace {

bool writeAll(const std::filesystem::path& folder,
              const std::vector<seed_inputs::NamedInput>& seeds) {
    std::filesystem::create_directories(folder);
    for (const auto& seed : seeds) {
        if (!archive_builder::writeFile((folder / seed.name).string(), seed.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", (folder / seed.name).c_str());
            return false;
        }
    }
    std::printf("%zu seeds in %s\n", seeds.size(), folder.c_str());
    return true;
}

// The texture scan and the comparison read whole archives, so they share the skeleton archive's
// seeds: one copy, reached through a link (a link already there is kept).
bool linkSharedSeeds(const std::filesystem::path& link) {
    std::error_code error;
    if (std::filesystem::is_symlink(link, error)) return true;
    std::filesystem::create_directory_symlink("skeleton_archive", link, error);
    if (error) {
        std::fprintf(stderr, "cannot link %s: %s\n", link.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--large") {
        return writeAll(argv[2], seed_inputs::largeArchives()) ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER | --large FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const auto archives = seed_inputs::archiveSeeds();
    const auto tims = seed_inputs::timSeeds();
    const auto replacements = seed_inputs::textureReplaceSeeds();
    std::fflush(stdout);
    const auto poses = seed_inputs::poseSeeds();  // loads the pose tree, which prints its bones
    const auto gltfs = seed_inputs::gltfSeeds();
    const bool ok =
        writeAll(root / "skeleton_archive", archives) && linkSharedSeeds(root / "texture_scan") &&
        linkSharedSeeds(root / "archive_diff") && writeAll(root / "tim_entry", tims) &&
        writeAll(root / "texture_replace", replacements) && writeAll(root / "pose_file", poses) &&
        writeAll(root / "gltf_import", gltfs) && writeAll(root / "model_import", gltfs) &&
        writeAll(root / "disc_image", seed_inputs::discImageSeeds()) &&
        writeAll(root / "cue_sheet", seed_inputs::cueSheetSeeds());
    return ok ? 0 : 1;
}
