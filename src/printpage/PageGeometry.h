#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QSize>

#include <optional>

namespace vz {

// The printable area of the printer's page in printer pixels and the
// printer's resolution. Page pixel (0, 0) prints at the area's top-left.
struct PrinterPage
{
    int width = 0;
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;

    bool isValid() const { return width > 0 && height > 0 && dpiX > 0 && dpiY > 0; }
    friend bool operator==(const PrinterPage &, const PrinterPage &) = default;
};

// Where the page stands on the screen and how screen pixels relate to the
// printer and to inches.
struct PageGeometry
{
    QRect page;           // page panel bounds inside the work area, screen pixels
    double scale = 0;     // printer pixels per page pixel (vertical)
    int ppiX = 0;         // page pixels per inch
    int ppiY = 0;
    double rulerStartX = 0; // ruler start values in inches: 0 stands at the page's left
    double rulerStartY = 0; // and top edges

    bool isValid() const { return page.width() > 0 && page.height() > 0 && ppiX > 0 && ppiY > 0; }
};

// The print page's fitting: the page takes the printer page's proportions
// and fills the work area less 20 pixels along one side. The centre panel's
// proportions choose the side, as the page has always done; when that
// choice would make the page larger than the work area less 20 on the other
// side, the other side is taken. The page is never smaller than 1 x 1 and
// its pixels per inch never below 1, so inches stay finite on a work area
// squeezed to nothing. Returns nullopt for a printer page without size or
// resolution.
std::optional<PageGeometry> computePageGeometry(const PrinterPage &printer, QSize centrePanel, QSize workArea);

// An object's rectangle `base`, set while the page was `baseWidth` wide,
// for a page `pageWidth` wide: each of left, top, width and height scaled by
// the ratio of the widths and rounded. Objects are always rescaled from the
// rectangle they were set at, so shrinking and growing the page never drifts.
QRect rescaleRect(const QRect &base, int baseWidth, int pageWidth);

// The printer page of a sheet of `paper` printed edge to edge at `dpi`.
PrinterPage printerPageFor(const QPageSize &paper, QPageLayout::Orientation orientation, int dpi);

// The paper of the user's locale (LC_PAPER where the C library knows it,
// else Letter for the US measurement system and A4 elsewhere).
QPageSize localePaperSize();

constexpr int kNoPrinterDpi = 600;

// The page used when there is no printer: the locale's paper, portrait, no
// margins, 600 dots per inch.
PrinterPage noPrinterPage();

} // namespace vz
