// Writes the demo archive as a plain archive file: the bytes the product embeds
// (src/demo/demo_archive.bin), and a file for tests to open by path.
//   make-demo-archive --write OUT.bin

#include <cstdio>
#include <cstring>

#include "demo_figure.h"

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--write") != 0) {
        std::fprintf(stderr, "usage: %s --write OUT.bin\n", argv[0]);
        return 2;
    }
    const archive_builder::Bytes bytes = demo::buildDemoArchive();
    if (!archive_builder::writeFile(argv[2], bytes)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
