// The clipboards as the main window wires them: a typed word sent to the
// Alphabets clipboard, the toolbar's preview, OK and the clear commands.

#include "../lettering/lettertestutils.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/CollapsiblePanel.h"
#include "common/ProgramFolder.h"
#include "imaging/FormEnlarge.h"
#include "imaging/PictureView.h"
#include "lettering/AlphabetPage.h"
#include "lettering/ImageStringEdit.h"
#include "shell/formVZMain.h"

#include <QAbstractButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

using namespace vz;

class TestClipboardWiring : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { m_window.reset(); }
    void wordThroughPreviewAndClear();

private:
    QAbstractButton *button(const char *name) { return m_window->findChild<QAbstractButton *>(name); }
    std::unique_ptr<vztest::Sandbox> m_box;
    std::unique_ptr<TfrmVZMain> m_window;
};

void TestClipboardWiring::init()
{
    clearAllToteBags();
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->write("program/characters", lettertest::kCharacters);
    lettertest::writeAlphabet(*m_box, "program/Alphabets/Color/Wide", "CA",
                              {{"A", 300, 40, Qt::red}, {"B", 300, 40, Qt::blue}});
    setProgramFolder(m_box->path("program"));
    m_window = std::make_unique<TfrmVZMain>(QStringList{"local"});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestClipboardWiring::wordThroughPreviewAndClear()
{
    ClipboardPanel *panel = m_window->clipboardPanel();
    auto *side = m_window->findChild<CollapsiblePanel *>("pnlHideClipart");
    button("btnclipHide")->click();
    QVERIFY(!side->isExpanded());

    m_window->alphabetPage()->typingBox()->setText("ABB");
    button("btnAddAlphatoClip")->click();
    // The send expands the panel; the word keeps its 900 pixels, the
    // thumbnail shows the first 800.
    QVERIFY(side->isExpanded());
    const TToteBageImage &alpha = toteBag(kAlphaClip);
    QVERIFY(alpha.HasRaster);
    QCOMPARE(alpha.RasterHolder.Bitmap().width(), 900);
    QCOMPARE(panel->imgTotebag()->picture().width(), 800);

    // The toolbar opens the preview on it; OK stores the applied result.
    TEnlargedView *view = m_window->enlargedView();
    bool opened = false;
    QTimer::singleShot(0, view, [&] {
        opened = view->isVisible() && view->isRasterMode();
        view->findChild<QToolButton *>("btnReverse")->click();
        view->findChild<QToolButton *>("btnOK")->click();
    });
    button("btnpreview")->click();
    QVERIFY(opened);
    QCOMPARE(alpha.RasterHolder.Bitmap().width(), 900);
    QCOMPARE(alpha.RasterHolder.Bitmap().pixel(0, 0), qRgb(0, 0, 255)); // "BBA"
    QCOMPARE(panel->imgTotebag()->picture().width(), 800);

    // Clear Current Clipboard on the Enhancements page empties only the
    // panel thumbnail; on the alphabet page it empties the clipboard.
    button("btnEnhance")->click();
    QVERIFY(!panel->thumbnail(kAlphaClip)->isEmpty());
    button("fcImageBtn2")->click();
    QVERIFY(panel->imgTotebag()->isEmpty());
    QVERIFY(alpha.HasRaster);
    QVERIFY(!panel->thumbnail(kAlphaClip)->isEmpty());
    button("btnAlpha")->click();
    QVERIFY(!panel->imgTotebag()->isEmpty());
    button("fcImageBtn2")->click();
    QVERIFY(!alpha.holdsImage());
    QVERIFY(panel->thumbnail(kAlphaClip)->isEmpty());

    // Nothing held: the toolbar's preview does not open.
    bool reopened = false;
    QTimer::singleShot(0, view, [&] {
        reopened = view->isVisible();
        if (reopened)
            view->btnCancelClick();
    });
    button("btnpreview")->click();
    QCoreApplication::processEvents();
    QVERIFY(!reopened);
}

QTEST_MAIN(TestClipboardWiring)
#include "tst_clipboardwiring.moc"
