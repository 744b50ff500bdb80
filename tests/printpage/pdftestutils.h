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
