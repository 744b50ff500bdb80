// Drawing metafiles into a 1000 x 1000 image, and reading BMP files.
// The shared sample files are used when present (VZ_TESTDATA_DIR or the
// folder beside the source tree); a generated clip-art stands in otherwise.

#include "imaging/BmpFile.h"
#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

QString sampleDir()
{
    QString d = QString::fromLocal8Bit(qgetenv("VZ_TESTDATA_DIR"));
    if (d.isEmpty())
        d = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../shared/testdata");
    return d + QStringLiteral("/metafiles/");
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// About 30 KB of filled and outlined curves, like a clip-art picture.
QByteArray generatedClipart()
{
    vz::mf::WmfGenerator gen;
    gen.setSize(QSize(400, 400));
    QPainter p(&gen);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 60; ++i) {
        QPainterPath path;
        const double a = i * 0.7;
        path.moveTo(200 + 150 * std::cos(a), 200 + 150 * std::sin(a));
        path.cubicTo(200 + 80 * std::cos(a + 1), 200 + 60 * std::sin(a + 2), 200 + 40 * std::cos(a + 3),
                     200 + 90 * std::sin(a + 1), 200 + 120 * std::cos(a + 2), 200 + 130 * std::sin(a + 3));
        path.closeSubpath();
        p.setBrush(QColor::fromHsv((i * 37) % 360, 200, 230));
        p.setPen(QPen(Qt::black, 1 + i % 3));
        p.drawPath(path);
    }
    p.end();
    return gen.data();
}

// Plain painters draw with hard edges as GDI does; `smooth` asks for
// antialiasing.
void drawInto1000(benchmark::State &state, const QByteArray &bytes, bool smooth = false)
{
    if (bytes.isEmpty()) {
        state.SkipWithError("sample file missing");
        return;
    }
    const vz::Picture pic = vz::Picture::fromBytes(bytes, vz::Picture::Kind::Metafile);
    QImage img(1000, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, smooth);
        pic.draw(p, QRectF(0, 0, 1000, 1000));
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.counters["KB"] = double(bytes.size()) / 1024;
}

void BM_DrawGeneratedClipart(benchmark::State &state)
{
    drawInto1000(state, generatedClipart());
}

void BM_DrawSample(benchmark::State &state, const char *name)
{
    drawInto1000(state, readFile(sampleDir() + QLatin1String(name)));
}

void BM_DrawSampleSmooth(benchmark::State &state, const char *name)
{
    drawInto1000(state, readFile(sampleDir() + QLatin1String(name)), true);
}

void BM_ReadBmp24(benchmark::State &state)
{
    QImage img(1000, 1000, QImage::Format_RGB32);
    img.fill(qRgb(10, 20, 30));
    const QByteArray file = vz::writeBmp24(img);
    for (auto _ : state)
        benchmark::DoNotOptimize(vz::readBmp(file));
}

} // namespace

BENCHMARK(BM_DrawGeneratedClipart)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawSample, cell_30KB, "cell.wmf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawSample, Eg_25KB, "Eg.wmf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawSample, sample_19KB, "sample.wmf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawSample, ant_7KB, "ant.wmf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawSampleSmooth, cell_30KB, "cell.wmf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawSampleSmooth, Eg_25KB, "Eg.wmf")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBmp24)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
