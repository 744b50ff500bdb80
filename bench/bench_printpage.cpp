// The print page's costs. Run a release build for figures:
//   bench_printpage --benchmark_filter=Dib
// Debug and sanitizer builds (the ctest smoke run) use smaller pictures.
// The window cases: dragging the selection frame over a full page and
// placing very large pictures, each up to the first paint.

#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"
#include "printpage/PictureDrop.h"
#include "printpage/PlacedPicture.h"
#include "printpage/TDibImage.h"
#include "printpage/TStretchHandle.h"
#include "printpage/formPrint.h"

#include <QApplication>
#include <QBuffer>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QTemporaryDir>
#include <QUndoStack>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
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

using namespace vz;

namespace {

#ifdef NDEBUG
constexpr int kLargeWidth = 6000, kLargeHeight = 4000;
#else
constexpr int kLargeWidth = 3000, kLargeHeight = 2000;
#endif

QApplication *app()
{
    static int argc = 1;
    static char name[] = "bench_printpage";
    static char *argv[] = {name, nullptr};
    static QApplication *a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return a;
}

// A page on Letter paper in a window the size of a laptop screen's page area.
struct Page
{
    QPrinter printer{QPrinter::HighResolution};
    TfrmPrint page;
    Page()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(600);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        page.setScreenWidth(1920);
        page.setPrinter(&printer);
        page.resize(1100, 900);
        page.show();
        QApplication::processEvents();
    }
};

QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 255) / w, (y * 255) / h, ((x ^ y) & 0xFF));
    }
    return img;
}

// Clip-art-like: a few hundred curved, filled shapes.
Picture clipart(int seed)
{
    mf::WmfGenerator gen;
    gen.setSize(QSize(400, 300));
    {
        QPainter p(&gen);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 300; ++i) {
            const double a = (i + seed) * 0.37;
            QPainterPath path;
            path.moveTo(200 + 150 * std::cos(a), 150 + 100 * std::sin(a));
            path.cubicTo(200, 150, 100 + i % 200, 50 + i % 100, 200 + 120 * std::sin(a * 2), 150 + 90 * std::cos(a));
            path.closeSubpath();
            p.setBrush(QColor::fromHsv((i * 7 + seed * 40) % 360, 200, 220));
            p.setPen(QPen(Qt::black, 1));
            p.drawPath(path);
        }
    }
    return Picture::fromBytes(gen.data(), Picture::Kind::Metafile);
}

int totalRenders(const TfrmPrint &page)
{
    int n = 0;
    for (const PlacedPicture *p : page.pnlPage()->findChildren<PlacedPicture *>())
        n += p->renderCount();
    return n;
}

void send(QWidget *w, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons, {});
    QApplication::sendEvent(w, &e);
}

// One move of the frame's band over 25 bitmaps of 1600 x 1200 and 25
// clip-art metafiles, with the page repainted at once. Target: 16 ms.
void BM_FrameDragOver50Pictures(benchmark::State &state)
{
    app();
    Page page;
    const Picture bitmap = Picture::fromImage(photo(1600, 1200));
    QList<Picture> pictures;
    for (int i = 0; i < 25; ++i) {
        pictures << bitmap;
        pictures << clipart(i);
    }
    page.page.placePictures(pictures);
    // Spread them over the page in a 5 x 10 grid.
    const QSize size = page.page.pnlPage()->size();
    const QList<PageObjectId> ids = page.page.model().pictures();
    for (int i = 0; i < ids.size(); ++i) {
        const int cw = size.width() / 5, ch = size.height() / 10;
        page.page.model().setObjectRect(ids[i], QRect((i % 5) * cw + 4, (i / 5) * ch + 4, cw - 8, ch - 8), RectChange::Drag);
    }
    page.page.selectObject(ids[0]);
    page.page.pnlPage()->repaint();
    const int rendersBefore = totalRenders(page.page);

    TStretchHandle *frame = page.page.stretchHandle();
    const QPoint start = frame->mapToGlobal(QPoint(frame->width() / 2, frame->height() / 2));
    send(frame, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        // Back and forth across the page.
        step = (step + 7) % 600;
        const int dx = step < 300 ? step : 600 - step;
        send(frame, QEvent::MouseMove, start + QPoint(dx, dx / 2), Qt::NoButton, Qt::LeftButton);
        page.page.pnlPage()->repaint();
    }
    send(frame, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    state.counters["renders_during_drag"] = totalRenders(page.page) - rendersBefore;
    state.counters["renders_at_place"] = rendersBefore;
}
BENCHMARK(BM_FrameDragOver50Pictures)->Unit(benchmark::kMillisecond);

// A bitmap of 6000 x 4000 placed on a screen 1920 wide (reduced 3:1
// first) up to its first paint. Target: 300 ms (release build).
void BM_PlaceLargeBitmap(benchmark::State &state)
{
    app();
    Page page;
    const Picture big = Picture::fromImage(photo(kLargeWidth, kLargeHeight));
    for (auto _ : state) {
        page.page.placePictures({big});
        page.page.pnlPage()->repaint();
        state.PauseTiming();
        page.page.undo();
        page.page.undoStack()->clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlaceLargeBitmap)->Unit(benchmark::kMillisecond);

// A 24-megapixel JPEG file read and placed up to its first paint. Target: 300 ms.
void BM_PlaceLargeJpeg(benchmark::State &state)
{
    app();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("photo.jpg"));
    photo(kLargeWidth, kLargeHeight).save(file, "JPG", 85);
    Page page;
    for (auto _ : state) {
        const Picture picture = readPagePicture(file);
        page.page.placePictures({picture});
        page.page.pnlPage()->repaint();
        state.PauseTiming();
        page.page.undo();
        page.page.undoStack()->clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlaceLargeJpeg)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
