// The Photos panel's thumbnail shrink of one album photo against memcpy of
// the same photo, in the same run (this thread's processor time):
//   shrink_vs_memcpy   ShrinkForThumbnail time / memcpy time of the photo's bytes
// The panel makes one thumbnail a photo when it opens, so this is most of
// its work beside reading the photos.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/ThreadSeconds.h"
#include "photos/PhotoPanelRules.h"

using namespace quorvel;

namespace {

using bench::ThreadSeconds;

// The size of the default album's photos, with every byte different from
// its neighbours so that nothing is cheaper than for a real photo.
void ShrinkAlbumPhoto(benchmark::State& state) {
    PixelBlock photo = PixelBlock::Make(3200, 1200);
    for (std::size_t i = 0; i < photo.pixels.size(); ++i) photo.pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 9600);
    PixelBlock copy = photo;
    double copySeconds = 0, shrinkSeconds = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        std::memcpy(copy.pixels.data(), photo.pixels.data(), photo.Bytes());
        benchmark::ClobberMemory();
        const double t1 = ThreadSeconds();
        const PixelBlock shrunk = ShrinkForThumbnail(photo, 80, 59);
        benchmark::DoNotOptimize(shrunk.pixels.data());
        const double t2 = ThreadSeconds();
        copySeconds += t1 - t0;
        shrinkSeconds += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    state.counters["shrink_vs_memcpy"] = shrinkSeconds / copySeconds;
}
BENCHMARK(ShrinkAlbumPhoto)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
