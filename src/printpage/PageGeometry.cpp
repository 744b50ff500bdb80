#include "printpage/PageGeometry.h"

#include "common/Rounding.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__GLIBC__)
#include <langinfo.h>
#endif

namespace vz {

namespace {

// The margin the page keeps from the work area's edges, along the side it fills.
constexpr int kPageMargin = 20;

} // namespace

std::optional<PageGeometry> computePageGeometry(const PrinterPage &printer, QSize centrePanel, QSize workArea)
{
    if (!printer.isValid())
        return std::nullopt;

    const double a = double(printer.height) / double(printer.width);
    // The centre panel's proportions choose the side; without a usable
    // panel the work area's own proportions do.
    const QSize chooser = centrePanel.width() > 0 ? centrePanel : workArea;
    const double b = chooser.width() > 0 ? double(chooser.height()) / double(chooser.width()) : a;

    const int availW = workArea.width() - kPageMargin;
    const int availH = workArea.height() - kPageMargin;
    auto byHeight = [&](int &w, int &h) {
        h = availH;
        w = roundHalfEven(double(h) / a);
    };
    auto byWidth = [&](int &w, int &h) {
        w = availW;
        h = roundHalfEven(a * double(w));
    };

    int w = 0;
    int h = 0;
    if (a >= b) {
        byHeight(w, h);
        if (w > availW)
            byWidth(w, h);
    } else {
        byWidth(w, h);
        if (h > availH)
            byHeight(w, h);
    }
    // Rounding on the other side may still overshoot by a pixel.
    w = std::max(1, std::min(w, availW));
    h = std::max(1, std::min(h, availH));

    PageGeometry g;
    const int left = (workArea.width() - w) / 2;
    const int top = (workArea.height() - h) / 2;
    g.page = QRect(left, top, w, h);
    g.scale = double(printer.height) / double(h);
    g.ppiX = std::max(1, roundHalfEven(double(printer.dpiX) / g.scale));
    g.ppiY = std::max(1, roundHalfEven(double(printer.dpiY) / g.scale));
    g.rulerStartX = -(double(left) / double(g.ppiX));
    g.rulerStartY = -(double(top) / double(g.ppiY));
    return g;
}

QRect rescaleRect(const QRect &base, int baseWidth, int pageWidth)
{
    if (baseWidth <= 0 || pageWidth <= 0 || baseWidth == pageWidth)
        return base;
    auto scaled = [&](int v) { return roundHalfEven(double(v) * double(pageWidth) / double(baseWidth)); };
    return QRect(scaled(base.left()), scaled(base.top()), scaled(base.width()), scaled(base.height()));
}

PrinterPage printerPageFor(const QPageSize &paper, QPageLayout::Orientation orientation, int dpi)
{
    if (!paper.isValid() || dpi <= 0)
        return {};
    // From the paper's own units: Qt's pixel sizes go through whole points,
    // which puts A4 a pixel short at 300 dpi.
    const bool inches = paper.definitionUnits() == QPageSize::Inch;
    const QSizeF in = inches ? paper.size(QPageSize::Inch) : paper.size(QPageSize::Millimeter) / 25.4;
    QSize px(roundHalfEven(in.width() * dpi), roundHalfEven(in.height() * dpi));
    if (orientation == QPageLayout::Landscape)
        px.transpose();
    return {px.width(), px.height(), dpi, dpi};
}

QPageSize localePaperSize()
{
#if defined(__GLIBC__)
    // glibc answers with the paper of LC_PAPER in millimetres.
    const auto mm = [](nl_item item) { return int(reinterpret_cast<std::intptr_t>(nl_langinfo(item))); };
    const int heightMm = mm(_NL_PAPER_HEIGHT);
    const int widthMm = mm(_NL_PAPER_WIDTH);
    if (widthMm > 0 && heightMm > 0 && widthMm < 10000 && heightMm < 10000) {
        const QPageSize paper(QSizeF(widthMm, heightMm), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
        if (paper.isValid())
            return paper;
    }
#endif
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                       : QPageSize::A4);
}

PrinterPage noPrinterPage()
{
    return printerPageFor(localePaperSize(), QPageLayout::Portrait, kNoPrinterDpi);
}

} // namespace vz
