#pragma once

#include "printpage/PrintPageHost.h"

namespace vz {

class TfrmVZMain;

// The print page's way into the main window: its page button, its Copy and
// Help commands, the clipboard strip and the "Windows" thumbnail.
class ShellPrintHost : public PrintPageHost
{
public:
    explicit ShellPrintHost(TfrmVZMain &main) : m_main(main) {}

    void showPrintPage() override;
    void mainCopy() override;
    void showHelp() override;
    void showWindowsPicture(const Picture &picture) override;
    void refreshThumbnails() override;
    void ResiseClipBoardImage() override;
    void pageClosed() override;
    TfrmPrintTS *printOptions() const override;

private:
    TfrmVZMain &m_main;
};

} // namespace vz
