#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QRadioButton;
class QToolButton;

namespace vz {

class TfrmPrint;

// The print dialog ("VZ Print"): names the page's printer, turns its page,
// opens the printer setup and the printing options, and prints the page,
// previews it or saves it as a PDF file. Made anew for each use.
class TfrmVZPrintdlg : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmVZPrintdlg(TfrmPrint &page, QWidget *parent = nullptr);

    // Shows the dialog modally. Tests answer it through a hook: it is then
    // shown without blocking and handed over; left open, it is closed.
    int runModal();
    using ModalHook = std::function<void(TfrmVZPrintdlg &)>;
    static void setModalHook(ModalHook hook);

    // The controls' actions.
    void rbPortraitClick();
    void rbLandscapeClick();
    void btnTroubleshootClick();
    void btnSetupClick();
    // Prints and closes; after a printing-system error (reported) it stays open.
    void btnPrintClick();
    void btnPreviewClick();
    void btnSavePdfClick();

    QString printerNameText() const;

private:
    // The name and the radio buttons as the printer has them; with
    // `runAction` the checked radio's action runs, as a click would.
    void followPrinter(bool runAction = true);
    void setOrientation(bool landscape);

    TfrmPrint &m_page;
    QLabel *m_printerName = nullptr;
    QRadioButton *m_portrait = nullptr;
    QRadioButton *m_landscape = nullptr;
};

} // namespace vz
