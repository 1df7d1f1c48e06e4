// Writes the large benchmark archive to the path given, for the programs that read it from a
// file in a process of their own (peak memory, drawing). --polygons-per-bone N changes its size.
// Usage: veldraxis_write_bench_archive [--polygons-per-bone N] OUTPUT

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_archives.h"

int main(int argc, char** argv) {
    LargeArchiveShape shape;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--polygons-per-bone") == 0 && i + 1 < argc) {
            shape.polygonsPerBone = std::atoi(argv[++i]);
        } else {
            output = argv[i];
        }
    }
    if (!output || shape.polygonsPerBone < 0) {
        std::fprintf(stderr, "usage: %s [--polygons-per-bone N] OUTPUT\n", argv[0]);
        return 2;
    }
    ArchiveCounts counts;
    const auto bytes = makeLargeArchive(shape, &counts);
    if (!archive_builder::writeFile(output, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", output);
        return 1;
    }
    std::printf("%s: %zu bytes, %zu bones, %zu polygons, %zu corners, %zu images\n", output,
                bytes.size(), counts.bones, counts.polygons, counts.corners, counts.images);
    return 0;
}
