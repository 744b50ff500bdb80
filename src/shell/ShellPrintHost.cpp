#include "shell/ShellPrintHost.h"

#include "clipboards/ClipboardPanel.h"
#include "common/AlignLayout.h"
#include "common/ScaleForm.h"
#include "shell/formVZMain.h"

#include <QAbstractButton>

namespace vz {

void ShellPrintHost::showPrintPage()
{
    if (auto *button = m_main.findChild<QAbstractButton *>(QStringLiteral("btnPrintPreview")))
        button->setChecked(true);
    m_main.btnPrintPageClick();
}

void ShellPrintHost::mainCopy() { m_main.btncopyClick(); }

void ShellPrintHost::showHelp() { m_main.btnHelpClick(); }

void ShellPrintHost::showWindowsPicture(const Picture &picture) { m_main.clipboardPanel()->showWindowsPicture(picture); }

void ShellPrintHost::refreshThumbnails() { m_main.clipboardPanel()->refreshThumbnails(); }

void ShellPrintHost::ResiseClipBoardImage() { m_main.clipboardPanel()->ResiseClipBoardImage(); }

TfrmPrintTS *ShellPrintHost::printOptions() const { return m_main.printOptions(); }

void ShellPrintHost::pageClosed()
{
    QWidget *strip = m_main.findChild<QWidget *>(QStringLiteral("pnlClipboardandPreview"));
    AlignLayout *layout = AlignLayout::of(&m_main);
    if (!strip || !layout)
        return;
    // The strip's design height, scaled as the window was.
    const int dpi = screenDpiOf(&m_main);
    layout->setExtent(strip, (kStripDesignHeight * dpi + 48) / 96);
}

} // namespace vz
