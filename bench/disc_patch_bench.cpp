// Patching one member of a full-size raw disc image against copying it: the patch is to take
// within 1.5x of `cp IMAGE OUT; sync OUT` and under 100 MB at its peak.
// Usage: veldraxis_disc_patch_bench FOLDER (a scratch folder with about 2 GB free)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "disc/image_patch.h"
#include "disc_builder.h"

namespace {

constexpr uint64_t kBigFileBytes = 650'000'000;

bool buildDisc(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder + "/tree");
    std::mt19937_64 random(1);
    {
        std::ofstream big(folder + "/tree/BIG.DAT", std::ios::binary);
        std::vector<uint64_t> block(1 << 17);
        for (uint64_t done = 0; done < kBigFileBytes; done += block.size() * 8) {
            for (auto& word : block) word = random();
            big.write(reinterpret_cast<const char*>(block.data()), block.size() * 8);
        }
        std::ofstream(folder + "/tree/SMALL.BIN", std::ios::binary) << std::string(5000, 's');
    }
    const std::string command =
        "genisoimage -quiet -o '" + folder + "/disc.iso' '" + folder + "/tree' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    fs::remove_all(folder + "/tree");
    std::ifstream iso(folder + "/disc.iso", std::ios::binary);
    std::ofstream out(folder + "/disc.bin", std::ios::binary);
    std::vector<uint8_t> batch(512 * 2048);
    for (uint32_t first = 0; iso;) {
        iso.read(reinterpret_cast<char*>(batch.data()), static_cast<std::streamsize>(batch.size()));
        const auto got = static_cast<size_t>(iso.gcount());
        if (got == 0) break;
        const auto framed =
            frameImage({batch.begin(), batch.begin() + got}, Framing::Mode2Form1_2352, {}, first);
        out.write(reinterpret_cast<const char*>(framed.data()), framed.size());
        first += static_cast<uint32_t>(got / 2048);
    }
    fs::remove(folder + "/disc.iso");
    return static_cast<bool>(out);
}

double secondsOf(const std::function<int()>& run, int& status) {
    const auto start = std::chrono::steady_clock::now();
    status = run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs the patch in a child, so that its peak memory is its own.
int patchInChild(const std::string& folder, long& peakKb) {
    const pid_t child = ::fork();
    if (child == 0) {
        const Result<> result =
            patchImage(folder + "/disc.bin", folder + "/out.bin",
                       {{"SMALL.BIN", 0, false, 0, std::vector<uint8_t>(6000, 'n')}});
        if (!result.ok()) std::fprintf(stderr, "%s\n", result.message.c_str());
        ::_exit(result.code);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    peakKb = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: veldraxis_disc_patch_bench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!buildDisc(folder)) {
        std::fprintf(stderr, "cannot build the disc in %s\n", folder.c_str());
        return 1;
    }
    const std::string copy =
        "cp '" + folder + "/disc.bin' '" + folder + "/copy.bin' && sync '" + folder + "/copy.bin'";
    double copySeconds = 1e9, patchSeconds = 1e9;
    long peakKb = 0;
    for (int round = 0; round < 3; ++round) {
        int status = 0;
        copySeconds =
            std::min(copySeconds, secondsOf([&] { return std::system(copy.c_str()); }, status));
        std::filesystem::remove(folder + "/copy.bin");
        if (status != 0) return 1;
        patchSeconds =
            std::min(patchSeconds, secondsOf([&] { return patchInChild(folder, peakKb); }, status));
        std::filesystem::remove(folder + "/out.bin");
        if (status != 0) return 1;
    }
    std::printf("cp+sync %.3f s, patch %.3f s, patch peak %ld KB\n", copySeconds, patchSeconds,
                peakKb);
    std::printf("disc_patch_vs_copy=%.2f disc_patch_peak_mb=%ld\n", patchSeconds / copySeconds,
                peakKb / 1024);
    std::filesystem::remove(folder + "/disc.bin");
    return patchSeconds <= 1.5 * copySeconds && peakKb < 100 * 1024 ? 0 : 1;
}
