// Loading one clip-art category of 10,000 records in 100 catalog files into
// the table and sorting it (page cache warm), with the heap the table holds
// against the catalog bytes.

#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr int kFiles = 100;
constexpr int kPerFile = 100;

struct Category
{
    QTemporaryDir dir;
    qint64 bytes = 0;

    Category()
    {
        QRandomGenerator rng(42);
        QImage thumb(55, 55, QImage::Format_RGB32);
        for (int f = 0; f < kFiles; ++f) {
            vz::ThumbnailDataClip t;
            for (int r = 0; r < kPerFile; ++r) {
                thumb.fill(rng.generate());
                const QString file = QStringLiteral("Clip_%1_%2.wmf").arg(rng.bounded(100000)).arg(f * kPerFile + r);
                t.appendThumbnail(QStringLiteral("Clip picture %1").arg(r), file, vz::bmp24Bytes(thumb),
                                  QStringLiteral("Set%1").arg(f), QStringLiteral("clip\r\npicture\r\nword%1").arg(r));
            }
            // Half a category per folder level, as sets nest.
            const QString folder = dir.path() + (f % 2 ? QStringLiteral("/sub%1/").arg(f) : QStringLiteral("/"));
            QDir().mkpath(folder);
            const QByteArray bytes = t.saveToBytes();
            QFile out(folder + QStringLiteral("c%1.catalog").arg(f));
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
            this->bytes += bytes.size();
        }
    }
};

size_t heapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}

void BM_LoadAndSortCategory(benchmark::State &state)
{
    static Category category;
    const QString folder = category.dir.path();
    double held = 0;
    for (auto _ : state) {
        const size_t before = heapInUse();
        vz::ThumbnailDataClip table;
        vz::LoadClipartCatalogs(table, folder);
        benchmark::DoNotOptimize(table.count()); // builds the sorted view
        benchmark::DoNotOptimize(table.fileName(0));
        held = double(heapInUse() - before);
        if (table.count() != kFiles * kPerFile)
            state.SkipWithError("records lost");
    }
    state.counters["records"] = kFiles * kPerFile;
    state.counters["catalog_MB"] = double(category.bytes) / 1e6;
    state.counters["heap_per_catalog_byte"] = held / double(category.bytes);
}
BENCHMARK(BM_LoadAndSortCategory)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
