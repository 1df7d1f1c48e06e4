// The container scan next to reading the same file front to back (what cat does): a file of
// mostly random bytes with an archive and a few TIMs every 8 MiB, written once if missing.
// Best of three runs each; the scan's target is at most 2x the read's time.
// Usage: veldraxis_scan_bench [--size-mb N] FILE

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive_builder.h"
#include "scan/file_bytes.h"
#include "scan/item_scan.h"

namespace {

namespace ab = archive_builder;

constexpr size_t kChunk = size_t{8} << 20;

ab::Bytes sampleArchive() {
    ab::Skeleton skeleton;
    skeleton.bones.resize(4);
    ab::AngleTable angles;
    angles.angles.assign(4, 0);
    ab::TimImage image;
    image.widthUnits = 16;
    image.height = 64;
    return ab::buildModelArchive(skeleton, angles, {image, image});
}

ab::Bytes sampleTim() {
    ab::TimImage image;
    image.widthUnits = 32;
    image.height = 32;
    return image.bytes();
}

bool writeSample(const char* path, uint64_t bytes) {
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    const ab::Bytes archive = sampleArchive();
    const ab::Bytes tim = sampleTim();
    std::vector<uint8_t> chunk(kChunk);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    bool ok = true;
    for (uint64_t done = 0; done < bytes && ok; done += kChunk) {
        for (size_t k = 0; k < chunk.size(); k += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            std::memcpy(chunk.data() + k, &state, 8);
        }
        std::memcpy(chunk.data() + 2048 * 7, archive.data(), archive.size());
        std::memcpy(chunk.data() + (1 << 20) + 4 * 333, tim.data(), tim.size());
        std::memcpy(chunk.data() + (5 << 20) + 4 * 77, tim.data(), tim.size());
        const size_t length = static_cast<size_t>(std::min<uint64_t>(kChunk, bytes - done));
        ok = std::fwrite(chunk.data(), 1, length, out) == length;
    }
    return std::fclose(out) == 0 && ok;
}

double seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t sizeMb = 700;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size-mb") == 0 && i + 1 < argc) {
            sizeMb = std::strtoull(argv[++i], nullptr, 10);
        } else {
            path = argv[i];
        }
    }
    if (!path || sizeMb == 0) {
        std::fprintf(stderr, "usage: %s [--size-mb N] FILE\n", argv[0]);
        return 2;
    }
    FileBytes file;
    if (!file.open(path).ok() || file.size() != sizeMb << 20) {
        if (!writeSample(path, sizeMb << 20) || !file.open(path).ok()) {
            std::fprintf(stderr, "cannot write %s\n", path);
            return 1;
        }
    }
    const double megabytes = static_cast<double>(file.size()) / (1 << 20);

    double readBest = 1e9, scanBest = 1e9;
    size_t items = 0;
    std::vector<uint8_t> buffer(size_t{4} << 20);
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        for (uint64_t at = 0; at < file.size(); at += buffer.size()) {
            const size_t length =
                static_cast<size_t>(std::min<uint64_t>(buffer.size(), file.size() - at));
            if (!file.read(at, length, buffer.data())) return 1;
        }
        readBest = std::min(readBest, seconds(start));

        start = std::chrono::steady_clock::now();
        items = scanContainer(file).size();
        scanBest = std::min(scanBest, seconds(start));
    }
    const double ratio = scanBest / readBest;
    std::printf("read %.0f MB: %.0f MB/s\n", megabytes, megabytes / readBest);
    std::printf("scan %.0f MB: %.0f MB/s, %zu items\n", megabytes, megabytes / scanBest, items);
    std::printf("scan / read = %.2f x (target <= 2: %s)\n", ratio, ratio <= 2 ? "met" : "missed");
    return 0;
}
