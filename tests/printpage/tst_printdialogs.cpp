#include "printpagetestutils.h"

#include "common/Dialogs.h"
#include "common/PageChanged.h"
#include "common/WaitCursor.h"
#include "platform/Registry.h"
#include "printpage/PagePrint.h"
#include "printpage/PlacedPicture.h"
#include "printpage/PrinterPrintDevice.h"
#include "printpage/TStretchHandle.h"
#include "printpage/TTextBox.h"
#include "printpage/formPrintTS.h"
#include "printpage/formVZPrintdlg.h"
#include "shell/AppState.h"
#include "shell/formVZMain.h"
#include "testutils.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>
#include <QUndoStack>

#include <optional>

using namespace vz;
using namespace pptest;

namespace {

const QString kType = QStringLiteral("PrintTypeInt");
const QString kStyle = QStringLiteral("PrintStyleInt");
const QString kCompleted = QStringLiteral("Printing Completed!  For more printing options click the Retry button.");

// The checked boxes as a word per group: "2/-" is StretchDIBits and no style.
QString boxState(const TfrmPrintTS &ts)
{
    QString types, styles;
    for (int tag = 0; tag < 4; ++tag)
        if (ts.isChecked(0, tag))
            types += QString::number(tag);
    for (int tag = 0; tag < 3; ++tag)
        if (ts.isChecked(1, tag))
            styles += QString::number(tag);
    return (types.isEmpty() ? QStringLiteral("-") : types) + QLatin1Char('/') + (styles.isEmpty() ? QStringLiteral("-") : styles);
}

void clickBox(TfrmPrintTS &ts, const QString &name)
{
    auto *b = ts.findChild<QCheckBox *>(name);
    QVERIFY2(b, qPrintable(name));
    b->click();
}

QByteArray storeBytes()
{
    QFile f(registryFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A stored value as "int:N", "string:S", or "none".
QString storedValue(const QString &name)
{
    RegistryKey reg(RegRoot::LocalMachine);
    if (!reg.openKey(kSettingsKey, false) || !reg.valueExists(name))
        return QStringLiteral("none");
    try {
        return QStringLiteral("int:%1").arg(reg.readInteger(name));
    } catch (const RegistryError &) {
        return QStringLiteral("string:") + reg.readString(name);
    }
}

void storeValue(const QString &name, const QString &value)
{
    if (value == QLatin1String("none"))
        return;
    RegistryKey reg(RegRoot::LocalMachine);
    QVERIFY(reg.openKey(kSettingsKey, true));
    if (value.startsWith(QLatin1String("int:")))
        reg.writeInteger(name, value.mid(4).toInt());
    else
        reg.writeString(name, value.mid(7));
}

// Sets the options as a user would: clicks until the wanted boxes alone are checked.
void setOptions(TfrmPrintTS &ts, int type, int style)
{
    for (int tag = 0; tag < 4; ++tag)
        if (ts.isChecked(0, tag) != (tag == type))
            ts.box(0, tag)->click();
    for (int tag = 0; tag < 3; ++tag)
        if (ts.isChecked(1, tag) != (tag == style))
            ts.box(1, tag)->click();
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button,
                  type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(Qt::LeftButton), Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The print page's host with the program's printing options dialog.
struct OptionsHost : RecordingHost
{
    TfrmPrintTS *options = nullptr;
    TfrmPrintTS *printOptions() const override { return options; }
};

// Modal hooks for both dialogs, taken off again at the end of a test.
struct Hooks
{
    int optionsShown = 0;
    std::function<void(TfrmPrintTS &)> onOptions;
    std::function<void(TfrmVZPrintdlg &)> onPrintDialog;
    int printDialogsShown = 0;
    Hooks()
    {
        TfrmPrintTS::setModalHook([this](TfrmPrintTS &ts) {
            ++optionsShown;
            if (onOptions)
                onOptions(ts);
        });
        TfrmVZPrintdlg::setModalHook([this](TfrmVZPrintdlg &dlg) {
            ++printDialogsShown;
            if (onPrintDialog)
                onPrintDialog(dlg);
        });
    }
    ~Hooks()
    {
        TfrmPrintTS::setModalHook({});
        TfrmVZPrintdlg::setModalHook({});
    }
};

// A page on a PDF printer, with a "local" options dialog and the dialogs answered.
struct PrintFixture
{
    vztest::Sandbox dir;
    QPrinter printer{QPrinter::HighResolution};
    OptionsHost host;
    TfrmPrintTS options{kSettingsKey, false};
    TfrmPrint page;
    DialogResponder responder;
    Hooks hooks;

    PrintFixture()
    {
        setLetter(printer);
        printer.setOutputFileName(dir.path(QStringLiteral("printed.pdf")));
        host.options = &options;
        page.setHost(&host);
        page.setScreenWidth(1920);
        page.setPrinter(&printer);
        page.resize(900, 700);
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        setPageChanged(false);
    }
    PageModel &model() { return page.model(); }
    PageObjectId place(const Picture &p)
    {
        page.placePictures({p});
        return model().pictures().last();
    }
    // A text box drawn with the page's New TextBox button.
    TTextBox *newBox(QRect r, const QString &text)
    {
        page.findChild<QAbstractButton *>(QStringLiteral("btnTextBox"))->click();
        QWidget *p = page.pnlPage();
        sendMouse(p, QEvent::MouseButtonPress, r.topLeft());
        sendMouse(p, QEvent::MouseMove, r.center());
        sendMouse(p, QEvent::MouseMove, r.bottomRight());
        sendMouse(p, QEvent::MouseButtonRelease, r.bottomRight());
        TTextBox *box = page.textBoxList().isEmpty() ? nullptr : page.textBoxList().last();
        if (box)
            box->setBoxText(text);
        return box;
    }
    // Opens the print dialog with the page's Print button and runs `inside` on it.
    void withPrintDialog(const std::function<void(TfrmVZPrintdlg &)> &inside)
    {
        hooks.onPrintDialog = inside;
        page.findChild<QAbstractButton *>(QStringLiteral("btnPrint"))->click();
        hooks.onPrintDialog = {};
    }
    QStringList messages() const { return responder.messages(); }
};

QAbstractButton *button(QWidget &w, const char *name) { return w.findChild<QAbstractButton *>(QLatin1String(name)); }

QAction *popupItem(TfrmPrint &page, const QString &caption)
{
    for (QAction *a : page.popupMenu()->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

// pdfinfo's fields of a file, empty when pdfinfo is missing.
QMap<QString, QString> pdfInfo(const QString &path)
{
    QMap<QString, QString> fields;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (tool.isEmpty())
        return fields;
    QProcess p;
    p.start(tool, {path});
    if (!p.waitForFinished(30000))
        return fields;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0)
            fields.insert(line.left(colon), line.mid(colon + 1).trimmed());
    }
    return fields;
}

// The first page at `dpi` through pdftoppm; null when it is missing.
QImage renderPdf(const QString &path, int dpi)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty())
        return QImage();
    const QString out = path + QStringLiteral(".render");
    QProcess p;
    p.start(tool, {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-singlefile"), path, out});
    if (!p.waitForFinished(60000))
        return QImage();
    return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// How many pixels of `area` are not near white.
int inkIn(const QImage &image, const QRect &area)
{
    int ink = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(row[x]) < 200)
                ++ink;
    }
    return ink;
}

} // namespace

class TestPrintDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void storedValues_data();
    void storedValues();
    void clickSequences_data();
    void clickSequences();
    void cancelKeepsBoxesReopenReloads_data();
    void cancelKeepsBoxesReopenReloads();
    void mainWindowMakesTheOptions_data();
    void mainWindowMakesTheOptions();
    void pageOpensTheOptions_data();
    void pageOpensTheOptions();
    void printDialogFollowsPrinter_data();
    void printDialogFollowsPrinter();
    void radioTurnsThePage();
    void printerSetup_data();
    void printerSetup();
    void printTextBoxesOnly();
    void printErrorsLeaveNothing_data();
    void printErrorsLeaveNothing();
    void completionAnswer_data();
    void completionAnswer();
    void convert24KeepsConvertedBitmap();
    void slowDownOnlyOnPrinterJobs();
    void tiledPrinterBoxes();
    void saveAsPdf_data();
    void saveAsPdf();
    void preview();
};

void TestPrintDialogs::initTestCase()
{
    // Run by hand, the test still never touches the user's settings.
    static QTemporaryDir settings;
    if (qEnvironmentVariableIsEmpty("VZ_REGISTRY_DIR"))
        qputenv("VZ_REGISTRY_DIR", QFile::encodeName(settings.path()));
}

void TestPrintDialogs::init()
{
    QFile::remove(registryFilePath());
}

void TestPrintDialogs::storedValues_data()
{
    QTest::addColumn<QString>("store");  // "values", "unreadable" or "local"
    QTest::addColumn<QString>("type");   // stored before: "none", "int:N", "string:S"
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("boxes");  // after loading
    QTest::addColumn<QString>("writtenType"); // after Ok ("same": the store is as it was)
    QTest::addColumn<QString>("writtenStyle");

    QTest::newRow("none") << "values" << "none" << "none" << "2/-" << "int:2" << "int:-1";
    QTest::newRow("type 0") << "values" << "int:0" << "none" << "0/-" << "int:0" << "int:-1";
    QTest::newRow("type 1, style 0") << "values" << "int:1" << "int:0" << "1/0" << "int:1" << "int:0";
    QTest::newRow("type 3, style 2") << "values" << "int:3" << "int:2" << "3/2" << "int:3" << "int:2";
    QTest::newRow("type 7") << "values" << "int:7" << "int:1" << "2/1" << "int:2" << "int:1";
    QTest::newRow("type -1") << "values" << "int:-1" << "none" << "2/-" << "int:2" << "int:-1";
    QTest::newRow("style 5") << "values" << "int:0" << "int:5" << "0/-" << "int:0" << "int:-1";
    // Values of another type read as missing, and Ok stores them as numbers.
    QTest::newRow("strings") << "values" << "string:3" << "string:0" << "2/-" << "int:2" << "int:-1";
    QTest::newRow("unreadable store") << "unreadable" << "none" << "none" << "2/-" << "same" << "same";
    QTest::newRow("local, empty store") << "local" << "none" << "none" << "2/-" << "same" << "same";
    QTest::newRow("local, stored values") << "local" << "int:0" << "int:1" << "2/-" << "same" << "same";
}

void TestPrintDialogs::storedValues()
{
    QFETCH(QString, store);
    QFETCH(QString, type);
    QFETCH(QString, style);
    QFETCH(QString, boxes);
    QFETCH(QString, writtenType);
    QFETCH(QString, writtenStyle);

    storeValue(kType, type);
    storeValue(kStyle, style);
    if (store == QLatin1String("unreadable")) {
        QFile f(registryFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a registry file\n");
    }
    const bool existed = QFile::exists(registryFilePath());
    const QByteArray before = storeBytes();

    DialogResponder responder;
    TfrmPrintTS ts(kSettingsKey, store != QLatin1String("local"));
    QCOMPARE(boxState(ts), boxes);
    QCOMPARE(ts.windowTitle(), QStringLiteral("Printing Options"));

    ts.btnOkClick();
    QVERIFY(responder.messages().isEmpty());
    if (writtenType == QLatin1String("same")) {
        QCOMPARE(QFile::exists(registryFilePath()), existed);
        QCOMPARE(storeBytes(), before);
    } else {
        QCOMPARE(storedValue(kType), writtenType);
        QCOMPARE(storedValue(kStyle), writtenStyle);
    }
    // The boxes still say what printing will use.
    QCOMPARE(boxState(ts), boxes);
}

void TestPrintDialogs::clickSequences_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("boxes");      // before Ok
    QTest::addColumn<QString>("afterOk");
    QTest::addColumn<QString>("writtenType");
    QTest::addColumn<QString>("writtenStyle");

    QTest::newRow("a type replaces the default") << QStringList{"chkDdb"} << "0/-" << "0/-" << "int:0" << "int:-1";
    QTest::newRow("styles exclude each other") << QStringList{"chkCompress", "chkWinStretch"} << "2/1" << "2/1" << "int:2" << "int:1";
    QTest::newRow("the groups are apart") << QStringList{"chkSlowDown", "chkExcellent", "chk24Bit"} << "1/2" << "1/2" << "int:1" << "int:2";
    QTest::newRow("a second click unchecks") << QStringList{"chkCompress", "chkCompress"} << "2/-" << "2/-" << "int:2" << "int:-1";
    QTest::newRow("an empty type group becomes StretchDIBits") << QStringList{"chkExcellent", "chkExcellent"} << "-/-" << "2/-" << "int:2" << "int:-1";
}

void TestPrintDialogs::clickSequences()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, boxes);
    QFETCH(QString, afterOk);
    QFETCH(QString, writtenType);
    QFETCH(QString, writtenStyle);

    TfrmPrintTS ts(kSettingsKey, true);
    QCOMPARE(boxState(ts), QStringLiteral("2/-"));
    for (const QString &name : clicks)
        clickBox(ts, name);
    QCOMPARE(boxState(ts), boxes);
    ts.btnOkClick();
    QCOMPARE(boxState(ts), afterOk);
    QCOMPARE(storedValue(kType), writtenType);
    QCOMPARE(storedValue(kStyle), writtenStyle);
}

void TestPrintDialogs::cancelKeepsBoxesReopenReloads_data()
{
    QTest::addColumn<bool>("useStore");
    QTest::addColumn<QString>("reopened");
    // The store is read again on every opening; without it the boxes hold for the run.
    QTest::newRow("store") << true << "3/-";
    QTest::newRow("local") << false << "0/1";
}

void TestPrintDialogs::cancelKeepsBoxesReopenReloads()
{
    QFETCH(bool, useStore);
    QFETCH(QString, reopened);
    storeValue(kType, QStringLiteral("int:3"));
    Hooks hooks;
    TfrmPrintTS ts(kSettingsKey, useStore);
    hooks.onOptions = [](TfrmPrintTS &dlg) {
        clickBox(dlg, QStringLiteral("chkDdb"));
        clickBox(dlg, QStringLiteral("chkWinStretch"));
        button(dlg, "btnCancel")->click();
    };
    QCOMPARE(ts.runModal(), int(QDialog::Rejected));
    QCOMPARE(hooks.optionsShown, 1);
    // Printing in the meantime uses what the user left.
    QCOMPARE(boxState(ts), QStringLiteral("0/1"));
    QCOMPARE(ts.printType(), PrintType::Ddb);
    QCOMPARE(ts.printStyle(), PrintStyle::WinStretch);
    QCOMPARE(storedValue(kType), QStringLiteral("int:3"));
    QCOMPARE(storedValue(kStyle), QStringLiteral("none"));

    QString seen;
    hooks.onOptions = [&](TfrmPrintTS &dlg) {
        seen = boxState(dlg);
        button(dlg, "btnOk")->click();
    };
    QCOMPARE(ts.runModal(), int(QDialog::Accepted));
    QCOMPARE(seen, reopened);
}

void TestPrintDialogs::mainWindowMakesTheOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("boxes");
    QTest::newRow("store") << QStringList() << "0/1";
    QTest::newRow("local") << QStringList{QStringLiteral("local")} << "2/-";
}

void TestPrintDialogs::mainWindowMakesTheOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, boxes);
    storeValue(kType, QStringLiteral("int:0"));
    storeValue(kStyle, QStringLiteral("int:1"));
    DialogResponder responder;
    Hooks hooks;
    TfrmVZMain w(args);
    QVERIFY(w.printOptions());
    QCOMPARE(boxState(*w.printOptions()), boxes);
    // The page reaches the same dialog: Ctrl+T there opens it.
    const TfrmPrintTS *seen = nullptr;
    hooks.onOptions = [&](TfrmPrintTS &dlg) { seen = &dlg; };
    QKeyEvent e(QEvent::KeyPress, Qt::Key_T, Qt::ControlModifier);
    w.printPage()->FormKeyDown(&e);
    QCOMPARE(hooks.optionsShown, 1);
    QCOMPARE(seen, w.printOptions());
}

void TestPrintDialogs::pageOpensTheOptions_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+T") << "key";
    QTest::newRow("popup") << "popup";
    QTest::newRow("print dialog") << "dialog";
}

void TestPrintDialogs::pageOpensTheOptions()
{
    QFETCH(QString, how);
    PrintFixture f;
    f.hooks.onOptions = [](TfrmPrintTS &dlg) { clickBox(dlg, QStringLiteral("chkCompress")); };
    if (how == QLatin1String("key")) {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_T, Qt::ControlModifier);
        f.page.FormKeyDown(&e);
    } else if (how == QLatin1String("popup")) {
        QAction *item = popupItem(f.page, QStringLiteral("Print Troubleshooting  (Ctrl + T)"));
        QVERIFY(item);
        item->trigger();
    } else {
        f.withPrintDialog([](TfrmVZPrintdlg &dlg) { button(dlg, "btnTroubleshoot")->click(); });
    }
    QCOMPARE(f.hooks.optionsShown, 1);
    // Left open by the hook: cancelled, the click still holds.
    QCOMPARE(f.options.printStyle(), PrintStyle::Compress);
}

void TestPrintDialogs::printDialogFollowsPrinter_data()
{
    QTest::addColumn<bool>("landscape");
    QTest::newRow("portrait") << false;
    QTest::newRow("landscape") << true;
}

void TestPrintDialogs::printDialogFollowsPrinter()
{
    QFETCH(bool, landscape);
    PrintFixture f;
    f.printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QString title, instructions, name;
    bool portraitChecked = false, landscapeChecked = false;
    f.withPrintDialog([&](TfrmVZPrintdlg &dlg) {
        title = dlg.windowTitle();
        name = dlg.printerNameText();
        instructions = dlg.findChild<QLabel *>(QStringLiteral("lblInstructions"))->text();
        portraitChecked = dlg.findChild<QRadioButton *>(QStringLiteral("rbPortrait"))->isChecked();
        landscapeChecked = dlg.findChild<QRadioButton *>(QStringLiteral("rbLandscape"))->isChecked();
    });
    QCOMPARE(f.hooks.printDialogsShown, 1);
    QCOMPARE(title, QStringLiteral("VZ Print"));
    QCOMPARE(name, f.printer.printerName());
    QCOMPARE(instructions, QStringLiteral("1.  Turn printer on and load paper.\n2.. If you have difficulties printing, select\n"
                                          "     the \"Printer Troubleshooting\"\n     button below (left)."));
    QCOMPARE(portraitChecked, !landscape);
    QCOMPARE(landscapeChecked, landscape);
    QCOMPARE(f.page.pnlPage()->width() > f.page.pnlPage()->height(), landscape);

    // The popup's Print opens it too.
    QAction *item = popupItem(f.page, QStringLiteral("Print (Ctrl + P)"));
    QVERIFY(item);
    item->trigger();
    QCOMPARE(f.hooks.printDialogsShown, 2);
}

void TestPrintDialogs::radioTurnsThePage()
{
    PrintFixture f;
    QSize portraitPage, landscapePage, backPage;
    f.withPrintDialog([&](TfrmVZPrintdlg &dlg) {
        portraitPage = f.page.pnlPage()->size();
        dlg.findChild<QRadioButton *>(QStringLiteral("rbLandscape"))->click();
        landscapePage = f.page.pnlPage()->size();
        QCOMPARE(f.printer.pageLayout().orientation(), QPageLayout::Landscape);
        dlg.findChild<QRadioButton *>(QStringLiteral("rbPortrait"))->click();
        backPage = f.page.pnlPage()->size();
    });
    QVERIFY(portraitPage.height() > portraitPage.width());
    QVERIFY(landscapePage.width() > landscapePage.height());
    QCOMPARE(backPage, portraitPage);
    QCOMPARE(f.printer.pageLayout().orientation(), QPageLayout::Portrait);
}

void TestPrintDialogs::printerSetup_data()
{
    QTest::addColumn<QString>("via");
    QTest::addColumn<bool>("turn");
    QTest::addColumn<bool>("accept");
    QTest::newRow("dialog, turned") << "dialog" << true << true;
    QTest::newRow("dialog, cancelled") << "dialog" << false << false;
    QTest::newRow("popup, turned") << "popup" << true << true;
}

void TestPrintDialogs::printerSetup()
{
    QFETCH(QString, via);
    QFETCH(bool, turn);
    QFETCH(bool, accept);
    PrintFixture f;
    const PageObjectId id = f.place(bitmap(300, 200));
    f.page.selectObject(id);
    QVERIFY(f.page.stretchHandle()->isAttached());
    QVERIFY(f.page.statusText(0) != QStringLiteral("Object Width: "));
    f.responder.queuePrinterSetup([&](QPrinter *p) {
        if (turn)
            p->setPageOrientation(QPageLayout::Landscape);
        return accept;
    });

    bool landscapeChecked = false;
    if (via == QLatin1String("dialog")) {
        f.withPrintDialog([&](TfrmVZPrintdlg &dlg) {
            button(dlg, "btnSetup")->click();
            landscapeChecked = dlg.findChild<QRadioButton *>(QStringLiteral("rbLandscape"))->isChecked();
        });
        QCOMPARE(landscapeChecked, turn);
    } else {
        QAction *item = popupItem(f.page, QStringLiteral("Print Setup (Ctrl + O)"));
        QVERIFY(item);
        item->trigger();
    }
    QCOMPARE(f.responder.requests().last().kind, DialogRequest::Printer);
    QVERIFY(!f.page.stretchHandle()->isAttached());
    QCOMPARE(f.page.selectedObject(), kNoObject);
    QCOMPARE(f.page.statusText(0), QStringLiteral("Object Width: "));
    QCOMPARE(f.page.statusText(3), QStringLiteral("Object Left: "));
    QCOMPARE(f.page.pnlPage()->width() > f.page.pnlPage()->height(), turn);
}

void TestPrintDialogs::printTextBoxesOnly()
{
    PrintFixture f;
    const QRect first(20, 30, 200, 80), second(60, 250, 180, 60);
    QVERIFY(f.newBox(first, QStringLiteral("First box text")));
    QVERIFY(f.newBox(second, QStringLiteral("Second box text")));
    f.page.ClearSelection();
    setPageChanged(false);
    const int steps = f.model().undoStack()->count();
    f.withPrintDialog([](TfrmVZPrintdlg &dlg) { button(dlg, "btnPrint")->click(); });

    QCOMPARE(f.messages(), QStringList{kCompleted});
    QCOMPARE(f.responder.requests().last().buttons, MsgButtons::OKRetry);
    // Nothing is left of the printing: no pictures, no cursor, no step, no flag.
    QVERIFY(f.model().pictures().isEmpty());
    QCOMPARE(f.model().textBoxes().size(), 2);
    QCOMPARE(WaitCursor::depth(), 0);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(f.model().undoStack()->count(), steps);
    QVERIFY(!pageChanged());

    const QString pdf = f.printer.outputFileName();
    QVERIFY(QFileInfo(pdf).size() > 0);
    const QMap<QString, QString> info = pdfInfo(pdf);
    if (info.isEmpty())
        QSKIP("pdfinfo is not installed");
    QCOMPARE(info.value(QStringLiteral("Title")), QStringLiteral("Vellozine"));
    QCOMPARE(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
    const QImage page = renderPdf(pdf, 72);
    QVERIFY(!page.isNull());
    // Page pixels to points: the printable area is the whole Letter page here.
    const double toPoints = 792.0 / f.page.pnlPage()->height();
    const auto onSheet = [&](const QRect &r) {
        return QRect(QPoint(int(r.left() * toPoints), int(r.top() * toPoints)),
                     QPoint(int(r.right() * toPoints), int(r.bottom() * toPoints)));
    };
    QVERIFY(inkIn(page, onSheet(first)) > 20);
    QVERIFY(inkIn(page, onSheet(second)) > 20);
    QCOMPARE(inkIn(page, onSheet(QRect(300, 400, 100, 100))), 0);
}

void TestPrintDialogs::printErrorsLeaveNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("dialogStays");
    QTest::newRow("bitmap load error") << "tiny bitmap" << "Bitmap load error" << false;
    QTest::newRow("job refused") << "unwritable" << "The printer refused the print job." << true;
    QTest::newRow("no printer") << "no printer" << "No printer is available." << true;
}

void TestPrintDialogs::printErrorsLeaveNothing()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(bool, dialogStays);
    PrintFixture f;
    // Without printers a fresh printer writes PDF, but to no file.
    QPrinter fresh(QPrinter::HighResolution);
    if (fault == QLatin1String("no printer")) {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("this machine has printers");
        f.page.setPrinter(&fresh);
    } else if (fault == QLatin1String("unwritable")) {
        f.printer.setOutputFileName(f.dir.path(QStringLiteral("no/such/folder/out.pdf")));
    }
    // A 2 x 2 bitmap at 24 bits has too few pixels for the banded printer.
    QImage tiny(2, 2, QImage::Format_BGR888);
    tiny.fill(Qt::red);
    f.place(fault == QLatin1String("tiny bitmap") ? Picture::fromImage(tiny) : bitmap(200, 100));
    QVERIFY(f.newBox(QRect(20, 300, 200, 60), QStringLiteral("a box")));
    setOptions(f.options, TfrmPrintTS::kTypeExcellent, TfrmPrintTS::kNone);
    const QList<PageObjectId> before = f.model().pictures();

    bool stayed = false;
    f.withPrintDialog([&](TfrmVZPrintdlg &dlg) {
        button(dlg, "btnPrint")->click();
        stayed = dlg.isVisible();
    });
    QCOMPARE(f.messages(), QStringList{message});
    QCOMPARE(stayed, dialogStays);
    QCOMPARE(f.model().pictures(), before);
    QCOMPARE(f.model().textBoxes().size(), 1);
    QCOMPARE(WaitCursor::depth(), 0);
    QVERIFY(!QApplication::overrideCursor());
}

void TestPrintDialogs::completionAnswer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("optionsShown");
    QTest::newRow("OK") << int(MsgResult::OK) << 0;
    QTest::newRow("Retry") << int(MsgResult::Retry) << 1;
}

void TestPrintDialogs::completionAnswer()
{
    QFETCH(int, answer);
    QFETCH(int, optionsShown);
    PrintFixture f;
    f.place(bitmap(120, 80));
    f.responder.queueResult(MsgResult(answer));
    f.page.PrintPage();
    QCOMPARE(f.messages(), QStringList{kCompleted});
    QCOMPARE(f.responder.requests().first().icon, MsgIcon::Information);
    QCOMPARE(f.hooks.optionsShown, optionsShown);

    // An empty page prints nothing and asks nothing.
    PrintFixture empty;
    empty.page.PrintPage();
    QVERIFY(empty.messages().isEmpty());
    QVERIFY(!QFile::exists(empty.printer.outputFileName()));
}

void TestPrintDialogs::convert24KeepsConvertedBitmap()
{
    PrintFixture f;
    const PageObjectId id = f.place(bitmap(200, 120));
    QCOMPARE(f.model().object(id)->picture.image().depth(), 32);
    setOptions(f.options, TfrmPrintTS::kTypeConvert24, TfrmPrintTS::kNone);
    setPageChanged(false);
    const int steps = f.model().undoStack()->count();
    f.page.PrintPage();
    QCOMPARE(f.messages(), QStringList{kCompleted});
    const Picture converted = f.model().object(id)->picture;
    QCOMPARE(converted.image().format(), QImage::Format_BGR888);
    QCOMPARE(qobject_cast<PlacedPicture *>(f.page.control(id))->picture().image().format(), QImage::Format_BGR888);
    QCOMPARE(f.model().undoStack()->count(), steps);
    QVERIFY(!pageChanged());
}

void TestPrintDialogs::slowDownOnlyOnPrinterJobs()
{
    PrintFixture f;
    f.place(bitmap(120, 80));
    f.place(bitmap(90, 60, Qt::green));
    setOptions(f.options, TfrmPrintTS::kTypeStretchDib, TfrmPrintTS::kStyleSlowDown);
    QList<int> waits;
    const SlowDownSleeper previous = setSlowDownSleeper([&](int ms) { waits << ms; });
    const auto restore = qScopeGuard([&] { setSlowDownSleeper(previous); });

    // One whole-bitmap transfer each.
    f.page.PrintPage();
    QCOMPARE(waits, (QList<int>{1000, 1000}));
    waits.clear();
    f.responder.queueFileName(f.dir.path(QStringLiteral("slow.pdf")));
    QVERIFY(f.page.SaveAsPdf(&f.page));
    QVERIFY(waits.isEmpty());
}

void TestPrintDialogs::tiledPrinterBoxes()
{
    // A printer that turns down the first device-independent tile: the page's
    // options make the tiled printer's box a plain one with its own caption.
    PrintFixture f;
    setOptions(f.options, TfrmPrintTS::kTypeExcellent, TfrmPrintTS::kNone);
    RecordingPrintDevice device(QSize(4800, 6600), 600);
    device.failTransfer(1);
    QList<PagePicture> pictures{{bitmap(300, 200), QRect(10, 10, 300, 200)}};
    const PagePrintResult result = printPage(device, pictures, 660, pagePrintOptions(&f.options, true));
    QCOMPARE(result.status, PagePrintResult::Status::Printed);
    QCOMPARE(f.messages(), QStringList{QStringLiteral("StretchDIBits failed! Trying BitBlt")});
    const DialogRequest r = f.responder.requests().first();
    QCOMPARE(r.caption, QStringLiteral("TExcellentImagePrinter"));
    QCOMPARE(r.icon, MsgIcon::None);
    QCOMPARE(r.buttons, MsgButtons::OK);
    // The refused tile went again, device-dependent.
    const QList<RecordingPrintDevice::Entry> sent = device.transfers();
    QVERIFY(sent.size() >= 2);
    QCOMPARE(sent.at(1).call, RecordingPrintDevice::Call::CopyDdb);
    QCOMPARE(sent.at(1).target.topLeft(), sent.at(0).target.topLeft());
}

void TestPrintDialogs::saveAsPdf_data()
{
    QTest::addColumn<QString>("name");    // answered in the save dialog ("" cancels)
    QTest::addColumn<QString>("written"); // the file that must exist afterwards ("" none)
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<bool>("oldFile");    // a file of that name was there before
    QTest::newRow("suffix added") << "page" << "page.pdf" << false << false;
    QTest::newRow("landscape, replaces the old file") << "old.pdf" << "old.pdf" << true << true;
    QTest::newRow("cancelled") << "" << "" << false << false;
    QTest::newRow("unwritable folder") << "missing/x.pdf" << "" << false << false;
}

void TestPrintDialogs::saveAsPdf()
{
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(bool, landscape);
    QFETCH(bool, oldFile);
    PrintFixture f;
    f.printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    f.page.RefreshPage();
    f.place(bitmap(160, 100, Qt::red));
    QVERIFY(f.newBox(QRect(30, 300, 200, 60), QStringLiteral("saved text")));
    const QString oldPath = f.dir.path(QStringLiteral("old.pdf"));
    if (oldFile)
        f.dir.write(QStringLiteral("old.pdf"), "previous content");
    if (!name.isEmpty())
        f.responder.queueFileName(f.dir.path(name));

    bool saved = false;
    f.withPrintDialog([&](TfrmVZPrintdlg &dlg) {
        button(dlg, "btnSavePdf")->click();
        saved = !written.isEmpty() && dlg.isVisible();
    });
    const DialogRequest ask = f.responder.requests().first();
    QCOMPARE(ask.kind, DialogRequest::SaveFile);
    QCOMPARE(ask.filter, QStringLiteral("PDF (*.pdf)"));
    QCOMPARE(ask.defaultSuffix, QStringLiteral("pdf"));
    QVERIFY(f.model().pictures().size() == 1);
    QVERIFY(!QApplication::overrideCursor());
    // Nothing is left beside the file but the file.
    QStringList expected;
    if (!written.isEmpty())
        expected << written;
    else if (oldFile)
        expected << QStringLiteral("old.pdf");
    QStringList files = QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    expected.sort();
    QCOMPARE(files, expected);
    if (written.isEmpty()) {
        QCOMPARE(f.messages().size(), name.isEmpty() ? 0 : 1);
        return;
    }
    QVERIFY(saved); // the print dialog stays for printing
    QVERIFY(f.messages().isEmpty());
    const QString path = f.dir.path(written);
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    const QMap<QString, QString> info = pdfInfo(path);
    if (info.isEmpty())
        QSKIP("pdfinfo is not installed");
    QCOMPARE(info.value(QStringLiteral("Title")), QStringLiteral("Vellozine"));
    QCOMPARE(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
    QVERIFY2(info.value(QStringLiteral("Page size")).startsWith(landscape ? QStringLiteral("792 x 612") : QStringLiteral("612 x 792")),
             qPrintable(info.value(QStringLiteral("Page size"))));
    const QImage sheet = renderPdf(path, 72);
    const double toPoints = (landscape ? 612.0 : 792.0) / f.page.pnlPage()->height();
    const QRect placed = f.model().object(f.model().pictures().first())->rect;
    const QPoint centre(int(placed.center().x() * toPoints), int(placed.center().y() * toPoints));
    QCOMPARE(QColor(sheet.pixel(centre)).red() > 200 && QColor(sheet.pixel(centre)).green() < 80, true);
    QVERIFY(inkIn(sheet, QRect(int(30 * toPoints), int(300 * toPoints), int(200 * toPoints), int(60 * toPoints))) > 10);
}

void TestPrintDialogs::preview()
{
    PrintFixture f;
    f.place(bitmap(160, 100));
    QVERIFY(f.newBox(QRect(30, 300, 200, 60), QStringLiteral("previewed")));
    QList<int> waits;
    setOptions(f.options, TfrmPrintTS::kTypeStretchDib, TfrmPrintTS::kStyleSlowDown);
    const SlowDownSleeper previous = setSlowDownSleeper([&](int ms) { waits << ms; });
    const auto restore = qScopeGuard([&] { setSlowDownSleeper(previous); });

    bool printActionShown = true;
    int pages = 0;
    bool landscapeChecked = false;
    QSize pageAfterTurn;
    bool previewSeen = false;
    f.withPrintDialog([&](TfrmVZPrintdlg &dlg) {
        QTimer::singleShot(0, &dlg, [&] {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!preview)
                return;
            previewSeen = true;
            printActionShown = false;
            for (QAction *a : preview->findChildren<QAction *>())
                if (a->text().remove(QLatin1Char('&')) == QLatin1String("Print") && a->isVisible() && a->isEnabled())
                    printActionShown = true;
            pages = preview->findChild<QPrintPreviewWidget *>()->pageCount();
            for (QAction *a : preview->findChildren<QAction *>())
                if (a->text() == QLatin1String("Landscape"))
                    a->trigger();
            pageAfterTurn = f.page.pnlPage()->size();
            preview->reject();
        });
        button(dlg, "btnPreview")->click();
        landscapeChecked = dlg.findChild<QRadioButton *>(QStringLiteral("rbLandscape"))->isChecked();
    });
    QVERIFY(previewSeen);
    QVERIFY(!printActionShown);
    QCOMPARE(pages, 1);
    QCOMPARE(f.printer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(pageAfterTurn.width() > pageAfterTurn.height());
    QVERIFY(landscapeChecked);
    // Each painting took its boxes' pictures away again, and never waited or asked.
    QCOMPARE(f.model().pictures().size(), 1);
    QVERIFY(waits.isEmpty());
    QVERIFY(f.messages().isEmpty());
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestPrintDialogs)
#include "tst_printdialogs.moc"
