// The colour effects against their baselines, each measured in the same
// iterations so that both see the same machine state:
//   Fall, Summer: PhotoHues plus the effect, against the literal rules (atan2
//     per pixel); counter "vs_literal" = literal time / program time, goal >= 4.
//   Winter: the effect in place, against memcpy of the same bytes; counter
//     "vs_memcpy" = memcpy time / Winter time, goal >= 0.5.
// Times are this thread's CPU time, so that other work on a busy machine
// weighs on neither side of a ratio. Both inputs are random colours: every hue band is well represented, so
// Fall recolours about two pixels in three and Summer about one in four.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include <time.h>

#include "tests/oracles/LiteralEffects.h"
#include "imaging/ColourEffects.h"
#include "bench/ThreadSeconds.h"

namespace quorvel {
namespace {

using bench::ThreadSeconds;

PixelBlock RandomPhoto(std::int32_t width, std::int32_t height) {
    PixelBlock photo = PixelBlock::Make(width, height);
    std::mt19937 engine(12345);
    for (auto& byte : photo.pixels) byte = static_cast<std::uint8_t>(engine());
    return photo;
}

template <typename Fast, typename Literal>
void CompareWithLiteral(benchmark::State& state, Fast fast, Literal slow) {
    const PixelBlock start = RandomPhoto(1024, 768);
    // The hue table is made on first use; that one-time cost is not measured.
    benchmark::DoNotOptimize(PhotoHues(PixelBlock::Make(1, 1)));
    double fastSeconds = 0, literalSeconds = 0;
    for (auto _ : state) {
        PixelBlock a = start, b = start;
        std::srand(1);
        auto t0 = ThreadSeconds();
        slow(a);
        auto t1 = ThreadSeconds();
        std::srand(1);
        fast(b);
        auto t2 = ThreadSeconds();
        benchmark::DoNotOptimize(a.pixels.data());
        benchmark::DoNotOptimize(b.pixels.data());
        if (a.pixels != b.pixels) state.SkipWithError("output differs from the literal rules");
        literalSeconds += t1 - t0;
        double seconds = t2 - t1;
        fastSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["vs_literal"] = literalSeconds / fastSeconds;
    state.counters["Mpixels_per_s"] =
        benchmark::Counter(static_cast<double>(start.width) * start.height * state.iterations() / 1e6 / fastSeconds);
}

void Fall(benchmark::State& state) {
    CompareWithLiteral(
        state, [](PixelBlock& p) { FallEffect(p, PhotoHues(p)); },
        [](PixelBlock& p) { literal::FallEffect(p, literal::PhotoHues(p)); });
}

void Summer(benchmark::State& state) {
    CompareWithLiteral(
        state, [](PixelBlock& p) { SummerEffect(p, PhotoHues(p)); },
        [](PixelBlock& p) { literal::SummerEffect(p, literal::PhotoHues(p)); });
}

void Winter(benchmark::State& state) {
    // A 12-megapixel photo, larger than the caches of most machines.
    const PixelBlock start = RandomPhoto(4000, 3000);
    PixelBlock work = start;
    double copySeconds = 0, winterSeconds = 0;
    for (auto _ : state) {
        // The copy is both the baseline and the reset of the input.
        auto t0 = ThreadSeconds();
        std::memcpy(work.pixels.data(), start.pixels.data(), start.Bytes());
        benchmark::ClobberMemory();
        auto t1 = ThreadSeconds();
        WinterEffect(work);
        benchmark::ClobberMemory();
        auto t2 = ThreadSeconds();
        copySeconds += t1 - t0;
        double seconds = t2 - t1;
        winterSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(start.Bytes()) * state.iterations());
    state.counters["vs_memcpy"] = copySeconds / winterSeconds;
}

BENCHMARK(Fall)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Summer)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Winter)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel

BENCHMARK_MAIN();
