// The quick tour inside the main window: the start-up tour, Ctrl+T, the
// actions on the real pages, the desktop opener and the demo tours.

#include "clipboards/ToteBags.h"
#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "common/formBaseDlg.h"
#include "imagesets/MemTable.h"
#include "imaging/FormEnlarge.h"
#include "imaging/RasterEffects.h"
#include "lettering/AlphabetPage.h"
#include "lettering/ImageStringEdit.h"
#include "platform/Registry.h"
#include "platform/ShellOpen.h"
#include "printpage/PageModel.h"
#include "printpage/formPrint.h"
#include "shell/AppState.h"
#include "shell/FormTour.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

using namespace vz;

namespace {

using Codes = QList<int>; // three per step

// A tour file whose steps take their codes three by three.
QByteArray tourFile(const Codes &codes, const QString &methodText = QString())
{
    MemTable t(TourScript().table().fields());
    for (int i = 0; i + 2 < codes.size(); i += 3) {
        const int r = t.appendRecord();
        t.setText(r, t.fieldIndex("TourTitle"), QStringLiteral("Step %1").arg(r + 1));
        t.setInteger(r, t.fieldIndex("TourMethodint"), codes[i]);
        t.setInteger(r, t.fieldIndex("TourMethodint2"), codes[i + 1]);
        t.setInteger(r, t.fieldIndex("TourMethodint3"), codes[i + 2]);
        t.setText(r, t.fieldIndex("TourMeathodText"), methodText);
    }
    return t.saveToBytes();
}

QString title(TfrmTour *tour) { return tour->findChild<QLabel *>(QStringLiteral("lblTourTitle"))->text(); }
void pressNext(TfrmTour *tour) { tour->findChild<QAbstractButton *>(QStringLiteral("btnNext"))->click(); }

QList<TfrmTour *> visibleTours(const QWidget &main)
{
    QList<TfrmTour *> out;
    for (TfrmTour *t : main.findChildren<TfrmTour *>())
        if (t->isVisible())
            out.append(t);
    return out;
}

QImage gradient(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(200, (x * 255) / width, (y * 255) / height);
    }
    return img;
}

void putRaster(int bag, const QImage &image)
{
    toteBag(bag).RasterHolder.setBitmap(image);
    toteBag(bag).HasRaster = true;
}

QString runTourValue()
{
    RegistryKey reg(RegRoot::LocalMachine);
    if (!reg.openKey(kSettingsKey, false) || !reg.valueExists(QStringLiteral("RunTour")))
        return QStringLiteral("absent");
    return QString::number(reg.readInteger(QStringLiteral("RunTour")));
}

// Every box of the base dialog answers Cancel; their names are kept.
struct CancelBoxes
{
    QStringList seen;
    CancelBoxes()
    {
        TfrmBaseDlg::setModalHook([this](TfrmBaseDlg &dlg) {
            seen.append(dlg.objectName());
            dlg.fcImageBtn1()->click();
        });
    }
    ~CancelBoxes() { TfrmBaseDlg::setModalHook({}); }
};

} // namespace

class TestTourWiring : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startupTour_data();
    void startupTour();
    void ctrlTDuringStartupTour();
    void chooserCancelFreesWindow();
    void pageCodes_data();
    void pageCodes();
    void typingAndSystemClipboard();
    void clipboardsToPrintPage_data();
    void clipboardsToPrintPage();
    void previewCodes_data();
    void previewCodes();
    void missTypedAndPopup();
    void modalBoxNotUnderTour();
    void desktopOpener_data();
    void desktopOpener();
    void demoTours_data();
    void demoTours();

private:
    // A tour written into the program's Tours folder, started with Ctrl+T's
    // command and its chooser answered.
    TfrmTour *startTour(TfrmVZMain &w, DialogResponder &responder, const QByteArray &tour);

    std::unique_ptr<vztest::Sandbox> m_box;
};

void TestTourWiring::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->write("program/characters", "A=A\r\nsmalla=a\r\nSPACE= \r\n");
    m_box->write("program/Alphabets/Color/First/ImageSetData.qn", "Version=2\r\nName=First\r\nType=CA\r\n");
    m_box->write("program/Alphabets/Color/Second/ImageSetData.qn", "Version=2\r\nName=Second\r\nType=Font\r\n");
    setProgramFolder(m_box->path("program"));
    QFile::remove(registryFilePath());
    clearAllToteBags();
    setCopiedImageShown(false);
}

void TestTourWiring::cleanup()
{
    setShellOpenHook({});
    TfrmBaseDlg::setModalHook({});
}

TfrmTour *TestTourWiring::startTour(TfrmVZMain &w, DialogResponder &responder, const QByteArray &tour)
{
    responder.queueFileName(m_box->write("program/Tours/test.tor", tour));
    const QList<TfrmTour *> before = w.findChildren<TfrmTour *>();
    w.startTour();
    for (TfrmTour *t : w.findChildren<TfrmTour *>())
        if (!before.contains(t))
            return t;
    return nullptr;
}

void TestTourWiring::startupTour_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("stored"); // RunTour before: "absent", "1", "0"; "unreadable": the whole store
    QTest::addColumn<bool>("tourFile");  // Tours/buttons.tor present
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("after");
    QTest::newRow("absent: written, shown") << QStringList{} << "absent" << true << true << "1";
    QTest::newRow("true") << QStringList{} << "1" << true << true << "1";
    QTest::newRow("false") << QStringList{} << "0" << true << false << "0";
    QTest::newRow("local: store untouched") << QStringList{"local"} << "absent" << true << false << "absent";
    QTest::newRow("unreadable store") << QStringList{} << "unreadable" << true << false << "";
    QTest::newRow("no buttons.tor") << QStringList{} << "1" << false << false << "1";
}

void TestTourWiring::startupTour()
{
    QFETCH(QStringList, args);
    QFETCH(QString, stored);
    QFETCH(bool, tourFile);
    QFETCH(bool, shown);
    QFETCH(QString, after);
    if (tourFile)
        m_box->write("program/Tours/buttons.tor", ::tourFile({0, 0, 0, 0, 0, 0}));
    if (stored == QLatin1String("unreadable")) {
        if (!vztest::makeUnreadable(registryFilePath()))
            QSKIP("no unreadable file on this system");
    } else if (stored != QLatin1String("absent")) {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(reg.openKey(kSettingsKey, true));
        reg.writeBool(QStringLiteral("RunTour"), stored == QLatin1String("1"));
        reg.writeBool(QStringLiteral("HasNewQNFile"), false); // no catalog update at the first tick
    }
    auto unlink = qScopeGuard([] { QFile::remove(registryFilePath()); });
    DialogResponder responder;
    TfrmVZMain w(args);
    if (stored == QLatin1String("absent") && args.isEmpty()) {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(reg.openKey(kSettingsKey, true));
        reg.writeBool(QStringLiteral("HasNewQNFile"), false);
    }
    w.Timer1Timer();
    const QList<TfrmTour *> tours = visibleTours(w);
    QCOMPARE(tours.size(), shown ? 1 : 0);
    // A tour not shown is freed at once.
    QCOMPARE(w.findChildren<TfrmTour *>().size(), shown ? 1 : 0);
    if (shown) {
        QVERIFY(tours.first()->checkBox1()->isVisible());
        QCOMPARE(title(tours.first()), QStringLiteral("Step 1"));
    }
    if (!after.isEmpty())
        QCOMPARE(runTourValue(), after);
    QCOMPARE(responder.messages(), QStringList());
}

void TestTourWiring::ctrlTDuringStartupTour()
{
    m_box->write("program/Tours/buttons.tor", tourFile({0, 0, 0, 0, 0, 0}));
    {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(reg.openKey(kSettingsKey, true));
        reg.writeBool(QStringLiteral("HasNewQNFile"), false);
    }
    auto unlink = qScopeGuard([] { QFile::remove(registryFilePath()); });
    DialogResponder responder;
    TfrmVZMain w({});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Timer1Timer();
    QCOMPARE(visibleTours(w).size(), 1);
    TfrmTour *first = visibleTours(w).first();

    // The tips toggle up: the rotation stops and the panel folds.
    auto *tipsToggle = w.findChild<QAbstractButton *>("btnTipsHide");
    tipsToggle->click();
    QVERIFY(!w.tipTimer()->isActive());

    const QString second = m_box->write("program/Tours/second.tor", tourFile({0, 0, 0, 0, 0, 0, 0, 0, 0}));
    responder.queueFileName(second);
    auto *list = w.findChild<QListWidget *>("ListAlpha");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_T, Qt::ControlModifier);

    QCOMPARE(visibleTours(w).size(), 2);
    TfrmTour *other = visibleTours(w).last() == first ? visibleTours(w).first() : visibleTours(w).last();
    QVERIFY(other != first);
    QVERIFY(!other->checkBox1()->isVisible());
    QCOMPARE(other->script().stepCount(), 3);
    const DialogRequest chooser = responder.requests().constLast();
    QCOMPARE(chooser.kind, DialogRequest::OpenFile);
    QCOMPARE(chooser.text, QStringLiteral("Open a Quick Tour"));
    QCOMPARE(QDir::cleanPath(chooser.folder), QDir::cleanPath(programFolder() + "Tours"));
    QCOMPARE(chooser.filter, QStringLiteral("VZ Tour (*.tor)"));
    // Both panels out; the toggle down, the rotation still stopped.
    QVERIFY(tipsToggle->isChecked());
    QVERIFY(w.findChild<QAbstractButton *>("btnclipHide")->isChecked());
    QVERIFY(!w.tipTimer()->isActive());

    // The two tours go on their own.
    pressNext(other);
    QCOMPARE(title(other), QStringLiteral("Step 2"));
    QCOMPARE(title(first), QStringLiteral("Step 1"));
}

void TestTourWiring::chooserCancelFreesWindow()
{
    DialogResponder responder;
    TfrmVZMain w({"local"});
    QSignalSpy spy(&w, &TfrmVZMain::commandRun);
    w.findChild<QAbstractButton *>("btnTour")->click();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toString(), QStringLiteral("btnTour"));
    QCOMPARE(responder.requests().size(), 1);
    QTRY_VERIFY(w.findChildren<TfrmTour *>().isEmpty());
}

void TestTourWiring::pageCodes_data()
{
    QTest::addColumn<Codes>("codes"); // the second step's
    QTest::addColumn<QString>("mainPage");
    QTest::addColumn<QString>("lowerPage");
    QTest::addColumn<QString>("button"); // the page button left down
    QTest::newRow("1 Mix & Match") << Codes{1, 0, 0} << "VZAlphabet" << "MixMatch" << "btnMixMatch";
    QTest::newRow("2 after 3") << Codes{3, 2, 0} << "VZAlphabet" << "Alpha" << "btnAlpha";
    QTest::newRow("3 Enhancements") << Codes{3, 0, 0} << "VZPlugins" << "Print" << "btnEnhance";
    QTest::newRow("4 print page") << Codes{4, 0, 0} << "VZPrint" << "Print" << "btnPrintPreview";
    QTest::newRow("34 Clipart") << Codes{34, 0, 0} << "VZClipart" << "Clipart" << "btnClipart";
    QTest::newRow("34 twice stays down") << Codes{34, 34, 0} << "VZClipart" << "Clipart" << "btnClipart";
}

void TestTourWiring::pageCodes()
{
    QFETCH(Codes, codes);
    QFETCH(QString, mainPage);
    QFETCH(QString, lowerPage);
    QFETCH(QString, button);
    DialogResponder responder;
    TfrmVZMain w({"local"});
    w.show();
    TfrmTour *tour = startTour(w, responder, tourFile(Codes{0, 0, 0} + codes));
    QVERIFY(tour);
    QVERIFY(tour->isVisible());
    pressNext(tour);
    QCOMPARE(w.mainPageName(), mainPage);
    QCOMPARE(w.lowerPageName(), lowerPage);
    QVERIFY(w.findChild<QAbstractButton *>(button)->isChecked());
    QCOMPARE(w.printPage()->isShowing(), mainPage == QLatin1String("VZPrint"));
    QCOMPARE(responder.messages(), QStringList());
}

void TestTourWiring::typingAndSystemClipboard()
{
    DialogResponder responder;
    TfrmVZMain w({"local"});
    TfrmTour *tour = startTour(w, responder, tourFile({0, 0, 0, 6, 25, 0}, QStringLiteral("Aa")));
    QVERIFY(tour);
    pressNext(tour);
    QCOMPARE(w.alphabetPage()->typingBox()->text(), QStringLiteral("Aa"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Aa"));
}

void TestTourWiring::clipboardsToPrintPage_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("bag"); // whose picture lands on the page
    QTest::newRow("15 Alphabets") << 15 << int(kAlphaClip);
    QTest::newRow("16 Mix & Match") << 16 << int(kMixClip);
    QTest::newRow("17 Windows") << 17 << int(kWindowsClip);
    QTest::newRow("18 Clipart") << 18 << int(kClipartClip);
}

void TestTourWiring::clipboardsToPrintPage()
{
    QFETCH(int, code);
    QFETCH(int, bag);
    for (int n = 1; n <= 4; ++n)
        putRaster(n, gradient(10 * n, 8)); // each clipboard known by its width
    DialogResponder responder;
    TfrmVZMain w({"local"});
    w.show();
    TfrmTour *tour = startTour(w, responder, tourFile({0, 0, 0, 4, code, 0}));
    QVERIFY(tour);
    pressNext(tour);
    PageModel &model = w.printPage()->model();
    QCOMPARE(model.pictures().size(), 1);
    QCOMPARE(model.object(model.pictures().first())->picture.width(), 10 * bag);
}

void TestTourWiring::previewCodes_data()
{
    QTest::addColumn<QString>("content"); // the Alphabets clipboard: "raster", "picture" or "empty"
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("raster");
    QTest::newRow("raster") << "raster" << true << true;
    QTest::newRow("picture only") << "picture" << true << false;
    QTest::newRow("empty") << "empty" << false << false;
}

void TestTourWiring::previewCodes()
{
    QFETCH(QString, content);
    QFETCH(bool, opens);
    QFETCH(bool, raster);
    const QImage original = gradient(40, 20);
    if (content == QLatin1String("raster")) {
        putRaster(kAlphaClip, original);
    } else if (content == QLatin1String("picture")) {
        toteBag(kAlphaClip).PictureHolder = Picture::fromImage(original);
        toteBag(kAlphaClip).HasPicture = true;
    }
    DialogResponder responder;
    TfrmVZMain w({"local"});
    w.show();
    TfrmTour *tour = startTour(w, responder, tourFile({0, 0, 0, 2, 10, 0, 11, 12, 13, 14, 0, 0}));
    QVERIFY(tour);
    const QRect area = w.screen()->availableGeometry();
    TEnlargedView *view = w.enlargedView();

    pressNext(tour); // 2, 10: the Alphabets page, the preview opens without blocking
    QCOMPARE(tour->pos(), QPoint(area.left() + 10, area.top() + area.height() - tour->frameGeometry().height()));
    QCOMPARE(view->isVisible(), opens);
    if (opens) {
        QVERIFY(view->isShownNonModal());
        QCOMPARE(view->isRasterMode(), raster);
    }
    pressNext(tour); // 11, 12, 13: effects only on a raster shown
    if (raster) {
        QImage expected = original;
        applyEffect(expected, Effect::Hue, 110);
        applyEffect(expected, Effect::Contrast, 200);
        applyEffect(expected, Effect::Flip, 0);
        QCOMPARE(view->Fimgset().Bitmap(), expected);
    }
    pressNext(tour); // 14: OK writes back to the Alphabets clipboard; the tour goes back up
    QVERIFY(!view->isVisible());
    QCOMPARE(tour->pos().y(), area.top() + 20);
    QCOMPARE(toteBag(kAlphaClip).HasRaster, raster);
    if (raster)
        QVERIFY(toteBag(kAlphaClip).RasterHolder.Bitmap() != original);
    QCOMPARE(responder.messages(), QStringList());
}

void TestTourWiring::missTypedAndPopup()
{
    DialogResponder responder;
    TfrmVZMain w({"local"});
    w.show();
    TfrmTour *tour = startTour(w, responder, tourFile({0, 0, 0, 4, 99, 30}));
    QVERIFY(tour);
    pressNext(tour);
    QCOMPARE(responder.messages(), QStringList{kMissTypedMessage});
    // The menu is up and the tour goes on beside it.
    QMenu *menu = w.printPage()->popupMenu();
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), QPoint(100, 100));
    QVERIFY(tour->isVisible());
    menu->close();
}

void TestTourWiring::modalBoxNotUnderTour()
{
    DialogResponder responder;
    TfrmVZMain w({"local"});
    w.show();
    TfrmTour *tour = startTour(w, responder, tourFile({0, 0, 0}));
    QVERIFY(tour);
    bool answered = false;
    TfrmBaseDlg::setModalHook([&](TfrmBaseDlg &dlg) {
        QTRY_VERIFY(!(tour->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(tour->isVisible());
        answered = true;
        dlg.fcImageBtn1()->click();
    });
    w.btnHelpClick();
    QVERIFY(answered);
    QTRY_VERIFY(tour->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(tour->isVisible());
}

void TestTourWiring::desktopOpener_data()
{
    QTest::addColumn<QString>("what"); // "help", "update" or "code 31"
    QTest::addColumn<bool>("opener");  // a fake xdg-open first on PATH; without it none at all
    QTest::addColumn<QString>("opened");
    QTest::newRow("help page") << "help" << true << "PAGE";
    QTest::newRow("update page") << "update" << true << kUpdatePage;
    QTest::newRow("code 31") << "code 31" << true << kMakerSite;
    QTest::newRow("code 31, no opener") << "code 31" << false << "";
    QTest::newRow("help, no opener") << "help" << false << "";
}

void TestTourWiring::desktopOpener()
{
    QFETCH(QString, what);
    QFETCH(bool, opener);
    QFETCH(QString, opened);
    const QString page = m_box->write("program/Help/default.html", "<html></html>");
    opened.replace(QStringLiteral("PAGE"), page);
    const QString out = m_box->path("opened.txt");
    const QString bin = m_box->path("bin");
    QDir().mkpath(bin);
    if (opener) {
        const QString script = m_box->write("bin/xdg-open", QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n")
                                                              .arg(out)
                                                              .toLocal8Bit());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray oldPath = qgetenv("PATH");
    auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    // Without an opener nothing else on PATH may stand in for it.
    qputenv("PATH", opener ? bin.toLocal8Bit() + ':' + oldPath : bin.toLocal8Bit());

    DialogResponder responder;
    TfrmVZMain w({"local"});
    if (what == QLatin1String("code 31")) {
        TfrmTour *tour = startTour(w, responder, tourFile({0, 0, 0, 31, 0, 0}));
        QVERIFY(tour);
        pressNext(tour);
    } else {
        const bool about = what == QLatin1String("update");
        TfrmBaseDlg::setModalHook([about](TfrmBaseDlg &dlg) {
            if (dlg.objectName() == QLatin1String("TfrmHelpDlg") && about)
                dlg.findChild<QRadioButton *>("rbAbout")->click();
            if (dlg.objectName() == QLatin1String("TfrmAbout"))
                dlg.findChild<QRadioButton *>("rbUpdate")->click();
            dlg.btnOk()->click();
        });
        w.btnHelpClick();
    }
    if (opener) {
        QFile f(out);
        QTRY_VERIFY(f.exists() && f.size() > 0);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(f.readAll()).trimmed(), opened);
        QCOMPARE(responder.messages(), QStringList());
    } else {
        const QString target = what == QLatin1String("help") ? page : kMakerSite;
        QCOMPARE(responder.messages(), QStringList{QStringLiteral("Cannot open \"%1\".").arg(target)});
        QCOMPARE(responder.requests().constLast().icon, MsgIcon::Error);
    }
}

void TestTourWiring::demoTours_data()
{
    QTest::addColumn<QString>("tour");
    QTest::newRow("buttons") << "buttons.tor";
    QTest::newRow("printpage") << "printpage.tor";
}

void TestTourWiring::demoTours()
{
    QFETCH(QString, tour);
    const QString built = QStringLiteral(VZ_PROGRAM_DIR "/");
    if (!QFileInfo::exists(built + "Tours/" + tour) || !QFileInfo::exists(built + "Alphabets/Color"))
        QSKIP("no demo data in the built program folder");
    // A copy: a first start changes the folder it runs in.
    const QString program = m_box->path("demo");
    QProcess cp;
    cp.start(QStringLiteral("cp"), {QStringLiteral("-a"), built, program});
    QVERIFY(cp.waitForFinished(120000) && cp.exitCode() == 0);
    setProgramFolder(program);

    QStringList opened;
    setShellOpenHook([&opened](const QString &what) { opened.append(what); });
    CancelBoxes boxes;
    DialogResponder responder; // message boxes: their first button (OK, Yes); file dialogs: cancelled
    TfrmVZMain w({"local"});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Timer1Timer();
    QSignalSpy added(&w.printPage()->model(), &PageModel::objectAdded);
    QSignalSpy removed(&w.printPage()->model(), &PageModel::objectRemoved);
    responder.queueFileName(programFolder() + "Tours/" + tour);
    w.findChild<QAbstractButton *>("btnTour")->click();
    QList<TfrmTour *> tours = visibleTours(w);
    QCOMPARE(tours.size(), 1);
    QPointer<TfrmTour> window = tours.first();
    const int steps = window->script().stepCount();
    QVERIFY(steps >= 5);
    QImage word; // the Alphabets clipboard as the word was sent (code 7)
    for (int press = 1; press <= steps; ++press) {
        pressNext(window);
        QVERIFY2(window && window->isVisible(), qPrintable(QStringLiteral("closed at press %1").arg(press)));
        for (int which = 0; which < 3; ++which)
            if (window->script().code(which) == 7)
                word = toteBag(kAlphaClip).RasterHolder.Bitmap();
    }
    QVERIFY(!word.isNull());
    pressNext(window);
    QTRY_VERIFY(window.isNull());

    QVERIFY2(!responder.messages().contains(kMissTypedMessage), qPrintable(responder.messages().join('|')));
    for (const DialogRequest &r : responder.requests())
        QVERIFY2(!(r.kind == DialogRequest::Message && r.icon == MsgIcon::Error), qPrintable(r.text));
    QVERIFY(!w.enlargedView()->isVisible());
    QVERIFY(boxes.seen.isEmpty());
    PageModel &page = w.printPage()->model();
    QVERIFY(toteBag(kAlphaClip).HasRaster);
    QVERIFY(toteBag(kClipartClip).holdsImage());
    if (tour == QLatin1String("buttons.tor")) {
        // The word went through the preview (hue, contrast, flip) and back
        // to its own clipboard.
        QVERIFY(toteBag(kAlphaClip).RasterHolder.Bitmap() != word);
        QVERIFY(toteBag(kMixClip).HasRaster);
        QCOMPARE(page.pictures().size(), 2); // the Alphabets and Clipart clipboards
        QCOMPARE(added.count(), 2);
        QCOMPARE(w.mainPageName(), QStringLiteral("VZAlphabet"));
    } else {
        // Placed two, pasted a copy, deleted the selected one; Clear asked to
        // save first, and the cancelled save kept the page.
        QCOMPARE(toteBag(kAlphaClip).RasterHolder.Bitmap(), word);
        QVERIFY(responder.messages().contains(QStringLiteral("Would you like to save before you clear this page?")));
        QCOMPARE(added.count(), 3);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(page.pictures().size(), 2);
        QCOMPARE(w.mainPageName(), QStringLiteral("VZPrint"));
    }
}

QTEST_MAIN(TestTourWiring)
#include "tst_tourwiring.moc"
