// The print page window: dragging the selection frame over a full page and
// placing very large pictures, each up to the first paint.

#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"
#include "printpage/PictureDrop.h"
#include "printpage/PlacedPicture.h"
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
#include <memory>

using namespace vz;

namespace {

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
// first) up to its first paint. Target: 300 ms.
void BM_PlaceLargeBitmap(benchmark::State &state)
{
    app();
    Page page;
    const Picture big = Picture::fromImage(photo(6000, 4000));
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
    photo(6000, 4000).save(file, "JPG", 85);
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
