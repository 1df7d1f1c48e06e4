// Textures: one TIM entry checked and decoded next to a plain loop that expands the same 4-bit
// pixels through their palettes, and the whole archive scan.

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <memory>

#include "archive/archive.h"
#include "bench_data.h"
#include "io/byte_order.h"
#include "source/source_reading.h"
#include "texture/texture_page.h"
#include "tim/tim_entry.h"

namespace {

struct FullPageImage {
    archive_builder::Bytes bytes = makeFullPageImage().bytes();
    int palettes = bytes[18];
    size_t imageBlock = 20 + 32 * static_cast<size_t>(bytes[18]);
    int width = 4 * readLE16(bytes.data() + imageBlock + 8);
    int height = readLE16(bytes.data() + imageBlock + 10);
    int64_t storedPixels() const { return static_cast<int64_t>(width) * height * palettes; }
};

const FullPageImage& fullPageImage() {
    static const FullPageImage image;
    return image;
}

void BM_DecodeTimFullPage(benchmark::State& state) {
    const FullPageImage& image = fullPageImage();
    auto page = std::make_unique<TexturePage>();
    for (auto _ : state) {
        const BoundedReader entry(image.bytes.data(), image.bytes.size());
        const TimEntryCheck check = checkTimEntry(entry);
        page->decodeChecked(entry, check);
        benchmark::DoNotOptimize(check.failed);
        benchmark::ClobberMemory();
    }
    if (page->width != image.width || page->height != image.height) {
        state.SkipWithError("the decoder did not take the image's size");
    }
    state.SetItemsProcessed(state.iterations() * image.storedPixels());
    state.counters["pixels"] = static_cast<double>(image.storedPixels());
}
BENCHMARK(BM_DecodeTimFullPage)->Unit(benchmark::kMicrosecond);

// The limit a decoder can approach: build the RGBA table of each palette, then store every
// pixel of every palette copy as one 32-bit word looked up by its nibble.
void BM_ExpandNibblesReference(benchmark::State& state) {
    const FullPageImage& image = fullPageImage();
    const uint8_t* bytes = image.bytes.data();
    const uint8_t* rows = bytes + image.imageBlock + 12;
    const int palettes = image.palettes;
    const int width = image.width;
    const int height = image.height;
    auto page = std::make_unique<std::array<uint32_t, kTexturePageSize * kTexturePageSize>>();
    for (auto _ : state) {
        uint32_t table[16 * 8];
        for (int i = 0; i < 16 * palettes; ++i) {
            const uint16_t c = readLE16(bytes + 20 + 2 * i);
            const uint32_t r = 8u * (c & 31) + 7, g = 8u * ((c >> 5) & 31) + 7,
                           b = 8u * ((c >> 10) & 31) + 7, a = (i % 16) ? 255u : 0u;
            table[i] = r | (g << 8) | (b << 16) | (a << 24);
        }
        const uint8_t* p = rows;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; x += 2, ++p) {
                const uint8_t lo = *p & 0x0F, hi = *p >> 4;
                for (int m = 0; m < palettes; ++m) {
                    uint32_t* out = page->data() + (m * height + y) * kTexturePageSize + x;
                    out[0] = table[16 * m + lo];
                    out[1] = table[16 * m + hi];
                }
            }
        }
        benchmark::DoNotOptimize(page->data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * image.storedPixels());
}
BENCHMARK(BM_ExpandNibblesReference)->Unit(benchmark::kMicrosecond);

void BM_ScanArchiveLarge(benchmark::State& state) {
    const BenchData& data = benchData();
    auto page = std::make_unique<TexturePage>();
    int result = -1;
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        if (!readSource(Source::file(data.largePath), bytes).ok()) break;
        const Archive archive = parseArchive(bytes);
        page->decodeImages(bytes.data(), archive);
        result = archive.texturesResult();
        benchmark::DoNotOptimize(textureLoaderLines(archive));
    }
    if (result != 0) state.SkipWithError("the images of the large archive did not decode");
    state.counters["images"] = static_cast<double>(data.largeCounts.images);
}
BENCHMARK(BM_ScanArchiveLarge)->Unit(benchmark::kMicrosecond);

}  // namespace
