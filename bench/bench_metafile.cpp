// Drawing metafiles into a 1000 x 1000 image, and reading BMP files.
// The shared sample files are used when present (VZ_TESTDATA_DIR or the
// folder beside the source tree); a generated clip-art stands in otherwise.

#include "imaging/BmpFile.h"
#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"

#include "../tests/metafile/emfplusbuilder.h"

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

// An EMF+-only drawing of about 200 KB as office programs write them: mostly
// straight polygons and rectangles, filled and outlined, some curved shapes,
// a few gradients and strings. The antialiasing mode is left to the painter,
// so the hard and smooth runs measure what their names say.
QByteArray generatedEmfPlus()
{
    using vztest::Bytes;
    vztest::EmfPlusBuilder b(false, 96);
    b.object(10, vztest::EmfPlusBuilder::Font, vztest::ep::font(9));
    b.object(3, vztest::EmfPlusBuilder::Pen, vztest::ep::pen(1, 0xFF000000));
    b.object(4, vztest::EmfPlusBuilder::Pen, vztest::ep::pen(1.5, 0xFF203040));
    for (int i = 0; b.size() < 200 * 1024; ++i) {
        const double a = i * 0.37;
        const QPointF c(12 + (i * 37) % 168, 12 + (i * 61 / 7) % 168);
        const double r = 6 + i % 9;
        const quint32 colour = QColor::fromHsv((i * 37) % 360, 200, 230, 220).rgba();
        const quint32 penId = 3 + quint32(i % 2);
        const int kind = i % 10;
        if (kind < 4) {
            // A polygon of 4 to 12 corners, filled then outlined.
            const int corners = 4 + i % 9;
            Bytes pts;
            for (int k = 0; k < corners; ++k) {
                const double t = a + k * 2 * M_PI / corners;
                pts.point(c + QPointF(r * std::cos(t), r * 0.8 * std::sin(t)));
            }
            b.plus(0x400C, 0x8000, Bytes().u32(colour).u32(quint32(corners)).raw(pts)); // FillPolygon
            b.plus(0x400D, 0x2000 | penId, Bytes().u32(quint32(corners)).raw(pts));      // DrawLines, closed
        } else if (kind < 8) {
            // A few boxes, as tables, frames and bar charts are drawn.
            const int count = 1 + i % 4;
            Bytes rects;
            for (int k = 0; k < count; ++k)
                rects.rect(QRectF(c.x() + k * r * 0.6, c.y() - r * 0.5 * k, r * 0.5, r * (0.4 + 0.2 * k)));
            if (kind == 4) {
                b.object(2, vztest::EmfPlusBuilder::Brush,
                         vztest::ep::linearBrush({c.x() - r, c.y() - r, 2 * r, 2 * r}, 0xFFFF8000, 0x800040FF, 0));
                b.plus(0x400A, 0, Bytes().u32(2).u32(quint32(count)).raw(rects)); // FillRects
            } else {
                b.plus(0x400A, 0x8000, Bytes().u32(colour).u32(quint32(count)).raw(rects));
            }
            b.plus(0x400B, penId, Bytes().u32(quint32(count)).raw(rects)); // DrawRects
        } else {
            // A curved outline of 8 Bezier segments.
            std::vector<QPointF> pts;
            std::vector<quint8> types;
            pts.push_back(c + QPointF(r * std::cos(a), r * std::sin(a)));
            types.push_back(0);
            for (int k = 1; k <= 24; ++k) {
                const double t = a + k * 2 * M_PI / 24;
                const double rr = r * (0.8 + 0.2 * std::sin(k * 0.9 + i));
                pts.push_back(c + QPointF(rr * std::cos(t), rr * std::sin(t)));
                types.push_back(3);
            }
            types.back() |= 0x80;
            b.object(1, vztest::EmfPlusBuilder::Path, vztest::ep::path(pts, types));
            b.plus(0x4014, 0x8000 | 1, Bytes().u32(colour)); // FillPath
            b.plus(0x4015, 1, Bytes().u32(penId));          // DrawPath
        }
        if (i % 25 == 0) {
            const QString text = QStringLiteral("Label %1 of the drawing").arg(i);
            b.plus(0x401C, 0x8000 | 10,
                   Bytes().u32(0xFF000000).u32(0xFF).u32(quint32(text.size())).rect({c.x(), c.y(), 60, 14}).utf16(text).pad4());
        }
        if (i % 8 == 7)
            b.flush();
    }
    return b.build();
}

// The hard case: about 200 KB of nothing but antialiased curved shapes
// (each of 20 Bezier segments), a few gradients and strings.
QByteArray generatedEmfPlusCurves()
{
    using vztest::Bytes;
    vztest::EmfPlusBuilder b(false, 96);
    b.plus(0x401E, 1); // antialiasing on
    b.object(10, vztest::EmfPlusBuilder::Font, vztest::ep::font(9));
    for (int i = 0; b.size() < 200 * 1024; ++i) {
        const double a = i * 0.37;
        const QPointF c(12 + (i * 37) % 168, 12 + (i * 61 / 7) % 168);
        const double r = 6 + i % 9;
        std::vector<QPointF> pts;
        std::vector<quint8> types;
        pts.push_back(c + QPointF(r * std::cos(a), r * std::sin(a)));
        types.push_back(0);
        for (int k = 1; k <= 60; ++k) {
            const double t = a + k * 2 * M_PI / 60;
            const double rr = r * (0.8 + 0.2 * std::sin(k * 0.9 + i));
            pts.push_back(c + QPointF(rr * std::cos(t), rr * std::sin(t)));
            types.push_back(3);
        }
        types.back() |= 0x80;
        b.object(1, vztest::EmfPlusBuilder::Path, vztest::ep::path(pts, types));
        if (i % 10 == 0)
            b.object(2, vztest::EmfPlusBuilder::Brush, vztest::ep::linearBrush({c.x() - r, c.y() - r, 2 * r, 2 * r}, 0xFFFF8000, 0x800040FF, 0));
        else
            b.object(2, vztest::EmfPlusBuilder::Brush,
                     vztest::ep::solidBrush(QColor::fromHsv((i * 37) % 360, 200, 230, 220).rgba()));
        b.object(3, vztest::EmfPlusBuilder::Pen, vztest::ep::pen(float(0.5 + (i % 3) * 0.5), 0xFF000000));
        b.plus(0x4014, 1, Bytes().u32(2)); // FillPath
        b.plus(0x4015, 1, Bytes().u32(3)); // DrawPath
        if (i % 25 == 0) {
            const QString text = QStringLiteral("Label %1 of the drawing").arg(i);
            b.plus(0x401C, 0x8000 | 10,
                   Bytes().u32(0xFF000000).u32(0xFF).u32(quint32(text.size())).rect({c.x(), c.y(), 60, 14}).utf16(text).pad4());
        }
        if (i % 8 == 7)
            b.flush();
    }
    return b.build();
}

void BM_DrawEmfPlus(benchmark::State &state)
{
    drawInto1000(state, generatedEmfPlus());
}

void BM_DrawEmfPlusCurves(benchmark::State &state)
{
    drawInto1000(state, generatedEmfPlusCurves());
}

void BM_DrawEmfPlusSmooth(benchmark::State &state)
{
    drawInto1000(state, generatedEmfPlus(), true);
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
BENCHMARK(BM_DrawEmfPlus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawEmfPlusSmooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawEmfPlusCurves)->Unit(benchmark::kMillisecond);
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
