// The enhancement scan at start: 200 new descriptors, all accepted (each
// pass writes the list with one disk sync, so the folder lives on a RAM file
// system where there is one), and a list of 200 entries with no descriptor.
// Also the clipboards' recovery copy taken before each enhancement call when
// nothing changed since the last one.

#include "clipboards/ToteBags.h"
#include "common/Dialogs.h"
#include "enhancements/ClipboardRecovery.h"
#include "enhancements/EnhancementList.h"
#include "enhancements/EnhancementScan.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCount = 200;

QString ramFolder()
{
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/vz-bench-XXXXXX")
                                                               : QDir::tempPath() + QStringLiteral("/vz-bench-XXXXXX");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray descriptor(int i)
{
    return QStringLiteral("PLUG-IN\r\n3.20.2\r\nlib%1.so\r\nEnhancement %1\r\nCorvanta\r\nRun%1\r\n").arg(i).toUtf8();
}

void BM_ScanNewDescriptors(benchmark::State &state)
{
    QTemporaryDir dir(ramFolder());
    const QString folder = dir.path() + QStringLiteral("/Enhancements/");
    QListWidget list;
    vz::DialogResponder answers; // every question answered Yes
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder + QStringLiteral("Installed"));
        for (int i = 0; i < kCount; ++i)
            writeFile(folder + QStringLiteral("e%1.hmp").arg(i, 3, 10, QLatin1Char('0')), descriptor(i));
        answers.clear();
        state.ResumeTiming();
        vz::ScanEnhancements(folder, &list, nullptr, QStringLiteral("3.20.2"));
        state.PauseTiming();
        if (list.count() != kCount || !QDir(folder + QStringLiteral("Installed")).exists(QStringLiteral("e199.hmp")))
            state.SkipWithError("not all descriptors were installed");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ScanNewDescriptors)->Unit(benchmark::kMillisecond);

void BM_ScanListOnly(benchmark::State &state)
{
    QTemporaryDir dir(ramFolder());
    const QString folder = dir.path() + QStringLiteral("/Enhancements/");
    QDir().mkpath(folder + QStringLiteral("Installed"));
    QStringList entries;
    for (int i = 0; i < kCount; ++i)
        entries << QStringLiteral("lib%1.so=  Enhancement %1=Corvanta=Run%1").arg(i);
    writeFile(folder + vz::kEnhancementListFile, vz::encodeEnhancementList(entries));
    QListWidget list;
    vz::DialogResponder answers;
    for (auto _ : state) {
        vz::ScanEnhancements(folder, &list, nullptr, QStringLiteral("3.20.2"));
        benchmark::DoNotOptimize(list.count());
    }
    if (list.count() != kCount || !answers.requests().isEmpty())
        state.SkipWithError("the list was not read as written");
}
BENCHMARK(BM_ScanListOnly)->Unit(benchmark::kMicrosecond);

// Four full clipboards (1024 x 768 rasters and pictures), saved once; then
// each save finds nothing changed.
void BM_RecoveryUnchanged(benchmark::State &state)
{
    QTemporaryDir dir(ramFolder());
    QImage bitmap(1024, 768, QImage::Format_RGB32);
    for (int n = 1; n <= 4; ++n) {
        bitmap.fill(QColor::fromHsv(n * 60, 200, 200));
        vz::TToteBageImage &bag = vz::toteBag(n);
        bag.RasterHolder.setBitmap(bitmap);
        bag.HasRaster = true;
        bag.SetPicture(vz::Picture::fromImage(bitmap));
    }
    const vz::Picture thumbnail = vz::Picture::fromImage(bitmap);
    vz::ClipboardRecovery recovery(dir.path() + QStringLiteral("/recovery"));
    if (!recovery.save(thumbnail))
        state.SkipWithError("the first copy failed");
    for (auto _ : state)
        benchmark::DoNotOptimize(recovery.save(thumbnail));
}
BENCHMARK(BM_RecoveryUnchanged)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
