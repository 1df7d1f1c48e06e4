// Writes the files of a test disc into a folder, for genisoimage to lay out and the disc builder
// to frame: the demo model and a second pose of it as archives of their own, a pack file holding
// two archives at 2048-byte boundaries and loose TIM images between random bytes, TIM files of
// every depth, and a text file. With --tail FILE it also writes an archive padded to whole
// sectors, for appending after the volume where no file claims it.
//   make-disc-content FOLDER [--tail FILE] [--filler MB] [--models N]
// --filler adds DATA/MOVIE.DAT, MB megabytes of random bytes, and --models N adds N more archives
// as MODELS/Mnn.BIN (for the benchmark's large image).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "archive_builder.h"
#include "demo_figure.h"

using archive_builder::Bytes;
using archive_builder::putLE16;
using archive_builder::putLE32;

namespace {

// A TIM of 8, 16 or 24 bits: a CLUT of clutColours for 8 bits, then width x height pixels drawn
// as diagonal bands so that each picture is easy to tell apart.
Bytes makeTim(int bpp, int width, int height, int clutColours = 256) {
    Bytes out;
    putLE32(out, 16);
    const uint32_t mode = bpp == 8 ? 1 : bpp == 16 ? 2 : 3;
    putLE32(out, mode | (bpp == 8 ? 8u : 0u));
    if (bpp == 8) {
        putLE32(out, static_cast<uint32_t>(12 + 2 * clutColours));
        putLE16(out, 0);
        putLE16(out, 480);
        putLE16(out, static_cast<uint16_t>(clutColours));
        putLE16(out, 1);
        for (int k = 0; k < clutColours; ++k) {
            putLE16(out, archive_builder::rgb15(k % 32, (k * 3) % 32, 31 - k % 32));
        }
    }
    const int bytesPerPixel = bpp / 8;
    const size_t rowBytes = static_cast<size_t>(width * bytesPerPixel + 1) / 2 * 2;
    putLE32(out, static_cast<uint32_t>(12 + rowBytes * height));
    putLE16(out, 320);
    putLE16(out, 0);
    putLE16(out, static_cast<uint16_t>(rowBytes / 2));
    putLE16(out, static_cast<uint16_t>(height));
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x) {
            const int band = (x + y) / 4;
            if (bpp == 8) {
                row.push_back(static_cast<uint8_t>(band % clutColours));
            } else if (bpp == 16) {
                putLE16(row, band % 5 == 0 ? 0 : archive_builder::rgb15(band % 32, x % 32, y % 32));
            } else {
                row.push_back(static_cast<uint8_t>(band * 16));
                row.push_back(static_cast<uint8_t>(x * 4));
                row.push_back(static_cast<uint8_t>(y * 4));
            }
        }
        row.resize(rowBytes, 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A 4-bit TIM with two palettes, as archives carry them.
Bytes makeTim4(int widthUnits, int height) {
    archive_builder::TimImage tim;
    tim.paletteCount = 2;
    for (int k = 0; k < 32; ++k) {
        tim.palettes.push_back(
            archive_builder::rgb15(k % 16 * 2, 31 - k % 16 * 2, k < 16 ? 31 : 0));
    }
    tim.widthUnits = static_cast<uint16_t>(widthUnits);
    tim.height = static_cast<uint16_t>(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < widthUnits * 4; ++x)
            tim.setIndex(x, y, static_cast<uint8_t>((x / 2 + y) % 16));
    }
    return tim.bytes();
}

// The demo model with its joints bent by turn (1/65535 of a turn each): another pose, so that
// the walk through the disc shows something new at each step.
Bytes bentDemo(int16_t turn) {
    Bytes bytes = demo::buildDemoArchive();
    const std::vector<uint32_t> offsets = archive_builder::entryOffsets(bytes);
    const uint32_t angles = offsets.at(2);
    const uint32_t end = offsets.size() > 3 ? offsets[3] : static_cast<uint32_t>(bytes.size());
    for (uint32_t at = angles + 4; at + 2 <= end; at += 4) {
        const int16_t old = static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
        const uint16_t now = static_cast<uint16_t>(old + turn);
        bytes[at] = static_cast<uint8_t>(now);
        bytes[at + 1] = static_cast<uint8_t>(now >> 8);
    }
    return bytes;
}

void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

void padTo(Bytes& out, size_t boundary, std::mt19937& random) {
    while (out.size() % boundary != 0) out.push_back(static_cast<uint8_t>(random() | 1));
}

Bytes randomBytes(size_t count, std::mt19937& random) {
    Bytes out(count);
    for (uint8_t& b : out) b = static_cast<uint8_t>(random());
    return out;
}

bool write(const std::string& path, const Bytes& bytes) {
    if (archive_builder::writeFile(path, bytes)) return true;
    std::fprintf(stderr, "make-disc-content: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--tail FILE] [--filler MB] [--models N]\n",
                     argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::string tail;
    long fillerMb = 0;
    int models = 0;
    for (int k = 2; k + 1 < argc; k += 2) {
        if (std::strcmp(argv[k], "--tail") == 0) tail = argv[k + 1];
        if (std::strcmp(argv[k], "--filler") == 0) fillerMb = std::atol(argv[k + 1]);
        if (std::strcmp(argv[k], "--models") == 0) models = std::atoi(argv[k + 1]);
    }
    std::error_code error;
    for (const char* sub : {"/CHR", "/DATA", "/UI"}) {
        std::filesystem::create_directories(folder + sub, error);
    }
    std::mt19937 random(1234);

    // The pack: random bytes, an archive at 0x1000, a 4-bit TIM at an odd multiple of 4,
    // another archive at the next boundary, a 16-bit TIM, random bytes.
    Bytes pack = randomBytes(0x1000, random);
    append(pack, bentDemo(2000));
    padTo(pack, 4, random);
    pack.resize(pack.size() + 4 * 7, 0x55);
    append(pack, makeTim4(8, 32));
    padTo(pack, 2048, random);
    append(pack, bentDemo(-3000));
    padTo(pack, 4, random);
    pack.resize(pack.size() + 12, 0xaa);
    append(pack, makeTim(16, 32, 16));
    append(pack, randomBytes(3000, random));

    bool ok = write(folder + "/CHR/HERO.BIN", demo::buildDemoArchive()) &&
              write(folder + "/CHR/KNIGHT.BIN", bentDemo(6000)) &&
              write(folder + "/DATA/PACK.DAT", pack) &&
              write(folder + "/UI/FONT.TIM", makeTim(8, 64, 32, 64)) &&
              write(folder + "/UI/TITLE.TIM", makeTim(24, 48, 24)) &&
              write(folder + "/SYSTEM.CNF", Bytes{'B', 'O', 'O', 'T', ' ', '=', ' ', 'c', 'd', 'r',
                                                  'o', 'm', ':', 'M', 'A', 'I', 'N', '\n'});
    if (ok && fillerMb > 0) {
        // Written in pieces: the benchmark's filler is hundreds of megabytes.
        FILE* out = std::fopen((folder + "/DATA/MOVIE.DAT").c_str(), "wb");
        ok = out != nullptr;
        Bytes chunk(1 << 20);
        for (long k = 0; ok && k < fillerMb; ++k) {
            for (uint8_t& b : chunk) b = static_cast<uint8_t>(random());
            ok = std::fwrite(chunk.data(), 1, chunk.size(), out) == chunk.size();
        }
        if (out) ok = std::fclose(out) == 0 && ok;
    }
    if (models > 0) std::filesystem::create_directories(folder + "/MODELS", error);
    for (int k = 0; ok && k < models; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "/MODELS/M%02d.BIN", k);
        ok = write(folder + name, bentDemo(static_cast<int16_t>(500 * k)));
    }
    if (ok && !tail.empty()) {
        Bytes lost = bentDemo(12000);
        lost.resize((lost.size() + 2047) / 2048 * 2048, 0);
        ok = write(tail, lost);
    }
    return ok ? 0 : 1;
}
