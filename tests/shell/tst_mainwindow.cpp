#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "imaging/PictureView.h"
#include "common/CollapsiblePanel.h"
#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "imagesets/CharacterMap.h"
#include "lettering/AlphabetPage.h"
#include "lettering/MixMatchPage.h"
#include "platform/Registry.h"
#include "printpage/formPrint.h"
#include "shell/AppState.h"
#include "common/formBaseDlg.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QToolButton>

using namespace vz;

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void startupLocalLeavesSettingsAlone();
    void startupUsesSettings_data();
    void startupUsesSettings();
    void charactersMissingEndsProgram_data();
    void charactersMissingEndsProgram();
    void unreadableSetFileLeavesListEmpty();
    void windowLayout();
    void pageSwitching_data();
    void pageSwitching();
    void keyMap_data();
    void keyMap();
    void mixMatchKeysFromAnyControl();
    void printPageTakesKeys();
    void togglesFollowPanels();
    void resizeReloadsAlphabet();
    void pictureFromAnotherProgram();
    void pictureOnClipboardAtStart();

private:
    QString registryFile() const { return registryFilePath(); }
    void writeRegistry(const QString &imageDir, const QString &version);

    std::unique_ptr<vztest::Sandbox> m_box;
};

void TestMainWindow::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->write("program/characters", "A=A\r\nsmalla=a\r\nSPACE= \r\n");
    m_box->write("program/Alphabets/Color/First/ImageSetData.qn", "Version=2\r\nName=First\r\nType=CA\r\n");
    m_box->write("program/Alphabets/Color/Second/ImageSetData.qn", "Version=2\r\nName=Second\r\nType=Font\r\n");
    setProgramFolder(m_box->path("program"));
    QFile::remove(registryFile());
    setCopiedImageShown(false);
}

void TestMainWindow::writeRegistry(const QString &imageDir, const QString &version)
{
    RegistryKey reg(RegRoot::LocalMachine);
    QVERIFY(reg.openKey(kSettingsKey, true));
    if (!imageDir.isNull())
        reg.writeString("ImageDir", imageDir);
    if (!version.isNull())
        reg.writeString("VersionNum", version);
}

void TestMainWindow::startupLocalLeavesSettingsAlone()
{
    TfrmVZMain w({"local"});
    QVERIFY(!w.terminateRequested());
    QVERIFY(!QFile::exists(registryFile()));
    QVERIFY(!QDir(registryFolder()).exists() || QDir(registryFolder()).isEmpty());
    QCOMPARE(versionText(), QString());
    QCOMPARE(w.state().imageFolder, m_box->path("program/"));
    // The alphabet list holds the scanned alphabets and "More...", the first chosen.
    auto *list = w.findChild<QListWidget *>("ListAlpha");
    QVERIFY(list);
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(2)->text(), QString("More..."));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(w.state().alphabetName, QString("First"));
    QCOMPARE(w.state().mixLineCount, 1);
}

void TestMainWindow::startupUsesSettings_data()
{
    QTest::addColumn<QString>("arg");
    QTest::addColumn<QString>("imageDir");   // null: absent
    QTest::addColumn<QString>("version");    // null: absent
    QTest::addColumn<QString>("expectedImageFolder"); // relative to the sandbox
    QTest::addColumn<QString>("storedImageDir");
    QTest::newRow("fresh, LOCAL is not local") << "LOCAL" << QString() << QString() << "program/" << "program/";
    QTest::newRow("image dir kept") << "" << "images" << "3.20.2" << "images/" << "images";
    QTest::newRow("missing image dir") << "" << "nowhere" << "3.10" << "program/" << "nowhere";
    QTest::newRow("empty image dir") << "" << "" << "" << "program/" << "";
}

void TestMainWindow::startupUsesSettings()
{
    QFETCH(QString, arg);
    QFETCH(QString, imageDir);
    QFETCH(QString, version);
    QFETCH(QString, expectedImageFolder);
    QFETCH(QString, storedImageDir);
    m_box->mkdir("images");
    auto abs = [&](const QString &rel) { return rel.isEmpty() ? QString(QLatin1String("")) : m_box->path(rel); };
    if (!imageDir.isNull() || !version.isNull())
        writeRegistry(imageDir.isNull() ? QString() : abs(imageDir), version);

    TfrmVZMain w(arg.isEmpty() ? QStringList() : QStringList{arg});
    QCOMPARE(w.state().imageFolder, m_box->path(expectedImageFolder));
    QCOMPARE(versionText(), QString("3.20.2"));
    RegistryKey reg(RegRoot::LocalMachine);
    QVERIFY(reg.openKey(kSettingsKey, false));
    QCOMPARE(reg.readString("VersionNum"), QString("3.20.2"));
    // ImageDir is written only when absent and never corrected.
    QCOMPARE(reg.readString("ImageDir"), abs(storedImageDir));
}

void TestMainWindow::charactersMissingEndsProgram_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: file missing
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("empty value") << QByteArray("A=A\r\nB=\r\n");
    QTest::newRow("empty line") << QByteArray("A=A\r\n\r\nB=B\r\n");
}

void TestMainWindow::charactersMissingEndsProgram()
{
    QFETCH(QByteArray, content);
    QFile::remove(m_box->path("program/characters"));
    if (!content.isEmpty())
        m_box->write("program/characters", content);
    DialogResponder responder;
    TfrmVZMain w({"local"});
    QVERIFY(w.terminateRequested());
    QCOMPARE(responder.messages(), QStringList{"File Missing - \"characters\". Reinstall program."});
    QCOMPARE(responder.requests().first().icon, MsgIcon::Error);
    QCOMPARE(responder.requests().first().buttons, MsgButtons::OK);
}

void TestMainWindow::unreadableSetFileLeavesListEmpty()
{
    if (!vztest::makeUnreadable(m_box->path("program/Alphabets/Color/Second/ImageSetData.qn")))
        QSKIP("no way to make an unreadable file here");
    DialogResponder responder;
    TfrmVZMain w({"local"});
    // The error is reported as any other, and start-up goes on.
    QCOMPARE(responder.messages().size(), 1);
    QVERIFY(responder.messages().first().contains("ImageSetData.qn"));
    QCOMPARE(responder.requests().first().icon, MsgIcon::Error);
    QVERIFY(!w.terminateRequested());
    QVERIFY(w.characterMap().contains("65"));
    // The list stays empty, without "More...", and nothing is chosen.
    auto *list = w.findChild<QListWidget *>("ListAlpha");
    QCOMPARE(list->count(), 0);
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(w.state().alphabetName, QString());
    // The window works: the pages still switch.
    w.findChild<QAbstractButton *>("btnClipart")->click();
    QCOMPARE(w.mainPageName(), QString("VZClipart"));
}

void TestMainWindow::windowLayout()
{
    TfrmVZMain w({"local"});
    QCOMPARE(w.windowTitle(), QString("Vellozine Ririraz"));
    QCOMPARE(w.minimumWidth(), 720);
    QCOMPARE(w.findChild<QWidget *>("dfsToolBar1")->height(), 53);
    QCOMPARE(w.findChild<QWidget *>("pnlClipboardandPreview")->height(), 121);
    QCOMPARE(w.findChild<QWidget *>("Panel2")->width(), 65);
    QCOMPARE(w.findChild<QWidget *>("pnlHideClipart")->width(), 134);
    QCOMPARE(w.findChild<QWidget *>("pnlhideTip")->width(), 134);
    const struct { const char *name; const char *hint; } hints[] = {
        {"btnOpen", "Open (Ctrl + O)"}, {"btnSave", "Save (Ctrl + S)"}, {"btncopy", "Copy Image (Ctrl + C)"},
        {"fcImageBtn2", "Clear Current Clipboard"}, {"fcImageBtn1", "Clear All Clipboards"},
        {"btnpreview", "Preview Image/Change Effects (Ctrl + Z)"}, {"btnclipHide", "Clipboard On/Off"},
        {"btnTipsHide", "Tips On/Off"}, {"btnTour", "Take a Quick Tour (Crtl +T)"}, {"btnHelp", "Help (F1)"},
        {"btnAlpha", "Alphabets"}, {"btnMixMatch", "Mix & Match"}, {"btnClipart", "Clipart"},
        {"btnEnhance", "Enhancements"}, {"btnTypeStyler", "Text Effects"}, {"btnPrintPreview", "View Print Page"}};
    for (const auto &h : hints) {
        auto *b = w.findChild<QAbstractButton *>(h.name);
        QVERIFY2(b, h.name);
        QCOMPARE(b->toolTip(), QString::fromUtf8(h.hint));
        QVERIFY(!b->icon().isNull());
    }
    QVERIFY(w.findChild<QAbstractButton *>("btnTypeStyler")->isHidden());
    QVERIFY(w.findChild<QAbstractButton *>("btnAlpha")->isChecked());
    QCOMPARE(w.mainPageName(), QString("VZAlphabet"));
    QCOMPARE(w.lowerPageName(), QString("Alpha"));
    // The preview controls show the magnifying glass.
    for (const char *name : {"MainImage", "PanelImageInner", "PaintBox1", "ScrollBox1", "PaintBoxMixMatch", "imgTotebag"})
        QCOMPARE(w.findChild<QWidget *>(name)->cursor().shape(), Qt::BitmapCursor);
}

void TestMainWindow::pageSwitching_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("mainPage");
    QTest::addColumn<QString>("lowerPage");
    QTest::addColumn<bool>("clipboardShown");
    QTest::addColumn<bool>("tipsShown"); // after the tips panel was hidden by the Enhancements page
    QTest::newRow("Alphabets") << "btnAlpha" << "VZAlphabet" << "Alpha" << true << true;
    QTest::newRow("Mix & Match") << "btnMixMatch" << "VZAlphabet" << "MixMatch" << true << true;
    QTest::newRow("Clipart") << "btnClipart" << "VZClipart" << "Clipart" << true << false;
    QTest::newRow("Enhancements") << "btnEnhance" << "VZPlugins" << "Print" << false << false;
    QTest::newRow("Text Effects") << "btnTypeStyler" << "VZFlash" << "Print" << false << false;
    QTest::newRow("View Print Page") << "btnPrintPreview" << "VZPrint" << "Print" << false << false;
}

void TestMainWindow::pageSwitching()
{
    QFETCH(QString, button);
    TfrmVZMain w({"local"});
    w.show();
    // Start from a state where the tips panel is hidden, to see "unchanged".
    w.findChild<QWidget *>("pnlhideTip")->hide();
    w.findChild<QAbstractButton *>("btnPrintPreview")->click();
    QVERIFY(w.printPage()->isShowing());
    w.findChild<QAbstractButton *>(button)->click();
    QTEST(w.mainPageName(), "mainPage");
    QTEST(w.lowerPageName(), "lowerPage");
    QTEST(w.findChild<QWidget *>("pnlHideClipart")->isVisible(), "clipboardShown");
    QTEST(w.findChild<QWidget *>("pnlhideTip")->isVisible(), "tipsShown");
    QVERIFY(w.findChild<QAbstractButton *>(button)->isChecked());
    // Every page button but the print page's closes the print page window.
    QCOMPARE(w.printPage()->isShowing(), button == "btnPrintPreview");
    if (button == "btnPrintPreview")
        QCOMPARE(w.printPage()->parentWidget(), w.findChild<QWidget *>("pnlPrintEmbed"));
}

void TestMainWindow::keyMap_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("command"); // empty: none
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << int(Qt::ControlModifier) << "btnOpen";
    QTest::newRow("Ctrl+Shift+O") << int(Qt::Key_O) << int(Qt::ControlModifier | Qt::ShiftModifier) << "btnOpen";
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << int(Qt::ControlModifier) << "btnSave";
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << "btncopy";
    QTest::newRow("Ctrl+P") << int(Qt::Key_P) << int(Qt::ControlModifier) << "btnpreview";
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << "btnpreview";
    QTest::newRow("Ctrl+T") << int(Qt::Key_T) << int(Qt::ControlModifier) << "btnTour";
    QTest::newRow("Ctrl+R") << int(Qt::Key_R) << int(Qt::ControlModifier) << "RunCatalogUpdate";
    QTest::newRow("F1") << int(Qt::Key_F1) << 0 << "btnHelp";
    QTest::newRow("Shift+F1") << int(Qt::Key_F1) << int(Qt::ShiftModifier) << "btnHelp";
    QTest::newRow("O alone") << int(Qt::Key_O) << 0 << "";
    QTest::newRow("Alt+O") << int(Qt::Key_O) << int(Qt::AltModifier) << "";
}

void TestMainWindow::keyMap()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, command);
    // The help box answers Cancel; Open's and Save's choosers and the tour
    // chooser are cancelled.
    TfrmBaseDlg::setModalHook([](TfrmBaseDlg &dlg) { dlg.fcImageBtn1()->click(); });
    DialogResponder responder;
    auto unhook = qScopeGuard([] { TfrmBaseDlg::setModalHook({}); });
    TfrmVZMain w({"local"});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy spy(&w, &TfrmVZMain::commandRun);
    auto *list = w.findChild<QListWidget *>("ListAlpha");
    list->setFocus();
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // Ctrl+R's update runs queued.
    QTRY_COMPARE(spy.count(), command.isEmpty() ? 0 : 1);
    if (!command.isEmpty())
        QCOMPARE(spy.first().at(0).toString(), command);
}

void TestMainWindow::mixMatchKeysFromAnyControl()
{
    TfrmVZMain w({"local"});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.findChild<QAbstractButton *>("btnMixMatch")->click();
    auto *list = w.findChild<QListWidget *>("ListAlpha");
    list->setFocus();
    const struct { Qt::Key key; const char *button; } keys[] = {
        {Qt::Key_Space, "btnSpace"}, {Qt::Key_Delete, "btnClear"},
        {Qt::Key_Backspace, "btnBackSpace"}, {Qt::Key_Return, "btnMixMatchNewLine"}};
    for (const auto &k : keys) {
        QSignalSpy spy(w.findChild<QAbstractButton *>(k.button), &QAbstractButton::clicked);
        // Modifiers do not matter on this page.
        QTest::keyClick(list, k.key, Qt::ShiftModifier);
        QCOMPARE(spy.count(), 1);
    }
    QCOMPARE(w.state().mixLineCount, 2);
    // The key still reaches the focused control: a typed space lands in an edit.
    auto *edit = new QLineEdit(w.findChild<QWidget *>("VZAlphabet"));
    edit->show();
    edit->setFocus();
    QSignalSpy spaces(w.findChild<QAbstractButton *>("btnSpace"), &QAbstractButton::clicked);
    QTest::keyClick(edit, Qt::Key_Space);
    QCOMPARE(spaces.count(), 1);
    QCOMPARE(edit->text(), QString(" "));
    // On the alphabet page the same keys do nothing to the composition.
    w.findChild<QAbstractButton *>("btnAlpha")->click();
    QTest::keyClick(edit, Qt::Key_Space);
    QCOMPARE(spaces.count(), 1);
}

void TestMainWindow::printPageTakesKeys()
{
    TfrmVZMain w({"local"});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.findChild<QAbstractButton *>("btnPrintPreview")->click();
    QSignalSpy spy(&w, &TfrmVZMain::commandRun);
    QSignalSpy pageSpy(w.printPage(), &TfrmPrint::commandRun);
    w.printPage()->setFocus();
    // Ctrl+C is the main window's Copy, which copies the page's selection.
    QTest::keyClick(w.printPage(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("btncopy"));
    QCOMPARE(pageSpy.count(), 1);
    QCOMPARE(pageSpy.at(0).at(0).toString(), QStringLiteral("Copyer"));
    // F1 is not one of the page's keys, and the main window's map is not asked.
    QTest::keyClick(w.printPage(), Qt::Key_F1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(pageSpy.count(), 1);
}

void TestMainWindow::togglesFollowPanels()
{
    TfrmVZMain w({"local"});
    auto *clipToggle = w.findChild<QAbstractButton *>("btnclipHide");
    auto *tipsToggle = w.findChild<QAbstractButton *>("btnTipsHide");
    auto *clipPanel = w.findChild<CollapsiblePanel *>("pnlHideClipart");
    auto *tipsPanel = w.findChild<CollapsiblePanel *>("pnlhideTip");
    QVERIFY(clipToggle->isChecked() && tipsToggle->isChecked());
    QVERIFY(clipPanel->isExpanded() && tipsPanel->isExpanded());
    clipToggle->click();
    QVERIFY(!clipPanel->isExpanded());
    QCOMPARE(clipPanel->width(), CollapsiblePanel::kTabWidth);
    // The panel's own tab: the toggle follows.
    QTest::mouseClick(clipPanel->findChild<QWidget *>("collapseTab"), Qt::LeftButton);
    QVERIFY(clipPanel->isExpanded());
    QVERIFY(clipToggle->isChecked());
    QTest::mouseClick(tipsPanel->findChild<QWidget *>("collapseTab"), Qt::LeftButton);
    QVERIFY(!tipsPanel->isExpanded());
    QVERIFY(!tipsToggle->isChecked());
    tipsToggle->click();
    QVERIFY(tipsPanel->isExpanded());
    QVERIFY(tipsToggle->isChecked());
}

void TestMainWindow::resizeReloadsAlphabet()
{
    TfrmVZMain w({"local"});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy spy(w.alphabetPage(), &AlphabetPage::alphabetChosen);
    w.resize(w.width() + 10, w.height());
    QTRY_COMPARE(spy.count(), 1);
    w.resize(w.width() + 10, w.height());
    QTRY_COMPARE(spy.count(), 2);
    // Not on the clip-art page.
    w.findChild<QAbstractButton *>("btnClipart")->click();
    w.resize(w.width() + 10, w.height());
    QTest::qWait(20);
    QCOMPARE(spy.count(), 2);
}

void TestMainWindow::pictureFromAnotherProgram()
{
    TfrmVZMain w({"local"});
    PictureView *thumb = w.clipboardPanel()->imgWidowClip();
    QGuiApplication::clipboard()->clear();
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(w.state().clipboardRecheck);
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    // No picture yet: the check stays armed.
    QVERIFY(w.state().clipboardRecheck);
    QVERIFY(!copiedImageShown());
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(!w.state().clipboardRecheck);
    QVERIFY(copiedImageShown());
    QCOMPARE(thumb->picture().size(), QSize(40, 20));
}

void TestMainWindow::pictureOnClipboardAtStart()
{
    QImage picture(30, 50, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);
    TfrmVZMain w({"local"});
    QVERIFY(w.state().clipboardRecheck);
    // The first activation takes it, with no switch away and back.
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(!w.state().clipboardRecheck);
    QVERIFY(copiedImageShown());
    QCOMPARE(w.clipboardPanel()->imgWidowClip()->picture().size(), QSize(30, 50));
    QGuiApplication::clipboard()->clear();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
