#include "printpage/PagePrint.h"

#include "common/Rounding.h"
#include "imaging/BmpFile.h"
#include "printpage/PrintDevice.h"
#include "printpage/TextBoxRender.h"

#include <QPainter>
#include <QThread>

#include <algorithm>
#include <mutex>

namespace vz {

PrintType printTypeFromInt(int value)
{
    switch (value) {
    case 0:
        return PrintType::Ddb;
    case 1:
        return PrintType::Convert24;
    case 3:
        return PrintType::Banded;
    default:
        return PrintType::StretchDib;
    }
}

PrintStyle printStyleFromInt(int value)
{
    switch (value) {
    case 0:
        return PrintStyle::Compress;
    case 1:
        return PrintStyle::WinStretch;
    case 2:
        return PrintStyle::SlowDown;
    default:
        return PrintStyle::None;
    }
}

double pagePrintScale(const PrintDevice &device, int panelHeight)
{
    const int h = device.printableSize().height();
    if (panelHeight <= 0 || h <= 0)
        return 0;
    return double(h) / double(panelHeight);
}

QRect printerRect(const QRect &pageRect, double s)
{
    const auto edge = [s](qint64 v) { return roundHalfEven64(double(v) * s); };
    const qint64 left = edge(pageRect.left());
    const qint64 top = edge(pageRect.top());
    const qint64 right = edge(qint64(pageRect.left()) + pageRect.width());
    const qint64 bottom = edge(qint64(pageRect.top()) + pageRect.height());
    // Far past any page: keep the edges, and the width between them, inside
    // int; the tiler cuts the rectangle to the page anyway.
    const auto clampInt = [](qint64 v) { return int(std::clamp<qint64>(v, -(1 << 29), 1 << 29)); };
    const int l = clampInt(left);
    const int t = clampInt(top);
    return QRect(l, t, clampInt(right) - l, clampInt(bottom) - t);
}

void PrintBitmapDirect(PrintDevice &device, const QRect &target, const QImage &bitmap)
{
    DibBlocks dib;
    if (!DibFromBitmap(bitmap, dib))
        return;
    device.stretchDib(target, QRect(0, 0, dib.width, dib.height), dib.header, dib.pixels);
}

namespace {

std::mutex g_sleeperLock;
SlowDownSleeper g_sleeper;

void realSleep(int ms)
{
    QThread::msleep(ulong(ms));
}

// The bitmap at 24 bits, transparent parts on white.
QImage to24Bits(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_BGR888);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.setDotsPerMeterX(image.dotsPerMeterX());
    flat.setDotsPerMeterY(image.dotsPerMeterY());
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, image);
    }
    return flat.convertToFormat(QImage::Format_BGR888);
}

// Takes the job's progress hook off the device again, however the job ends,
// so no hook outlives what it captured.
struct ProgressHookScope
{
    PrintDevice &device;
    ProgressHookScope(PrintDevice &d, const std::function<void()> &hook) : device(d) { device.setProgressHook(hook); }
    ~ProgressHookScope() { device.setProgressHook({}); }
};

} // namespace

void SlowDownHook(bool slowDown)
{
    if (!slowDown)
        return;
    SlowDownSleeper sleeper;
    {
        std::lock_guard<std::mutex> lock(g_sleeperLock);
        sleeper = g_sleeper;
    }
    if (sleeper)
        sleeper(1000);
    else
        realSleep(1000);
}

SlowDownSleeper setSlowDownSleeper(SlowDownSleeper sleeper)
{
    std::lock_guard<std::mutex> lock(g_sleeperLock);
    SlowDownSleeper previous = std::move(g_sleeper);
    g_sleeper = std::move(sleeper);
    return previous;
}

PagePrintResult printPage(PrintDevice &device, QList<PagePicture> &pictures, int panelHeight,
                          const PagePrintOptions &options)
{
    PagePrintResult result;
    if (pictures.isEmpty())
        return result;

    const double s = pagePrintScale(device, panelHeight);
    ProgressHookScope hook(device, options.progress);
    if (!device.beginDocument(options.title)) {
        result.status = PagePrintResult::Status::Failed;
        return result;
    }

    result.status = PagePrintResult::Status::Printed;
    try {
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            PagePicture &item = pictures[i];
            const QRect target = printerRect(item.rect, s);
            if (item.picture.kind() != Picture::Kind::Bitmap) {
                device.drawPicture(item.picture, target);
                ++result.printed;
                continue;
            }
            if (options.type == PrintType::StretchDib) {
                PrintBitmapDirect(device, target, item.picture.image());
                ++result.printed;
                continue;
            }
            if (options.type == PrintType::Convert24) {
                // The page keeps the converted bitmap.
                item.picture = Picture::fromImage(to24Bits(item.picture.image()));
                result.converted.append(int(i));
            }
            DibBlocks dib;
            if (!LoadDibFromBitmap(item.picture.image(), dib)) {
                result.status = PagePrintResult::Status::BitmapLoadError;
                break;
            }
            TiledPrinterSettings settings = options.tiled;
            settings.showErrorBoxes = true;
            settings.useDdb = options.type == PrintType::Ddb;
            const bool compress = options.style == PrintStyle::Compress;
            settings.reductionX = compress ? 2 : 1;
            settings.reductionY = compress ? 2 : 1;
            settings.windowsStretch = options.style == PrintStyle::WinStretch;
            PrintDib(device, target.x(), target.y(), target.width(), target.height(), dib.header, dib.pixels,
                     settings);
            ++result.printed;
        }
    } catch (...) {
        // What was drawn still goes out; the first error is the one reported.
        try {
            device.endDocument();
        } catch (...) {
        }
        throw;
    }
    if (!device.endDocument() && result.status == PagePrintResult::Status::Printed)
        result.status = PagePrintResult::Status::Failed;
    return result;
}

QList<PagePicture> textBoxPagePictures(const QList<TextBoxData> &boxes, int screenDpi)
{
    QList<PagePicture> out;
    out.reserve(boxes.size());
    for (const TextBoxData &box : boxes) {
        const TextBoxPicture rendered = renderTextBoxPicture(box, screenDpi);
        out.append(PagePicture{rendered.picture, rendered.frame});
    }
    return out;
}

} // namespace vz
