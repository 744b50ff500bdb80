#pragma once

namespace vz {

class Picture;
class TfrmPrintTS;

// What the print page needs of the program around it. The main window's
// adapter (shell/ShellPrintHost) implements it; tests give a recording one.
class PrintPageHost
{
public:
    virtual ~PrintPageHost() = default;

    // Presses "View Print Page" (and shows it pressed).
    virtual void showPrintPage() = 0;
    // The main window's Copy command (Ctrl+C on the page).
    virtual void mainCopy() = 0;
    // The help dialog.
    virtual void showHelp() = 0;
    // A copied picture onto the "Windows" clipboard's thumbnail.
    virtual void showWindowsPicture(const Picture &picture) = 0;
    // Redraws the four clipboard thumbnails below the page.
    virtual void refreshThumbnails() = 0;
    virtual void ResiseClipBoardImage() = 0;
    // The page window closed: the clipboard strip gets its design height.
    virtual void pageClosed() = 0;
    // The printing options dialog made at start; null when there is none
    // (the page then prints with the defaults).
    virtual TfrmPrintTS *printOptions() const { return nullptr; }
};

} // namespace vz
