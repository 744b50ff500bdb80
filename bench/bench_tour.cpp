// Loading a quick tour: a 50-step ".tor" with a picture on every step, read
// into the tour table (goal: 10 ms or less), and the same with every step's
// picture decoded as the tour window would on its way through.
#include "imagesets/MemTable.h"
#include "shell/TourScript.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

using namespace vz;

namespace {

QByteArray fiftyStepTour()
{
    QImage img(141, 94, QImage::Format_RGB888);
    img.fill(QColor(0x01, 0x48, 0xB2));
    QByteArray bmp;
    QBuffer buf(&bmp);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");

    MemTable t(TourScript().table().fields());
    const QString text(480, QLatin1Char('x'));
    for (int i = 0; i < 50; ++i) {
        const int r = t.appendRecord();
        t.setText(r, t.fieldIndex("TourTitle"), QStringLiteral("Step %1").arg(i + 1));
        t.setText(r, t.fieldIndex("TourText"), text);
        t.setText(r, t.fieldIndex("TourMethod"), QStringLiteral("Press a button"));
        // No 32 (back to the start): the walk below must reach the end.
        t.setInteger(r, t.fieldIndex("TourMethodint"), 1 + i % 28);
        t.setInteger(r, t.fieldIndex("TourMethodint2"), 0);
        t.setInteger(r, t.fieldIndex("TourMethodint3"), 0);
        t.setText(r, t.fieldIndex("TourMeathodText"), QStringLiteral("Hello"));
        t.setBlob(r, t.fieldIndex("TourImage"), bmp);
    }
    return t.saveToBytes();
}

void BM_LoadTour50(benchmark::State &state)
{
    const QByteArray bytes = fiftyStepTour();
    for (auto _ : state) {
        TourScript tour;
        tour.loadFromBytes(bytes);
        benchmark::DoNotOptimize(tour.stepCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_LoadTour50)->Unit(benchmark::kMillisecond);

void BM_LoadTour50WithPictures(benchmark::State &state)
{
    const QByteArray bytes = fiftyStepTour();
    struct Nothing : TourActions
    {
        void perform(int, const QString &) override {}
        void missTyped(int) override {}
    } nothing;
    for (auto _ : state) {
        TourScript tour;
        tour.loadFromBytes(bytes);
        do
            benchmark::DoNotOptimize(tour.image().kind());
        while (tour.next(nothing));
    }
}
BENCHMARK(BM_LoadTour50WithPictures)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
