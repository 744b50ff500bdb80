// The raster effects on a 4000 x 3000 picture, one core. Run a release build:
//   bench_effects --benchmark_filter=BGR888
// BGR888 is how 24-bit files are read. Where the processor has AVX2, the
// "/SSE2" runs show the same effects with the wide vectors switched off.
// Each iteration starts from a fresh copy of the picture; the copy is not timed.
// Debug and sanitizer builds (the ctest smoke run) use a 1000 x 750 picture.

#include "imaging/RasterEffects.h"

#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <utility>

namespace {

// Smooth colour fields with edges and a little sensor noise: neither flat nor
// pure noise, so the per-pixel work and the median's histograms see what a
// photograph gives them.
QImage makePicture(QImage::Format format)
{
#ifdef NDEBUG
    const int w = 4000, h = 3000;
#else
    const int w = 1000, h = 750;
#endif
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < h; ++y) {
        auto *p = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            const bool disc = (u - 0.6) * (u - 0.6) + (v - 0.4) * (v - 0.4) < 0.05;
            int r = int(128 + 100 * std::sin(7 * u + 3 * v));
            int g = disc ? 200 : int(128 + 90 * std::cos(5 * v - 2 * u));
            int b = int(255 * u * v);
            const int n = int(rng.bounded(17)) - 8;
            p[x] = qRgb(qBound(0, r + n, 255), qBound(0, g + n, 255), qBound(0, b + n, 255));
        }
    }
    return img.convertToFormat(format);
}

const QImage &picture(QImage::Format format)
{
    static const QImage rgb32 = makePicture(QImage::Format_RGB32);
    static const QImage rgb888 = rgb32.convertToFormat(QImage::Format_RGB888);
    static const QImage bgr888 = rgb32.convertToFormat(QImage::Format_BGR888);
    return format == QImage::Format_RGB888 ? rgb888 : format == QImage::Format_BGR888 ? bgr888 : rgb32;
}

void runEffect(benchmark::State &state, vz::Effect effect, int value, QImage::Format format, bool wide)
{
    vz::setWideSimdEnabled(wide);
    const QImage &base = picture(format);
    QImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work = base.copy();
        state.ResumeTiming();
        vz::applyEffect(work, effect, value);
        benchmark::DoNotOptimize(work.constBits());
    }
    state.SetItemsProcessed(state.iterations() * base.width() * base.height());
    vz::setWideSimdEnabled(true);
}

void registerAll()
{
    struct Case
    {
        const char *name;
        vz::Effect effect;
        int value;
    };
    const Case cases[] = {
        {"Intensity/300", vz::Effect::Intensity, 300}, {"Contrast/300", vz::Effect::Contrast, 300},
        {"Hue/90", vz::Effect::Hue, 90},               {"Saturation/500", vz::Effect::Saturation, 500},
        {"Sharpen/500", vz::Effect::Sharpen, 500},     {"Sharpen/-500", vz::Effect::Sharpen, -500},
        {"Median/5", vz::Effect::Median, 5},           {"Median/20", vz::Effect::Median, 20},
        {"Flip", vz::Effect::Flip, 0},                 {"Reverse", vz::Effect::Reverse, 0},
    };
    const std::pair<QImage::Format, const char *> formats[] = {
        {QImage::Format_RGB32, "/RGB32"}, {QImage::Format_RGB888, "/RGB888"}, {QImage::Format_BGR888, "/BGR888"}};
    for (const auto &entry : formats) {
        const QImage::Format format = entry.first;
        const char *suffix = entry.second;
        for (const Case &c : cases) {
            for (const bool wide : {true, false}) {
                const bool usesWide = c.effect == vz::Effect::Hue || c.effect == vz::Effect::Saturation
                    || (c.effect == vz::Effect::Reverse && format != QImage::Format_RGB32);
                if (!wide && !(usesWide && vz::wideSimdAvailable()))
                    continue;
                const std::string name = std::string("BM_") + c.name + suffix + (wide ? "" : "/SSE2");
                benchmark::RegisterBenchmark(name.c_str(), [c, format, wide](benchmark::State &s) {
                    runEffect(s, c.effect, c.value, format, wide);
                })->Unit(benchmark::kMillisecond);
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
