// Reading a photo's cache BMP against reading the same file's raw bytes: the
// checks and the bottom-up row order should cost little beyond the file
// read itself, since the display takes every photo from its cache copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/BitmapCache.h"

using namespace quorvel;

namespace {

// One cache file of a full-HD photo, written once per run.
const std::string& CacheFile() {
    static const std::string path = [] {
        PixelBlock photo = PixelBlock::Make(1920, 1080);
        for (std::size_t i = 0; i < photo.pixels.size(); ++i) photo.pixels[i] = static_cast<std::uint8_t>(i * 7);
        std::vector<std::uint8_t> file;
        if (EncodeCacheBitmap(photo, &file) != kOk) std::abort();
        const std::string name = "/tmp/quorvel_cache_bench.BMP";
        std::FILE* out = std::fopen(name.c_str(), "wb");
        if (out == nullptr) std::abort();
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
        return name;
    }();
    return path;
}

void RawFileBytes(benchmark::State& state) {
    const std::string& path = CacheFile();
    for (auto _ : state) {
        StdioByteSource source(path.c_str());
        std::vector<std::uint8_t> bytes(source.Size());
        if (!source.ReadAt(0, bytes.data(), bytes.size())) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * (1920 * 1080 * 3 + kCacheHeaderBytes));
}
BENCHMARK(RawFileBytes)->Unit(benchmark::kMillisecond);

void CachePixels(benchmark::State& state) {
    const std::string& path = CacheFile();
    for (auto _ : state) {
        StdioByteSource source(path.c_str());
        CacheBitmapInfo info;
        PixelBlock block;
        if (ReadCacheBitmap(source, &info, &block) != kOk) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(block.pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * (1920 * 1080 * 3 + kCacheHeaderBytes));
}
BENCHMARK(CachePixels)->Unit(benchmark::kMillisecond);

void CacheSizesOnly(benchmark::State& state) {
    const std::string& path = CacheFile();
    for (auto _ : state) {
        StdioByteSource source(path.c_str());
        CacheBitmapInfo info;
        if (ReadCacheBitmap(source, &info, nullptr) != kOk) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(info.width);
    }
}
BENCHMARK(CacheSizesOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
