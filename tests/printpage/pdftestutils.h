#pragma once

// Reading printed PDF files back with poppler's tools, and finding where a
// colour landed on the rendered page.

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace pdftest {

inline bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

inline QByteArray runTool(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(tool), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

struct PdfInfo
{
    int pages = 0;
    QSizeF pageSize; // points
    QString title;
};

inline PdfInfo pdfInfo(const QString &file)
{
    PdfInfo info;
    const QString out = QString::fromLocal8Bit(runTool(QStringLiteral("pdfinfo"), {file}));
    const auto pages = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
                           .match(out);
    if (pages.hasMatch())
        info.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                                         QRegularExpression::MultilineOption)
                          .match(out);
    if (size.hasMatch())
        info.pageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    const auto title = QRegularExpression(QStringLiteral("^Title:\\s+(.*)$"), QRegularExpression::MultilineOption).match(out);
    if (title.hasMatch())
        info.title = title.captured(1).trimmed();
    return info;
}

// The first page rendered at `dpi`; a null image when poppler fails.
inline QImage renderPage(const QString &file, int dpi)
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-f"),
                                         QStringLiteral("1"), QStringLiteral("-r"), QString::number(dpi), file, root});
    return QImage(root + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Pixels near a pure colour: the wanted channels high, the others low.
inline bool isNear(QRgb px, QRgb wanted)
{
    auto close = [](int a, int b) { return b > 127 ? a > 160 : a < 100; };
    return close(qRed(px), qRed(wanted)) && close(qGreen(px), qGreen(wanted)) && close(qBlue(px), qBlue(wanted));
}

// The bounding box of the pixels of one colour (empty when none), counting
// only rows and columns that hold at least `minRun` of them, so a few
// stray antialiased pixels do not widen it.
inline QRect colourBox(const QImage &img, QRgb wanted, int minRun = 3)
{
    QList<int> rowCount(img.height(), 0), colCount(img.width(), 0);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (isNear(row[x], wanted)) {
                ++rowCount[y];
                ++colCount[x];
            }
    }
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < img.height(); ++y)
        if (rowCount[y] >= minRun) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    for (int x = 0; x < img.width(); ++x)
        if (colCount[x] >= minRun) {
            if (left < 0)
                left = x;
            right = x;
        }
    return top < 0 || left < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Dark pixels (text) inside `area`, and outside it within `around`.
inline int darkPixels(const QImage &img, const QRect &area)
{
    int n = 0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(row[x]) < 90)
                ++n;
    }
    return n;
}

} // namespace pdftest

// ---------------------------------------------------------------------------
// One test page for every output: a red bitmap, a blue JPEG, a green WMF
// and two bordered text boxes on a page panel 1000 pixels high.

#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"
#include "printpage/PagePrint.h"
#include "printpage/TextBoxData.h"

#include <QBuffer>
#include <QPainter>

namespace pdftest {

constexpr int kPanelHeight = 1000;

struct ColourPicture
{
    const char *name;
    QRgb colour;
    QRect rect; // page pixels
};

inline const QList<ColourPicture> &colourPictures()
{
    static const QList<ColourPicture> list = {
        {"red bitmap", qRgb(255, 0, 0), QRect(40, 50, 240, 180)},
        {"blue JPEG", qRgb(0, 0, 255), QRect(360, 50, 240, 180)},
        {"green WMF", qRgb(0, 255, 0), QRect(40, 330, 240, 180)},
    };
    return list;
}

inline QList<vz::TextBoxData> textBoxes()
{
    vz::TextBoxData a;
    a.bounds = QRect(40, 600, 260, 90);
    a.text = QStringLiteral("Vellozine\r\nprints");
    a.fontName = QStringLiteral("DejaVu Sans");
    a.fontSize = 14;
    a.borderSingle = a.borderFlag = true;
    vz::TextBoxData b = a;
    b.bounds = QRect(360, 600, 260, 140);
    b.text = QStringLiteral("Two boxes,\r\nboth bordered");
    b.bold = true;
    return {a, b};
}

// The page rectangles the text boxes print into (their pictures' frames,
// a little larger than the boxes).
inline QList<QRect> textBoxFrames()
{
    QList<QRect> frames;
    for (const vz::PagePicture &p : vz::textBoxPagePictures(textBoxes(), 96))
        frames << p.rect;
    return frames;
}

// The pictures in print order: the three colours, then the text boxes.
inline QList<vz::PagePicture> pagePictures(int bitmapWidth = 120, int bitmapHeight = 90)
{
    QImage red(bitmapWidth, bitmapHeight, QImage::Format_RGB32);
    red.fill(Qt::red);

    QImage blue(bitmapWidth, bitmapHeight, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    blue.save(&buf, "JPEG", 95);

    vz::mf::WmfGenerator gen;
    gen.setSize(QSize(240, 180));
    {
        QPainter p(&gen);
        p.fillRect(QRect(0, 0, 240, 180), QColor(0, 255, 0));
    }

    const auto &c = colourPictures();
    QList<vz::PagePicture> list = {
        {vz::Picture::fromImage(red), c[0].rect},
        {vz::Picture::fromBytes(jpeg, vz::Picture::Kind::Jpeg), c[1].rect},
        {vz::Picture::fromBytes(gen.data(), vz::Picture::Kind::Metafile), c[2].rect},
    };
    list += vz::textBoxPagePictures(textBoxes(), 96);
    return list;
}

// Where a page rectangle lands on a page rendered at `renderDpi`: the
// printable origin (inches) plus each edge's printer pixels, round(edge * s),
// over the device's dpi.
inline QRectF expectedOnRender(const QRect &pageRect, double s, int deviceDpi, QPointF originInch, int renderDpi)
{
    const QRect printer = vz::printerRect(pageRect, s);
    const double k = double(renderDpi) / deviceDpi;
    return QRectF(originInch.x() * renderDpi + printer.left() * k, originInch.y() * renderDpi + printer.top() * k,
                  printer.width() * k, printer.height() * k);
}

// How far apart two rectangles' edges are, at most.
inline double edgeDistance(const QRectF &a, const QRectF &b)
{
    return std::max({std::abs(a.left() - b.left()), std::abs(a.top() - b.top()),
                     std::abs(a.left() + a.width() - b.left() - b.width()),
                     std::abs(a.top() + a.height() - b.top() - b.height())});
}

} // namespace pdftest
