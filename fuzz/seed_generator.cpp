// Writes the seed corpus of every fuzz target under the given folder (fuzz/corpus in the
// repository): <folder>/<target>/<seed name>. Existing seeds of the same name are replaced.
// With --large, writes instead the archives at the edges of their sizes into the folder.
#include <cstdio>
#include <filesystem>
#include <string>

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
    std::fflush(stdout);
    const auto poses = seed_inputs::poseSeeds();  // loads the pose tree, which prints its bones
    const bool ok = writeAll(root / "skeleton_archive", archives) &&
                    writeAll(root / "texture_scan", archives) &&
                    writeAll(root / "tim_entry", tims) && writeAll(root / "pose_file", poses);
    return ok ? 0 : 1;
}
