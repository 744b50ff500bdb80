// Printing a page to PDF through the page-printing routine. Run a release
// build for figures:
//   bench_printing
// BM_PagePdf: four 4000 x 3000 photo-like bitmaps and three text boxes at
// 600 dpi, per print type and style (goal: 3 s each).
// BM_PeakMemory: one page-filling 4000 x 3000 bitmap, banded (type 3,
// 1920 x 1080 tiles) or direct, at 300, 600 and 1200 dpi; the counters give
// the growth of the peak resident size (VmHWM, reset through
// /proc/self/clear_refs before each print) against the goal, the picture's
// pixel block + 32 MB. The counters are figures: nothing is asserted.
// Debug and sanitizer builds (the ctest smoke run) use small pictures and
// low resolutions.

#include "imaging/Picture.h"
#include "printpage/PagePrint.h"
#include "printpage/PrintDevice.h"
#include "printpage/TextBoxData.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

#ifdef NDEBUG
constexpr int kPhotoWidth = 4000, kPhotoHeight = 3000;
constexpr int kPageDpi = 600;
constexpr int kMemoryDpis[] = {300, 600, 1200};
#else
constexpr int kPhotoWidth = 400, kPhotoHeight = 300;
constexpr int kPageDpi = 100;
constexpr int kMemoryDpis[] = {75, 150};
#endif

// The page panel height the page is laid out on (vztool's default).
constexpr int kPanelHeight = 800;
const QSize kTile(1920, 1080);

QGuiApplication *app()
{
    static int argc = 1;
    static char name[] = "bench_printing";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return a;
}

// Smooth gradients under fine noise, like a camera picture: neither flat
// enough nor regular enough to compress to nothing.
QImage photo(int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    uint32_t state = 2463534242u + uint32_t(seed) * 7919u;
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int noise = int(state & 31) - 16;
            auto ch = [noise](int v) { return std::clamp(v + noise, 0, 255); };
            row[x] = qRgb(ch((x * 255) / w), ch((y * 255) / h), ch(((x + y + seed * 64) * 255) / (w + h)));
        }
    }
    return img;
}

QList<vz::TextBoxData> textBoxes()
{
    QList<vz::TextBoxData> boxes;
    for (int i = 0; i < 3; ++i) {
        vz::TextBoxData b;
        b.bounds = QRect(20 + i * 180, 640, 170, 120);
        b.text = QStringLiteral("Text box %1\r\nwith a few words on\r\nthree lines").arg(i + 1);
        b.fontName = QStringLiteral("DejaVu Sans");
        b.fontSize = 12;
        b.borderSingle = b.borderFlag = true;
        boxes << b;
    }
    return boxes;
}

// The speed page: four photos in a 2 x 2 grid on the top of an A4 panel
// (555 x 800 inside 0.25 in margins), the text boxes below them.
const QList<vz::PagePicture> &speedPage()
{
    static const QList<vz::PagePicture> page = [] {
        QList<vz::PagePicture> list;
        for (int i = 0; i < 4; ++i)
            list.append({vz::Picture::fromImage(photo(kPhotoWidth, kPhotoHeight, i)),
                         QRect(12 + (i % 2) * 275, 12 + (i / 2) * 310, 265, 300)});
        list += vz::textBoxPagePictures(textBoxes(), 96);
        return list;
    }();
    return page;
}

void setUpWriter(QPdfWriter &writer, int dpi)
{
    writer.setResolution(dpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
}

vz::PagePrintResult printToPdf(const QString &file, int dpi, QList<vz::PagePicture> &pictures,
                               const vz::PagePrintOptions &options)
{
    QPdfWriter writer(file);
    setUpWriter(writer, dpi);
    vz::PainterPrintDevice device(&writer, {[&writer](const QString &t) { writer.setTitle(t); }, {}});
    return vz::printPage(device, pictures, kPanelHeight, options);
}

void BM_PagePdf(benchmark::State &state)
{
    app();
    const auto type = vz::PrintType(state.range(0));
    const auto style = vz::PrintStyle(state.range(1));
    const QList<vz::PagePicture> &page = speedPage();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.pdf"));
    vz::PagePrintOptions options;
    options.type = type;
    options.style = style;
    options.tiled.tileSize = kTile;
    for (auto _ : state) {
        QList<vz::PagePicture> pictures = page; // Convert24 replaces its copies
        const auto result = printToPdf(file, kPageDpi, pictures, options);
        if (result.status != vz::PagePrintResult::Status::Printed) {
            state.SkipWithError("the page did not print");
            break;
        }
    }
    state.counters["pdf_MB"] = double(QFile(file).size()) / (1 << 20);
}

// Every print type with no style; the banded types with each reducing style.
void pageArgs(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"type", "style"});
    for (int type : {0, 1, 2, 3})
        b->Args({type, -1});
    for (int type : {0, 1, 3})
        for (int style : {0, 1})
            b->Args({type, style});
}
BENCHMARK(BM_PagePdf)->Apply(pageArgs)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The peak resident size so far, in kB; -1 when the system does not say.
long peakResidentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // Files under /proc have no size: read until the end, not to atEnd().
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Makes the peak the current resident size; false when the kernel refuses.
bool resetPeak()
{
    FILE *f = std::fopen("/proc/self/clear_refs", "w");
    if (!f)
        return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

void BM_PeakMemory(benchmark::State &state)
{
    app();
    const int dpi = int(state.range(0));
    const bool banded = state.range(1) != 0;
    // The page's picture exists before printing: it is not the print's cost.
    static const vz::Picture picture = vz::Picture::fromImage(photo(kPhotoWidth, kPhotoHeight, 7));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.pdf"));
    vz::PagePrintOptions options;
    options.type = banded ? vz::PrintType::Banded : vz::PrintType::StretchDib;
    options.tiled.tileSize = kTile;
    // Page-filling: the whole printable area of the A4 panel, 4:3 kept.
    const QList<vz::PagePicture> page = {{picture, QRect(0, 0, 555, 416)}};
    double growthMb = 0;
    for (auto _ : state) {
        QList<vz::PagePicture> pictures = page;
        if (!resetPeak()) {
            state.SkipWithError("/proc/self/clear_refs cannot be written");
            break;
        }
        const long before = peakResidentKb();
        const auto result = printToPdf(file, dpi, pictures, options);
        const long after = peakResidentKb();
        if (result.status != vz::PagePrintResult::Status::Printed || before < 0 || after < 0) {
            state.SkipWithError("the page did not print");
            break;
        }
        growthMb = std::max(growthMb, double(after - before) / 1024);
    }
    const double pixelBlockMb = double(picture.image().sizeInBytes()) / (1 << 20);
    state.counters["VmHWM_growth_MB"] = growthMb;
    state.counters["goal_MB"] = pixelBlockMb + 32;
}

void memoryArgs(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"dpi", "banded"});
    for (int dpi : kMemoryDpis)
        for (int banded : {1, 0})
            b->Args({dpi, banded});
}
BENCHMARK(BM_PeakMemory)->Apply(memoryArgs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
