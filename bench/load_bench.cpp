// Loading: the skeleton of the large archive from memory and the document of its file, next to
// a memcpy of the same bytes, with the heap allocations each load makes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "allocation_counter.h"
#include "bench_data.h"
#include "document/document.h"
#include "model/model.h"
#include "model/part_mesh.h"

namespace {

size_t loadedPolygons(const Model& model) {
    size_t n = 0;
    for (const PartMesh* mesh : model.partList()) n += mesh->polygonCount();
    return n;
}

// Copies src once per iteration: the reference that a parse of the same bytes is compared with.
void measureMemcpy(benchmark::State& state, const std::vector<uint8_t>& src) {
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}

void BM_MemcpyLargeArchive(benchmark::State& state) {
    measureMemcpy(state, benchData().large);
}
BENCHMARK(BM_MemcpyLargeArchive)->Unit(benchmark::kMillisecond);

// Times one load per iteration; the model is reset (outside the timing) before each, so every
// parse builds the whole skeleton afresh, as at start-up.
template <typename Load>
void measureLoad(benchmark::State& state, const archive_builder::Bytes& archive,
                 size_t expectedPolygons, Load&& load) {
    Model model;
    size_t allocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        model = Model();
        const size_t before = allocationStats().allocations;
        state.ResumeTiming();
        load(model);
        state.PauseTiming();
        allocations += allocationStats().allocations - before;
        state.ResumeTiming();
    }
    const size_t polygons = loadedPolygons(model);
    if (polygons != expectedPolygons) {
        state.SkipWithError("the load did not build every polygon of the archive");
    }
    const double perLoad =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * archive.size()));
    state.counters["polygons"] = static_cast<double>(polygons);
    state.counters["polygons/s"] = benchmark::Counter(
        static_cast<double>(polygons), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["allocs"] = perLoad;
    state.counters["allocs/polygon"] = polygons ? perLoad / static_cast<double>(polygons) : 0.0;
}

void BM_ParseSkeletonLarge(benchmark::State& state) {
    const BenchData& data = benchData();
    measureLoad(state, data.large, data.largeCounts.polygons,
                [&](Model& model) { loadSkeletonInto(model, data.large); });
}
BENCHMARK(BM_ParseSkeletonLarge)->Unit(benchmark::kMillisecond);

void BM_LoadSkeletonLargeFile(benchmark::State& state) {
    const BenchData& data = benchData();
    measureLoad(state, data.large, data.largeCounts.polygons, [&](Model& model) {
        Result<Document> document = loadDocument(Source::file(data.largePath));
        if (document.ok()) model = std::move(*document->model);
    });
}
BENCHMARK(BM_LoadSkeletonLargeFile)->Unit(benchmark::kMillisecond);

void BM_ParseSkeletonDemo(benchmark::State& state) {
    const BenchData& data = benchData();
    if (data.demo.empty()) {
        state.SkipWithError("the demo model is not built");
        for (auto _ : state) {
        }
        return;
    }
    // The demo's polygon count is whatever its parse builds; measure it once first.
    Model probe;
    loadSkeletonInto(probe, data.demo);
    const size_t polygons = loadedPolygons(probe);
    measureLoad(state, data.demo, polygons,
                [&](Model& model) { loadSkeletonInto(model, data.demo); });
}
BENCHMARK(BM_ParseSkeletonDemo)->Unit(benchmark::kMicrosecond);

void BM_MemcpyDemo(benchmark::State& state) {
    const auto& src = benchData().demo;
    if (src.empty()) {
        state.SkipWithError("the demo model is not built");
        for (auto _ : state) {
        }
        return;
    }
    measureMemcpy(state, src);
}
BENCHMARK(BM_MemcpyDemo)->Unit(benchmark::kMicrosecond);

}  // namespace
