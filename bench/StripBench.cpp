// Speed and memory of the photo strip: building it, copying one viewport
// out of it per pan step, and the memory a build needs beside the photos.
// Each figure is reported as a ratio against a baseline measured in the same
// run, so the goals do not depend on the machine:
//   join_vs_memcpy      strip build throughput / memcpy throughput of the same bytes (goal >= 0.7)
//   copy_vs_memcpy      viewport copy time / memcpy time of the viewport's bytes as the frame
//                       holds them, 32 bits a pixel (goal <= 1.2)
//   longest_vs_period   longest tick of an effect rebuild / album 1's 65 ms timer period
//                       (goal <= 1.0); whole_vs_period is the rebuild done in one tick
//   rebuild_peak_vs_strip  extra bytes at the peak of a sliced rebuild / strip bytes
//   peak_vs_strip       extra bytes allocated at the peak of a build / strip bytes
//   peak_goal_vs_strip  (strip + largest photo) x 1.1 / strip bytes: the peak must stay below it
//   step_*_vs_goal      the album step's peak (cache read, join) / (strip + largest photo) x 1.1 (goal <= 1)
// Memory is counted by replacing the global operator new and delete of this
// program: every block's usable size is added on allocation and taken off on
// release, and the high-water mark of the live total is kept.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

#include "imaging/BitmapCache.h"
#include "strip/Strip.h"
#include "strip/StripRebuild.h"
#include "bench/ThreadSeconds.h"

namespace {

std::atomic<std::size_t> gLiveBytes{0};
std::atomic<std::size_t> gPeakBytes{0};

void CountAllocation(void* block) {
    const std::size_t live = gLiveBytes.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    std::size_t peak = gPeakBytes.load();
    while (live > peak && !gPeakBytes.compare_exchange_weak(peak, live)) {
    }
}

void* CountedNew(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) throw std::bad_alloc();
    CountAllocation(block);
    return block;
}

void CountedDelete(void* block) noexcept {
    if (block == nullptr) return;
    gLiveBytes.fetch_sub(malloc_usable_size(block));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t bytes) { return CountedNew(bytes); }
void* operator new[](std::size_t bytes) { return CountedNew(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return CountedNew(bytes);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return CountedNew(bytes);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept { CountedDelete(block); }
void operator delete[](void* block) noexcept { CountedDelete(block); }
void operator delete(void* block, std::size_t) noexcept { CountedDelete(block); }
void operator delete[](void* block, std::size_t) noexcept { CountedDelete(block); }

namespace {

using quorvel::PhotoPixelsAfterJoin;
using quorvel::PhotoRecord;
using quorvel::PixelBlock;
using quorvel::Status;

using Clock = std::chrono::steady_clock;

std::vector<PhotoRecord> MakePhotos(int count, int width, int height) {
    std::vector<PhotoRecord> photos(count);
    std::uint32_t seed = 12345;
    for (PhotoRecord& photo : photos) {
        photo.block = PixelBlock::Make(width, height);
        for (std::uint8_t& byte : photo.block.pixels) {
            seed = seed * 1664525u + 1013904223u;
            byte = static_cast<std::uint8_t>(seed >> 24);
        }
    }
    return photos;
}

using quorvel::bench::ThreadSeconds;

// The baseline copies every photo's bytes once, in one piece each, into one
// destination: the plain cost of moving the strip's bytes. A first build
// gets new memory for its strip, so its baseline copies into new memory too
// (left uninitialised, as memcpy needs no zeroing); a rebuild writes over a
// strip of the same size, so its baseline copies into a kept destination.
double MemcpyPhotosSeconds(const std::vector<PhotoRecord>& photos, std::size_t bytes, std::vector<std::uint8_t>& kept,
                           bool fresh) {
    const auto start = Clock::now();
    std::uint8_t* destination = fresh ? new std::uint8_t[bytes] : kept.data();
    std::size_t offset = 0;
    for (const PhotoRecord& photo : photos) {
        std::memcpy(destination + offset, photo.block.pixels.data(), photo.block.pixels.size());
        offset += photo.block.pixels.size();
    }
    benchmark::DoNotOptimize(destination);
    benchmark::ClobberMemory();
    if (fresh) delete[] destination;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Baseline and join run in turn in every iteration, so a busy machine slows
// both alike.
void BM_JoinStrip(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const int mode = static_cast<int>(state.range(1));
    const bool fresh = state.range(2) != 0;
    std::vector<PhotoRecord> photos = MakePhotos(count, 1920, 1080);
    std::size_t bytes = 0;
    for (const PhotoRecord& photo : photos) bytes += photo.block.pixels.size();
    std::vector<std::uint8_t> kept(bytes, 1);

    PixelBlock strip;
    if (!fresh && quorvel::JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, strip) != quorvel::kOk)
        state.SkipWithError("join failed");
    double joinTotal = 0;
    double memcpyTotal = 0;
    for (auto _ : state) {
        memcpyTotal += MemcpyPhotosSeconds(photos, bytes, kept, fresh);
        if (fresh) strip.Release();
        const auto start = Clock::now();
        if (quorvel::JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, strip) != quorvel::kOk)
            state.SkipWithError("join failed");
        benchmark::DoNotOptimize(strip.pixels.data());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        joinTotal += seconds;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["join_vs_memcpy"] = memcpyTotal / joinTotal;
}
BENCHMARK(BM_JoinStrip)
    ->ArgsProduct({{8, 20}, {quorvel::kStitchNone, quorvel::kStitchBlur, quorvel::kStitchCollage}, {1, 0}})
    ->ArgNames({"photos", "mode", "fresh"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One pan step copies o - 1 rows of an l x o viewport out of the strip into
// the frame's 32-bit bitmap. The baseline is the least such a step could
// cost: memcpy of the same rows, as many bytes as the frame holds (32 bits a
// pixel), out of a strip that already held 32-bit pixels.
void BM_ViewportCopy(benchmark::State& state) {
    const int l = static_cast<int>(state.range(0));
    const int o = static_cast<int>(state.range(1));
    std::vector<PhotoRecord> photos = MakePhotos(3, 1920, 1080);
    PixelBlock strip;
    if (quorvel::JoinPhotos(photos, quorvel::kStitchNone, 0, PhotoPixelsAfterJoin::kRelease, strip) != quorvel::kOk) {
        state.SkipWithError("join failed");
        return;
    }
    constexpr int kBand = quorvel::kBandWidth;
    const int frameRowBytes = (l + 2 * kBand) * 4;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(frameRowBytes) * (o + 2 * kBand), 0);
    const quorvel::FramePixels viewport{frame.data() + kBand * frameRowBytes + kBand * 4, l, o, frameRowBytes};
    const std::size_t rowBytes = static_cast<std::size_t>(l) * 4;
    const std::size_t stripRowBytes = static_cast<std::size_t>(strip.width) * 4;
    std::vector<std::uint8_t> wideStrip(stripRowBytes * strip.height, 3);

    // The pan walks the strip's edge; start from its middle and move right
    // one pixel per step as the window does. Baseline and copy run in turn.
    constexpr int kSteps = 64;
    int left = (strip.width - l) / 2;
    const int top = (strip.height - o) / 2;
    double copyTotal = 0;
    double memcpyTotal = 0;
    std::int64_t steps = 0;
    for (auto _ : state) {
        double start = ThreadSeconds();
        for (int i = 0, from = left; i < kSteps; ++i) {
            for (int y = 0; y < o - 1; ++y)
                std::memcpy(viewport.Row(y), wideStrip.data() + (top + y) * stripRowBytes + from * 4, rowBytes);
            benchmark::ClobberMemory();
            from = from + 1 + l <= strip.width ? from + 1 : 0;
        }
        memcpyTotal += ThreadSeconds() - start;
        start = ThreadSeconds();
        for (int i = 0; i < kSteps; ++i) {
            if (quorvel::CopyStripWindow(strip, left, top, o - 1, viewport) != quorvel::kOk) {
                state.SkipWithError("copy failed");
                break;
            }
            benchmark::ClobberMemory();
            left = left + 1 + l <= strip.width ? left + 1 : 0;
        }
        const double seconds = ThreadSeconds() - start;
        state.SetIterationTime(seconds / kSteps);
        copyTotal += seconds;
        steps += kSteps;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(steps * rowBytes * (o - 1)) / kSteps);
    state.counters["copy_vs_memcpy"] = copyTotal / memcpyTotal;
}
BENCHMARK(BM_ViewportCopy)
    ->Args({1720, 879})
    ->Args({1000, 800})
    ->ArgNames({"l", "o"})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Extra memory of one build of a 70-photo strip beside the photos already
// decoded, with and without a playback effect (bit 2 Fall, bit 1 Winter).
void BM_JoinPeakMemory(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    const int effect = static_cast<int>(state.range(1));
    std::vector<PhotoRecord> photos = MakePhotos(70, 960, 540);
    double peakRatio = 0;
    double goalRatio = 0;
    for (auto _ : state) {
        PixelBlock strip;
        const std::size_t before = gLiveBytes.load();
        gPeakBytes.store(before);
        if (quorvel::JoinPhotos(photos, mode, effect, PhotoPixelsAfterJoin::kKeep, strip) != quorvel::kOk) {
            state.SkipWithError("join failed");
            break;
        }
        const double stripBytes = static_cast<double>(strip.Bytes());
        std::size_t largest = 0;
        for (const PhotoRecord& photo : photos) largest = std::max(largest, photo.block.Bytes());
        peakRatio = static_cast<double>(gPeakBytes.load() - before) / stripBytes;
        goalRatio = (stripBytes + static_cast<double>(largest)) * 1.1 / stripBytes;
    }
    state.counters["peak_vs_strip"] = peakRatio;
    state.counters["peak_goal_vs_strip"] = goalRatio;
}
BENCHMARK(BM_JoinPeakMemory)
    ->ArgsProduct({{quorvel::kStitchNone, quorvel::kStitchBlur, quorvel::kStitchCollage}, {0, 1, 2}})
    ->ArgNames({"mode", "effect"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The album step's pixel memory at its peak for the album shown (album 2
// not in use holds nothing), against album 1's strip + its largest photo +
// 10 %: 70 photos of 960 x 540 whose cache files are read either into
// photo blocks that are all held while the strip is joined (step_held, the
// way before) or straight into the strip (step_in_place, the way now).
// The cache files' bytes stand in for the files on disk and are not counted.
void BM_AlbumStepPeakMemory(benchmark::State& state) {
    const bool inPlace = state.range(0) != 0;
    std::vector<PhotoRecord> photos = MakePhotos(70, 960, 540);
    std::vector<std::vector<std::uint8_t>> files(photos.size());
    for (std::size_t i = 0; i < photos.size(); ++i) {
        if (quorvel::EncodeCacheBitmap(photos[i].block, &files[i]) != quorvel::kOk)
            return state.SkipWithError("encode");
        photos[i].block.DropPixels();
    }
    double ratio = 0;
    for (auto _ : state) {
        PixelBlock strip;
        std::size_t largest = 0;
        const std::size_t before = gLiveBytes.load();
        gPeakBytes.store(before);
        Status s = quorvel::kOk;
        if (inPlace) {
            s = quorvel::JoinPhotosInPlace(
                photos, quorvel::kStitchBlur,
                [&](std::size_t i, PixelBlock& into, std::size_t x, std::int32_t top) {
                    quorvel::MemoryByteSource source(files[i]);
                    quorvel::CacheBitmapInfo info;
                    if (Status r = quorvel::ReadCacheBitmap(source, &info, nullptr); r != quorvel::kOk) return r;
                    return quorvel::ReadCacheRowsInto(source, info, into, x, top);
                },
                strip);
        } else {
            std::vector<PhotoRecord> held(photos.size());
            for (std::size_t i = 0; i < photos.size() && s == quorvel::kOk; ++i) {
                quorvel::MemoryByteSource source(files[i]);
                quorvel::CacheBitmapInfo info;
                s = quorvel::ReadCacheBitmap(source, &info, &held[i].block);
            }
            if (s == quorvel::kOk)
                s = quorvel::JoinPhotos(held, quorvel::kStitchBlur, 0, PhotoPixelsAfterJoin::kRelease, strip);
        }
        if (s != quorvel::kOk) return state.SkipWithError("join failed");
        for (const PhotoRecord& photo : photos)
            largest = std::max(largest, static_cast<std::size_t>(photo.block.width) * 3 * photo.block.height);
        const double goal = (static_cast<double>(strip.Bytes()) + static_cast<double>(largest)) * 1.1;
        ratio = static_cast<double>(gPeakBytes.load() - before) / goal;
    }
    state.counters[inPlace ? "step_in_place_vs_goal" : "step_held_vs_goal"] = ratio;
}
BENCHMARK(BM_AlbumStepPeakMemory)->Arg(0)->Arg(1)->ArgName("in_place")->Iterations(1)->Unit(benchmark::kMillisecond);

// The longest tick of a playback-effect rebuild of a 70-photo album, the
// frame gliding one column per tick over a 1720-pixel viewport in the strip's
// middle, against album 1's 65 ms timer period; and, for comparison in the
// same run, the whole rebuild in one tick as JoinPhotos does it.
void BM_EffectRebuildLongestTick(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    const int effect = static_cast<int>(state.range(1));
    constexpr double kPeriodSeconds = 0.065;
    constexpr int kViewportWidth = 1720;
    std::vector<PhotoRecord> photos = MakePhotos(70, 960, 540);
    PixelBlock strip;
    if (quorvel::JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, strip) != quorvel::kOk) {
        state.SkipWithError("join failed");
        return;
    }
    double longest = 0;
    double whole = 0;
    double peak = 0;
    std::int64_t ticks = 0;
    for (auto _ : state) {
        double start = ThreadSeconds();
        if (quorvel::JoinPhotos(photos, mode, effect, PhotoPixelsAfterJoin::kKeep, strip) != quorvel::kOk)
            state.SkipWithError("join failed");
        whole = std::max(whole, ThreadSeconds() - start);

        const std::size_t before = gLiveBytes.load();
        gPeakBytes.store(before);
        quorvel::StripRebuildState rebuild;
        if (quorvel::BeginStripRebuild(photos, mode, strip, effect, rebuild) != quorvel::kOk)
            state.SkipWithError("rebuild refused");
        quorvel::ColumnSpan shown{strip.width / 2 - kViewportWidth / 2, strip.width / 2 + kViewportWidth / 2 - 1};
        while (rebuild.Running()) {
            start = ThreadSeconds();
            if (quorvel::ContinueStripRebuild(photos, mode, strip, rebuild, quorvel::kRebuildSlicePixels, shown) !=
                quorvel::kOk) {
                state.SkipWithError("rebuild failed");
                break;
            }
            longest = std::max(longest, ThreadSeconds() - start);
            ++shown.first;
            ++shown.last;
            ++ticks;
        }
        state.SetIterationTime(longest);
        peak = static_cast<double>(gPeakBytes.load() - before) / static_cast<double>(strip.Bytes());
    }
    state.counters["longest_vs_period"] = longest / kPeriodSeconds;
    state.counters["rebuild_peak_vs_strip"] = peak;
    state.counters["whole_vs_period"] = whole / kPeriodSeconds;
    state.counters["ticks"] = static_cast<double>(ticks) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_EffectRebuildLongestTick)
    ->ArgsProduct({{quorvel::kStitchNone, quorvel::kStitchBlur, quorvel::kStitchCollage}, {2, 1}})
    ->ArgNames({"mode", "effect"})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
