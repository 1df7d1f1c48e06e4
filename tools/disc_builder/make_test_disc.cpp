// make-test-disc: frames an ISO image into a raw disc image (and its CUE sheet), for scripts
// and pictures. Streams the image, so a full-size disc costs a few buffers.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "disc/sector_codes.h"
#include "disc_builder.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: make-test-disc [--framing mode2|mode1|2336] ISO OUT.bin [OUT.cue]\n");
    return 2;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    Framing framing = Framing::Mode2Form1_2352;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--framing" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value == "mode2") {
                framing = Framing::Mode2Form1_2352;
            } else if (value == "mode1") {
                framing = Framing::Mode1_2352;
            } else if (value == "2336") {
                framing = Framing::Mode2_2336;
            } else {
                return usage();
            }
        } else if (arg.rfind("--", 0) == 0) {
            return usage();
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2 && paths.size() != 3) return usage();

    std::ifstream in(paths[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "make-test-disc: cannot read %s\n", paths[0].c_str());
        return 1;
    }
    // Written beside its name and renamed into place, so a failed run leaves no half image.
    const std::string partial = paths[1] + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "make-test-disc: cannot write %s\n", paths[1].c_str());
        return 1;
    }
    constexpr size_t kBatchSectors = 512;
    std::vector<uint8_t> batch(kBatchSectors * kUserDataBytes);
    uint32_t first = 0;
    while (in) {
        in.read(reinterpret_cast<char*>(batch.data()), static_cast<std::streamsize>(batch.size()));
        const size_t got = static_cast<size_t>(in.gcount());
        if (got == 0) break;
        const std::vector<uint8_t> part(batch.begin(), batch.begin() + got);
        const std::vector<uint8_t> framed = frameImage(part, framing, {}, first);
        out.write(reinterpret_cast<const char*>(framed.data()),
                  static_cast<std::streamsize>(framed.size()));
        first += static_cast<uint32_t>((got + kUserDataBytes - 1) / kUserDataBytes);
    }
    out.close();
    std::error_code renameError;
    if (out) std::filesystem::rename(partial, paths[1], renameError);
    if (!out || renameError) {
        std::remove(partial.c_str());
        std::fprintf(stderr, "make-test-disc: writing %s failed\n", paths[1].c_str());
        return 1;
    }
    if (paths.size() == 3 && !writeText(paths[2], cueSheetFor(baseName(paths[1]), framing))) {
        std::fprintf(stderr, "make-test-disc: cannot write %s\n", paths[2].c_str());
        return 1;
    }
    return 0;
}
