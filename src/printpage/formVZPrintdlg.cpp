#include "printpage/formVZPrintdlg.h"

#include "common/ModalHook.h"
#include "common/Palette.h"
#include "common/ScaleForm.h"
#include "common/SmallWidgets.h"
#include "common/VzApplication.h"
#include "printpage/formPrint.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

namespace vz {

namespace {

TfrmVZPrintdlg::ModalHook &modalHook()
{
    static TfrmVZPrintdlg::ModalHook hook;
    return hook;
}

const QString kInstructions = QStringLiteral("1.  Turn printer on and load paper.\n"
                                             "2.. If you have difficulties printing, select\n"
                                             "     the \"Printer Troubleshooting\"\n"
                                             "     button below (left).");

QToolButton *imageButton(QWidget *parent, const char *name, const char *hint, const char *icon)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setIcon(QIcon(QStringLiteral(":/printpage/%1.svg").arg(QLatin1String(icon))));
    b->setIconSize(QSize(28, 28));
    b->setAutoRaise(true);
    return b;
}

QPushButton *pushButton(QWidget *parent, const char *name, const char *text, const char *hint)
{
    auto *b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    if (hint)
        b->setToolTip(QLatin1String(hint));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfrmVZPrintdlg::TfrmVZPrintdlg(TfrmPrint &page, QWidget *parent)
    : QDialog(parent)
    , m_page(page)
{
    setObjectName(QStringLiteral("frmVZPrintdlg"));
    setWindowTitle(QStringLiteral("VZ Print"));
    resize(405, 233);
    // A window of its own: it does not take the main window's font.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);

    auto *outer = colouredPanel(this, QStringLiteral("pnlOuter"), palette::mainBlue);
    outer->setGeometry(rect());

    auto *info = colouredPanel(outer, QStringLiteral("pnlInfo"), palette::toolbar);
    info->setGeometry(12, 8, 381, 126);
    auto *caption = new QLabel(QStringLiteral("Current Printer:"), info);
    caption->setObjectName(QStringLiteral("lblCurrentPrinter"));
    caption->setGeometry(8, 6, 86, 16);
    m_printerName = new QLabel(info);
    m_printerName->setObjectName(QStringLiteral("lblPrinterName"));
    m_printerName->setGeometry(96, 6, 277, 16);

    auto *orientation = new QGroupBox(QStringLiteral("Orientation"), info);
    orientation->setObjectName(QStringLiteral("grpOrientation"));
    orientation->setGeometry(8, 26, 104, 92);
    m_portrait = new QRadioButton(QStringLiteral("Portrait"), orientation);
    m_portrait->setObjectName(QStringLiteral("rbPortrait"));
    m_portrait->setGeometry(10, 24, 88, 20);
    m_landscape = new QRadioButton(QStringLiteral("Landscape"), orientation);
    m_landscape->setObjectName(QStringLiteral("rbLandscape"));
    m_landscape->setGeometry(10, 52, 88, 20);
    connect(m_portrait, &QRadioButton::clicked, this, &TfrmVZPrintdlg::rbPortraitClick);
    connect(m_landscape, &QRadioButton::clicked, this, &TfrmVZPrintdlg::rbLandscapeClick);

    auto *instructions = new QGroupBox(QStringLiteral("Printing Instructions"), info);
    instructions->setObjectName(QStringLiteral("grpInstructions"));
    instructions->setGeometry(118, 26, 255, 92);
    auto *text = new QLabel(kInstructions, instructions);
    text->setObjectName(QStringLiteral("lblInstructions"));
    text->setGeometry(8, 18, 243, 68);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *buttons = colouredPanel(outer, QStringLiteral("pnlButtons"), palette::sidePanel);
    buttons->setGeometry(8, 142, 389, 83);
    QToolButton *troubleshoot = imageButton(buttons, "btnTroubleshoot", "Printer Troubleshooting", "troubleshoot");
    troubleshoot->setGeometry(8, 24, 35, 35);
    QToolButton *setup = imageButton(buttons, "btnSetup", "Printer Setup", "setup");
    setup->setGeometry(48, 24, 35, 35);
    QPushButton *print = pushButton(buttons, "btnPrint", "&Print", "Print Current Page");
    print->setGeometry(92, 29, 64, 25);
    QPushButton *preview = pushButton(buttons, "btnPreview", "Print Preview", nullptr);
    preview->setGeometry(162, 29, 86, 25);
    QPushButton *pdf = pushButton(buttons, "btnSavePdf", "Save as PDF...", nullptr);
    pdf->setGeometry(254, 29, 86, 25);
    QToolButton *close = imageButton(buttons, "btnClose", "Close", "close");
    close->setGeometry(346, 24, 35, 35);
    connect(troubleshoot, &QToolButton::clicked, this, &TfrmVZPrintdlg::btnTroubleshootClick);
    connect(setup, &QToolButton::clicked, this, &TfrmVZPrintdlg::btnSetupClick);
    connect(print, &QPushButton::clicked, this, &TfrmVZPrintdlg::btnPrintClick);
    connect(preview, &QPushButton::clicked, this, &TfrmVZPrintdlg::btnPreviewClick);
    connect(pdf, &QPushButton::clicked, this, &TfrmVZPrintdlg::btnSavePdfClick);
    connect(close, &QToolButton::clicked, this, &QDialog::reject);

    ScaleFormToScreen(this, screenDpiOf(this));
    // Scaled first: a fixed size would keep the design size.
    setFixedSize(size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    followPrinter();
}

void TfrmVZPrintdlg::setModalHook(ModalHook hook) { modalHook() = std::move(hook); }

int TfrmVZPrintdlg::runModal()
{
    return runModalDialog(*this, modalHook());
}

QString TfrmVZPrintdlg::printerNameText() const { return m_printerName->text(); }

void TfrmVZPrintdlg::followPrinter(bool runAction)
{
    QPrinter *printer = m_page.printer();
    if (!printer)
        return;
    m_printerName->setText(printer->printerName());
    const bool landscape = printer->pageLayout().orientation() == QPageLayout::Landscape;
    (landscape ? m_landscape : m_portrait)->setChecked(true);
    if (runAction)
        setOrientation(landscape);
}

void TfrmVZPrintdlg::setOrientation(bool landscape)
{
    if (QPrinter *printer = m_page.printer())
        printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_page.RefreshPage();
}

void TfrmVZPrintdlg::rbPortraitClick() { setOrientation(false); }

void TfrmVZPrintdlg::rbLandscapeClick() { setOrientation(true); }

void TfrmVZPrintdlg::btnTroubleshootClick() { m_page.showTroubleshooting(); }

void TfrmVZPrintdlg::btnSetupClick()
{
    m_page.PrinterSetup();
    followPrinter();
}

void TfrmVZPrintdlg::btnPrintClick()
{
    // A printing-system error is reported and the dialog stays for another try.
    if (runReported([this] { m_page.PrintPage(); }))
        accept();
}

void TfrmVZPrintdlg::btnPreviewClick()
{
    runReported([this] { m_page.PrintPreview(this, [this] { followPrinter(false); }); });
}

void TfrmVZPrintdlg::btnSavePdfClick()
{
    runReported([this] { m_page.SaveAsPdf(this); });
}

} // namespace vz
