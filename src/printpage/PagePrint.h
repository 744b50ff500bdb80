#pragma once

#include "common/VzError.h"
#include "imaging/Picture.h"
#include "printpage/TiledPrinter.h"

#include <QList>
#include <QRect>
#include <QString>

#include <functional>

namespace vz {

class PrintDevice;
struct TextBoxData;

// A failure of the printing system itself (no printer, a job it would not
// take, a printer in error at the end). The printer adapters raise it from
// their begin/end hooks; it reaches the application's error report.
class PrintError : public VzError
{
public:
    using VzError::VzError;

    static PrintError noPrinter() { return PrintError(QStringLiteral("No printer is available.")); }
    static PrintError jobRefused() { return PrintError(QStringLiteral("The printer refused the print job.")); }
};

// How bitmaps go to the printer: the troubleshooting dialog's print type.
enum class PrintType : int {
    Ddb = 0,        // "Use DDB's (BitBlt)": banded, device-dependent tiles
    Convert24 = 1,  // "Convert to 24bit": converted, then banded
    StretchDib = 2, // "Use StretchDIBits": one transfer of the whole bitmap
    Banded = 3,     // "Use TExcellent": banded, device-independent tiles
};

// The dialog's print style. Slow Down acts through the progress hook only;
// for bitmaps it is the same as None.
enum class PrintStyle : int {
    None = -1,
    Compress = 0,   // banded tiles at half resolution, doubled by the printer
    WinStretch = 1, // banded tiles carry the source's pixels; the printer stretches
    SlowDown = 2,
};

// The stored values as the dialog reads them: 0, 1, 3 are themselves, any
// other value is StretchDib; 0, 1, 2 are themselves, any other value None.
PrintType printTypeFromInt(int value);
PrintStyle printStyleFromInt(int value);

inline const QString kPrintJobTitle = QStringLiteral("Vellozine");
inline const QString kBitmapLoadError = QStringLiteral("Bitmap load error");

struct PagePrintOptions
{
    PrintType type = PrintType::StretchDib;
    PrintStyle style = PrintStyle::None;
    // Installed as the device's progress hook for the job: it runs once after
    // every transfer. Printer jobs put SlowDownHook (and event processing)
    // here; previews, PDF files and vztool leave it empty.
    std::function<void()> progress;
    // The tiled printer's base: tile size (the primary screen in device
    // pixels), its message callback (boxes captioned "TExcellentImagePrinter"
    // in the program, stderr in vztool), fallback and flushing. The routine
    // sets error boxes on and the DDB, reduction and stretch fields for every
    // bitmap from `type` and `style`.
    TiledPrinterSettings tiled;
    QString title = kPrintJobTitle;
};

// One picture on the page: its rectangle in page pixels.
struct PagePicture
{
    Picture picture;
    QRect rect;
};

struct PagePrintResult
{
    enum class Status {
        NothingToPrint, // no pictures: no document was begun
        Printed,
        BitmapLoadError, // a bitmap could not become a DIB: printing stopped there,
                         // the document was ended with what had been drawn
        Failed,          // the device refused to begin or end the document
    };
    Status status = Status::NothingToPrint;
    int printed = 0;         // pictures handed to the device
    QList<int> converted;    // indices whose picture Convert24 replaced (in place)
};

// Draws the page onto `device` as one document titled `options.title`.
// `pictures` are in print order (placed pictures, then the rendered text
// boxes). The page scale s is the device's printable height divided by
// `panelHeight`; each edge of a picture's rectangle goes to round(edge * s),
// halves to even, and page pixel (0, 0) lands on the printable area's
// top-left. Metafiles, JPEG and GIF pictures are stretch-drawn; bitmaps go
// by `options.type`: StretchDib through PrintBitmapDirect, the others
// through LoadDibFromBitmap and PrintDib (Convert24 first replaces the
// picture in `pictures` by its 24-bit form and lists its index). A bitmap
// that cannot become a DIB stops printing with BitmapLoadError; the caller
// shows kBitmapLoadError. PrintError and other exceptions from the device
// pass through, after the document has been ended where it was begun.
PagePrintResult printPage(PrintDevice &device, QList<PagePicture> &pictures, int panelHeight,
                          const PagePrintOptions &options);

// The page scale for a device and a page panel height; 0 when either is empty.
double pagePrintScale(const PrintDevice &device, int panelHeight);
// A page rectangle in printer pixels at scale `s`: each edge rounded, halves to even.
QRect printerRect(const QRect &pageRect, double s);

// One device-independent transfer of the whole bitmap, at its own depth,
// from (0, 0, width, height) into `target`. Its result is not looked at,
// and it takes bitmaps of any size, also those under 32 bytes.
void PrintBitmapDirect(PrintDevice &device, const QRect &target, const QImage &bitmap);

// Waits 1000 ms when `slowDown` is set ("Slow Down Print Job" checked),
// through the current sleeper.
void SlowDownHook(bool slowDown);
using SlowDownSleeper = std::function<void(int milliseconds)>;
// Replaces the sleeper (tests count the waits); returns the one it replaced.
// An empty function restores the real sleep.
SlowDownSleeper setSlowDownSleeper(SlowDownSleeper sleeper);

// Text boxes as the pictures that print them, in list order: each box's
// metafile in its frame (page pixels), rendered at `screenDpi`. Needs no
// widgets, so vztool can print layout files.
QList<PagePicture> textBoxPagePictures(const QList<TextBoxData> &boxes, int screenDpi);

} // namespace vz
