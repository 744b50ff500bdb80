#pragma once

#include "printpage/PagePrint.h"
#include "printpage/PrintDevice.h"

class QPrinter;

namespace vz {

class TfrmPrintTS;

// The page printer's device for a QPrinter: the job is named with
// setDocName (also a PDF file's title); a printer that does not exist
// raises PrintError::noPrinter() when the job begins, and one left in its
// error state raises PrintError::jobRefused() when it ends.
class PrinterPrintDevice : public PainterPrintDevice
{
public:
    explicit PrinterPrintDevice(QPrinter &printer);
};

// True when `printer` is a printer of the system, or writes a named file.
bool printerExists(const QPrinter &printer);

// The options a page prints with: the dialog's boxes (the defaults without
// one), the tiled printer's boxes captioned "TExcellentImagePrinter" and
// tiles of the primary screen's size. Only a job for a printer gets the
// progress hook, which lets the program repaint (no user input, so the page
// cannot change under the job) and then waits when "Slow Down Print Job" is
// checked.
PagePrintOptions pagePrintOptions(const TfrmPrintTS *options, bool printerJob);

// The tiled printer's error box: plain text, OK, no owner.
void showTiledPrinterMessage(const QString &text);

} // namespace vz
