#include "printpage/PrinterPrintDevice.h"

#include "common/Dialogs.h"
#include "printpage/formPrintTS.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

namespace vz {

namespace {

PainterPrintDevice::Hooks printerHooks(QPrinter &printer)
{
    PainterPrintDevice::Hooks hooks;
    hooks.begin = [&printer](const QString &title) {
        if (!printerExists(printer))
            throw PrintError::noPrinter();
        printer.setDocName(title);
    };
    hooks.end = [&printer] {
        if (printer.printerState() == QPrinter::Error)
            throw PrintError::jobRefused();
    };
    return hooks;
}

QSize primaryScreenPixels()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return TiledPrinterSettings().tileSize;
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    return size.isEmpty() ? TiledPrinterSettings().tileSize : size;
}

} // namespace

PrinterPrintDevice::PrinterPrintDevice(QPrinter &printer)
    : PainterPrintDevice(&printer, printerHooks(printer))
{
}

bool printerExists(const QPrinter &printer)
{
    // Without a printer of the system Qt prints to PDF, which needs a file.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return !printer.outputFileName().isEmpty();
    const QString name = printer.printerName();
    return !name.isEmpty() && QPrinterInfo::availablePrinterNames().contains(name);
}

void showTiledPrinterMessage(const QString &text)
{
    dialogs::message(text, MsgIcon::None, MsgButtons::OK, nullptr, QStringLiteral("TExcellentImagePrinter"));
}

PagePrintOptions pagePrintOptions(const TfrmPrintTS *dialog, bool printerJob)
{
    PagePrintOptions options;
    if (dialog) {
        options.type = dialog->printType();
        options.style = dialog->printStyle();
    }
    options.tiled.tileSize = primaryScreenPixels();
    options.tiled.message = showTiledPrinterMessage;
    if (printerJob) {
        const bool slowDown = options.style == PrintStyle::SlowDown;
        options.progress = [slowDown] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            SlowDownHook(slowDown);
        };
    }
    return options;
}

} // namespace vz
