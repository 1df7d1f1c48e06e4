// Writes the large benchmark archive to the path given, for the programs that read it from a
// file in a process of their own (peak memory, drawing).

#include <cstdio>

#include "bench_archives.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    ArchiveCounts counts;
    const auto bytes = makeLargeArchive({}, &counts);
    if (!archive_builder::writeFile(argv[1], bytes)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %zu bytes, %zu bones, %zu polygons, %zu corners, %zu images\n", argv[1],
                bytes.size(), counts.bones, counts.polygons, counts.corners, counts.images);
    return 0;
}
