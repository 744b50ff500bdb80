// The letter thumbnail maker in process: decoding a 4-megapixel JPEG and
// resampling it to 55 x 55, and the resampler alone. Set VZ_BENCH_IMAGES to a
// folder of JPEGs to time those (bench/compare_thumbnail.sh does).

#include "imagesets/LetterThumbnail.h"
#include "imaging/FastImage.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QStringList benchImages()
{
    static QStringList files;
    static QTemporaryDir temp;
    if (!files.isEmpty())
        return files;
    const QString dir = qEnvironmentVariable("VZ_BENCH_IMAGES");
    if (!dir.isEmpty()) {
        for (const QString &n : QDir(dir).entryList({QStringLiteral("*.jpg")}, QDir::Files))
            files << dir + QLatin1Char('/') + n;
    }
    if (files.isEmpty()) {
        // A photo-like 2448 x 1632 picture: gradients and shapes.
        QImage img(2448, 1632, QImage::Format_RGB32);
        QPainter p(&img);
        QLinearGradient g(0, 0, 2448, 1632);
        g.setColorAt(0, Qt::darkBlue);
        g.setColorAt(1, Qt::yellow);
        p.fillRect(img.rect(), g);
        for (int i = 0; i < 200; ++i) {
            p.setBrush(QColor::fromHsv((i * 37) % 360, 200, 220));
            p.drawEllipse(QPoint((i * 131) % 2448, (i * 71) % 1632), 40 + i % 90, 30 + i % 70);
        }
        p.end();
        const QString path = temp.path() + QStringLiteral("/photo.jpg");
        img.save(path, "JPG", 90);
        files << path;
    }
    return files;
}

void BM_MakeLetterThumbnail(benchmark::State &state)
{
    const QStringList files = benchImages();
    qsizetype i = 0;
    for (auto _ : state) {
        const QImage t = vz::MakeLetterThumbnail(files[i++ % files.size()]);
        benchmark::DoNotOptimize(t.constBits());
    }
    state.counters["images_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MakeLetterThumbnail)->Unit(benchmark::kMillisecond);

void BM_ResampleOnly(benchmark::State &state)
{
    const vz::FastBmp src = vz::FastBmp::fromImage(vz::thumbnailSourceImage(benchImages().first()));
    const QSize size = vz::letterThumbnailSize(src.width(), src.height());
    for (auto _ : state) {
        const vz::FastBmp out = vz::Resample(src, size.width(), size.height());
        benchmark::DoNotOptimize(out.scanLine(0));
    }
}
BENCHMARK(BM_ResampleOnly)->Unit(benchmark::kMillisecond);

void BM_DecodeOnly(benchmark::State &state)
{
    const QString file = benchImages().first();
    for (auto _ : state) {
        const QImage img = vz::thumbnailSourceImage(file);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
