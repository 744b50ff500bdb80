// The print page's costs. Run a release build for figures:
//   bench_printpage --benchmark_filter=Dib
// Debug and sanitizer builds (the ctest smoke run) use smaller pictures.

#include "printpage/TDibImage.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

#ifdef NDEBUG
constexpr int kDibWidth = 6000, kDibHeight = 4000;
#else
constexpr int kDibWidth = 1500, kDibHeight = 1000;
#endif

// A 24-bit bitmap the size of a large camera picture, loaded once.
const vz::TDibImage &largeDib()
{
    static const vz::TDibImage dib = [] {
        const qint64 rowSize = ((qint64(kDibWidth) * 24 + 31) / 32) * 4;
        QByteArray file(14 + 40 + rowSize * kDibHeight, '\0');
        auto put32 = [&](int at, quint32 v) { std::memcpy(file.data() + at, &v, 4); };
        file[0] = 'B';
        file[1] = 'M';
        put32(2, quint32(file.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, kDibWidth);
        put32(22, kDibHeight);
        put32(26, 1 | 24 << 16);
        for (qint64 i = 54; i < file.size(); ++i)
            file[i] = char((i * 2654435761u) >> 24);
        QBuffer buf(&file);
        buf.open(QIODevice::ReadOnly);
        vz::TDibImage d;
        d.LoadFromStream(buf);
        return d;
    }();
    return dib;
}

// 2:1 of the 24-bit picture: the reduction the page makes for a picture at
// least twice the screen's width (goal: 40 ms at 6000 x 4000).
void BM_DibHalve24(benchmark::State &state)
{
    const vz::TDibImage &src = largeDib();
    for (auto _ : state) {
        vz::TDibImage half;
        half.CreateLike(src.Width() / 2, src.Height() / 2, src);
        benchmark::DoNotOptimize(half.StretchFrom(src));
        benchmark::DoNotOptimize(half.block().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.block().size()));
}
BENCHMARK(BM_DibHalve24)->Unit(benchmark::kMillisecond);

// The floor beside it: one memcpy of the source's bytes into a fresh block.
void BM_DibMemcpySameBytes(benchmark::State &state)
{
    const vz::TDibImage &src = largeDib();
    for (auto _ : state) {
        std::vector<uint8_t> copy(src.block().size());
        std::memcpy(copy.data(), src.block().data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.block().size()));
}
BENCHMARK(BM_DibMemcpySameBytes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
