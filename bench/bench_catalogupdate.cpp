// The catalog update: rebuilding one alphabet of 100 letters from
// 1-megapixel photo-like JPEGs with the thread pool at 1 and at 2 threads,
// and the walk over a program tree of 1,000 folders with a catalog each and
// no marker.

#include "imagesets/CatalogUpdate.h"
#include "imagesets/LetterThumbnail.h"
#include "imagesets/ThumbnailTable.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kLetters = 100;

// Smooth colour fields with grain, closer to a scanned letter than a flat fill.
QImage photoLike(int seed)
{
    QImage img(1155, 866, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    const double fx = 0.004 + 0.002 * (seed % 5), fy = 0.003 + 0.002 * (seed % 3);
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int n = int(rng.bounded(24)) - 12;
            const int r = 128 + int(100 * std::sin(x * fx + seed)) + n;
            const int g = 128 + int(100 * std::cos(y * fy)) + n;
            const int b = 128 + int(90 * std::sin((x + y) * 0.002)) + n;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    return img;
}

struct Alphabet
{
    QTemporaryDir dir;
    Alphabet()
    {
        for (int v = 0; v < 10; ++v) {
            QFile f(dir.filePath(QStringLiteral("v%1.jpg").arg(v)));
            photoLike(v).save(&f, "JPG", 85);
        }
        for (int i = 0; i < kLetters; ++i)
            QFile::copy(dir.filePath(QStringLiteral("v%1.jpg").arg(i % 10)),
                        dir.filePath(QStringLiteral("Photo_%1.jpg").arg(i, 3, 10, QLatin1Char('0'))));
        for (int v = 0; v < 10; ++v)
            QFile::remove(dir.filePath(QStringLiteral("v%1.jpg").arg(v)));
    }
};

void BM_RebuildAlphabet(benchmark::State &state)
{
    static Alphabet alphabet;
    QThreadPool *pool = QThreadPool::globalInstance();
    const int before = pool->maxThreadCount();
    pool->setMaxThreadCount(int(state.range(0)));
    vz::ThumbnailData work;
    for (auto _ : state)
        vz::RebuildLetterCatalog(alphabet.dir.path(), work);
    pool->setMaxThreadCount(before);
    state.counters["letters/s"] = benchmark::Counter(double(kLetters), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RebuildAlphabet)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();

struct Tree
{
    QTemporaryDir dir;
    Tree()
    {
        const QByteArray header = vz::ThumbnailData().headerBytes();
        // 10 sets of 10 groups of 10 alphabets: 1,000 folders below "Alphabets".
        for (int i = 0; i < 1000; ++i) {
            const QString folder = dir.filePath(
                QStringLiteral("Alphabets/Set%1/Group%2/Alpha%3/").arg(i / 100).arg(i / 10 % 10).arg(i % 10));
            QDir().mkpath(folder);
            QFile f(folder + QStringLiteral("Images.catalog"));
            f.open(QIODevice::WriteOnly);
            f.write(header);
        }
    }
};

void BM_WalkWithoutMarkers(benchmark::State &state)
{
    static Tree tree;
    vz::ThumbnailData work;
    for (auto _ : state) {
        const vz::CatalogUpdateResult r = vz::runCatalogUpdate(tree.dir.path(), work, {});
        benchmark::DoNotOptimize(r.markers);
    }
}
BENCHMARK(BM_WalkWithoutMarkers)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
