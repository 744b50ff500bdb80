#include "clipboards/ToteBags.h"
#include "clipboards/TToteBageImage.h"
#include "common/Dialogs.h"
#include "imaging/PictureView.h"
#include "common/ProgramFolder.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/ThumbnailGrid.h"
#include "lettering/AlphabetPage.h"
#include "lettering/ImageStringEdit.h"
#include "lettering/MixMatchPage.h"
#include "platform/ShellOpen.h"
#include "shell/AppState.h"
#include "shell/formVZMain.h"

#include "lettertestutils.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>

using namespace vz;
using namespace lettertest;

class TestLettering : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void typingFilter();
    void capitalsFollowSmallA();
    void gridModeAndBinding();
    void moreOpensSiteAndGoesBack();
    void badFillReportsError();
    void enterPreviewsWord();
    void mixMatchScrollEstimate();
    void mixMatchEditing();
    void scrollBoxClickOpensPreview_data();
    void scrollBoxClickOpensPreview();
    void capitalsApplyToHeldText();
    void capitalInLatin1_data();
    void capitalInLatin1();
    void nothingDrawnNothingSent_data();
    void nothingDrawnNothingSent();
    void previewShowsCurrentText();
    void listChosenWithKeys();

private:
    int rowOf(const QString &name) const;
    void choose(const QString &name);

    std::unique_ptr<vztest::Sandbox> m_box;
    std::unique_ptr<TfrmVZMain> m_window;
    AlphabetPage *page() const { return m_window->alphabetPage(); }
    TImageStringEdit *edit() const { return page()->typingBox(); }
};

void TestLettering::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    const vztest::Sandbox &b = *m_box;
    b.write("program/characters", kCharacters);
    writeAlphabet(b, "program/Alphabets/Color/Caps", "CA",
                  {{"A", 20, 40, Qt::red}, {"B", 20, 40, Qt::blue}, {"C", 20, 40, Qt::green}});
    writeAlphabet(b, "program/Alphabets/Color/Lower", "ca", {{"A", 20, 40, Qt::red}, {"smalla", 20, 30, Qt::cyan}});
    writeAlphabet(b, "program/Alphabets/Color/Fonty", "Font",
                  {{"A", 20, 40, Qt::red}, {"smalla", 20, 30, Qt::cyan}, {"smallb", 20, 30, Qt::yellow}});
    writeAlphabet(b, "program/Alphabets/Color/Zed", "CA", {{"A", 20, 40, Qt::red}}, "x");
    setProgramFolder(b.path("program"));
    m_window = std::make_unique<TfrmVZMain>(QStringList{"local"});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestLettering::cleanup()
{
    m_window.reset();
    setShellOpenHook({});
}

int TestLettering::rowOf(const QString &name) const
{
    QListWidget *list = page()->listAlpha();
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == name)
            return i;
    return -1;
}

void TestLettering::choose(const QString &name)
{
    page()->selectAndChoose(rowOf(name));
}

void TestLettering::typingFilter()
{
    choose("Caps");
    DialogResponder responder;
    edit()->setFocus();
    QTest::keyClicks(edit(), "AB!C");
    QCOMPARE(edit()->text(), QString("ABC"));
    QCOMPARE(responder.beeps(), 1);
    QVERIFY(responder.messages().isEmpty());
    // The space is always accepted, even without a space letter.
    QTest::keyClick(edit(), Qt::Key_Space);
    QCOMPARE(edit()->text(), QString("ABC "));
    edit()->setText(QString(30, 'A'));
    responder.clear();
    QTest::keyClicks(edit(), "A");
    QCOMPARE(edit()->text().size(), 30);
    QCOMPARE(responder.requests().size(), 2);
    QCOMPARE(responder.requests().at(0).kind, DialogRequest::Beep); // the beep sounds first
    QCOMPARE(responder.messages(), QStringList{"The text may not exceed 30 characters"});
    // Backspace and Enter are never refused.
    responder.clear();
    QTest::keyClick(edit(), Qt::Key_Backspace);
    QTest::keyClick(edit(), Qt::Key_Return);
    QCOMPARE(edit()->text().size(), 29);
    QVERIFY(responder.requests().isEmpty());
    // Pasted text is not filtered.
    edit()->clear();
    edit()->insert("xyz");
    QCOMPARE(edit()->text(), QString("xyz"));
}

void TestLettering::capitalsFollowSmallA()
{
    choose("Caps");
    QVERIFY(edit()->capitals());
    DialogResponder responder;
    QTest::keyClicks(edit(), "a");
    QCOMPARE(edit()->text(), QString());
    QCOMPARE(responder.beeps(), 1);
    choose("Fonty");
    QVERIFY(!edit()->capitals());
    QTest::keyClicks(edit(), "ab");
    QCOMPARE(edit()->text(), QString("ab"));
}

void TestLettering::gridModeAndBinding()
{
    choose("Caps");
    QVERIFY(page()->allowedCodes().contains("66"));
    QCOMPARE(page()->grid()->count(), 3);
    // "ca" draws like "CA" but its letters are not bound (exact comparison).
    choose("Lower");
    QCOMPARE(page()->grid()->viewport()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(page()->grid()->count(), 2);
    QVERIFY(page()->allowedCodes().contains("66")); // still the Caps letters
    QVERIFY(!page()->allowedCodes().contains("97"));
    choose("Fonty");
    QCOMPARE(page()->grid()->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(page()->allowedCodes().contains("97"));
    QVERIFY(!page()->allowedCodes().contains("66"));
    QCOMPARE(m_window->state().alphabetRow, rowOf("Fonty"));
}

void TestLettering::moreOpensSiteAndGoesBack()
{
    // Move "Zed" (a bad Fill value) away from just above "More...".
    m_box->write("program/Alphabets/Color/Zed/ImageSetData.qn", "Version=1\r\n");
    page()->fillAlphabetList(m_box->path("program/Alphabets/Color"));
    QStringList opened;
    setShellOpenHook([&](const QString &url) { opened << url; });
    choose("More...");
    QCOMPARE(opened, QStringList{"https://vellozine.example/"});
    QCOMPARE(page()->listAlpha()->currentRow(), rowOf("More...") - 1);
    QCOMPARE(m_window->state().alphabetName, QString("Lower"));
    QCOMPARE(m_window->state().alphabetRow, rowOf("Lower"));
}

void TestLettering::badFillReportsError()
{
    choose("Caps");
    DialogResponder responder;
    choose("Zed");
    QCOMPARE(responder.messages(), QStringList{"'x' is not a valid integer value"});
    QCOMPARE(m_window->state().alphabetName, QString("Zed"));
    QCOMPARE(page()->grid()->count(), 3); // nothing of the alphabet was loaded
}

void TestLettering::enterPreviewsWord()
{
    choose("Caps");
    edit()->setFocus();
    QTest::keyClicks(edit(), "AB C");
    QWidget *box = page()->paintBox();
    QCOMPARE(box->width(), 0); // the preview is not redrawn while typing
    QTest::keyClick(edit(), Qt::Key_Return);
    // Letters 20 x 40 scaled to 57 high: round(28.5) = 28 each, no space letter.
    QCOMPARE(box->width(), 84);
    QCOMPARE(box->height(), 57);
    QCOMPARE(box->y(), 11);
}

void TestLettering::mixMatchScrollEstimate()
{
    // Pages on their own, so that the preview panel is 400 pixels wide.
    vztest::Sandbox box;
    const QString folder = writeAlphabet(box, "Wide", "CA", {{"A", 100, 50, Qt::red}, {"B", 100, 50, Qt::blue}});
    AppState state;
    CharacterMap map;
    map.load(box.write("characters", kCharacters));
    QWidget mainPage, alphaPage, mixPage;
    mainPage.resize(600, 300);
    mixPage.resize(400, 121);
    AlphabetPage alphabets(state, map, &mainPage, &alphaPage);
    MixMatchPage mix(state, alphabets, &mixPage);
    mixPage.show();
    box.write("tree/x", "");
    alphabets.fillAlphabetList(box.path());
    alphabets.selectAndChoose(0);
    QCOMPARE(alphabets.letters().count(), 2);
    QCOMPARE(mix.previewPanel()->width(), 400);
    QScrollBar *sb = mix.scrollBox()->horizontalScrollBar();
    for (int i = 1; i <= 7; ++i)
        mix.DBAlphaGridMousedown(0);
    QCOMPARE(sb->value(), 0); // 7 x 55 = 385
    mix.DBAlphaGridMousedown(0);
    QCOMPARE(sb->value(), 60); // 8 x 55 = 440 > 400
    // A click beyond the last thumbnail adds nothing.
    mix.DBAlphaGridMousedown(5);
    QCOMPARE(mix.composition().size(), 8);
    QCOMPARE(mix.composition().first(), folder + "Bab_A.bmp");
}

void TestLettering::mixMatchEditing()
{
    choose("Caps");
    m_window->findChild<QAbstractButton *>("btnMixMatch")->click();
    ThumbnailGrid *grid = page()->grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(60, 20)); // B
    MixMatchPage *mix = m_window->mixMatchPage();
    QCOMPARE(mix->composition().size(), 1);
    QVERIFY(mix->composition().first().endsWith("Bab_B.bmp"));
    mix->btnSpace()->click(); // the last thumbnail in sort order
    QVERIFY(mix->composition().last().endsWith("Bab_C.bmp"));
    mix->btnNewLine()->click();
    QCOMPARE(m_window->state().mixLineCount, 2);
    mix->btnBackSpace()->click();
    QCOMPARE(mix->composition().size(), 2);
    QCOMPARE(m_window->state().mixLineCount, 2); // removing a line break keeps the count
    QCOMPARE(mix->paintBox()->width(), 40); // B + C at their full width
    mix->btnClear()->click();
    QVERIFY(mix->composition().isEmpty());
    QCOMPARE(mix->paintBox()->width(), 0);
    QCOMPARE(m_window->state().mixLineCount, 2);
    // On the alphabet page a grid click composes nothing.
    m_window->findChild<QAbstractButton *>("btnAlpha")->click();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(mix->composition().isEmpty());
}

// The white box around either preview opens the preview window, also where
// the canvas lies above the paint box and while the preview is 0 wide.
void TestLettering::scrollBoxClickOpensPreview_data()
{
    QTest::addColumn<bool>("mix");
    QTest::addColumn<bool>("drawn"); // Enter pressed: the preview is drawn
    QTest::addColumn<QPoint>("at");  // in the scroll box's viewport; x < 0 counts from the right
    QTest::newRow("alphabets, beside the preview") << false << true << QPoint(-3, 30);
    QTest::newRow("alphabets, above the preview") << false << true << QPoint(5, 3);
    QTest::newRow("alphabets, preview 0 wide") << false << false << QPoint(5, 30);
    QTest::newRow("mix, beside the preview") << true << true << QPoint(-3, 30);
    QTest::newRow("mix, above the preview") << true << true << QPoint(5, 3);
}

void TestLettering::scrollBoxClickOpensPreview()
{
    QFETCH(bool, mix);
    QFETCH(bool, drawn);
    QFETCH(QPoint, at);
    choose("Caps");
    int opened = 0;
    QScrollArea *box = nullptr;
    QWidget *paint = nullptr;
    if (mix) {
        m_window->findChild<QAbstractButton *>("btnMixMatch")->click();
        MixMatchPage *page = m_window->mixMatchPage();
        page->openPreview = [&] { ++opened; };
        QTest::mouseClick(this->page()->grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        box = page->scrollBox();
        paint = page->paintBox();
    } else {
        page()->openPreview = [&] { ++opened; };
        QTest::keyClicks(edit(), "AB");
        if (drawn)
            QTest::keyClick(edit(), Qt::Key_Return);
        box = page()->scrollBox();
        paint = page()->paintBox();
    }
    QCOMPARE(paint->width() > 0, drawn);
    if (at.x() < 0)
        at.rx() += box->viewport()->width();
    QVERIFY(!paint->geometry().contains(box->widget()->mapFrom(box->viewport(), at)));
    QTest::mouseClick(box->viewport()->childAt(at) ? box->viewport()->childAt(at) : box->viewport(), Qt::LeftButton,
                      {}, box->viewport()->childAt(at) ? box->viewport()->childAt(at)->mapFrom(box->viewport(), at) : at);
    QCOMPARE(opened, 1);
    // The scroll bar is no part of the box.
    QTest::mouseClick(box->horizontalScrollBar(), Qt::LeftButton);
    QCOMPARE(opened, 1);
}

// Choosing an alphabet that forces capitals turns the held text into
// capitals, and the preview and the send follow.
void TestLettering::capitalsApplyToHeldText()
{
    toteBag(kAlphaClip).clear();
    choose("Fonty");
    QTest::keyClicks(edit(), "ab");
    QCOMPARE(edit()->text(), QString("ab"));
    DialogResponder responder;
    choose("Caps");
    QCOMPARE(edit()->text(), QString("AB"));
    QCOMPARE(page()->paintBox()->width(), 56); // two letters 20 x 40 at 57 high
    m_window->findChild<QAbstractButton *>("btnAddAlphatoClip")->click();
    QVERIFY(responder.messages().isEmpty());
    QVERIFY(toteBag(kAlphaClip).HasRaster);
    // Typed keys become capitals when the alphabet has the small letter but
    // forces capitals (it has no small a).
    m_box->write("program/Alphabets/Color/Bees/ImageSetData.qn", "Version=2\r\nName=Bees\r\nType=CA\r\nFill=0\r\n");
    writeAlphabet(*m_box, "program/Alphabets/Color/Bees", "CA", {{"A", 20, 40, Qt::red}, {"smallb", 20, 30, Qt::cyan}});
    page()->fillAlphabetList(m_box->path("program/Alphabets/Color"));
    choose("Bees");
    QVERIFY(edit()->capitals());
    edit()->clear();
    QTest::keyClicks(edit(), "b");
    QCOMPARE(edit()->text(), QString("B"));
}

void TestLettering::capitalInLatin1_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("capitals");
    QTest::newRow("ASCII") << "abz AZ 1!" << "ABZ AZ 1!";
    QTest::newRow("accented") << QString::fromUtf8("éàñþ") << QString::fromUtf8("ÉÀÑÞ");
    QTest::newRow("sharp s stays one letter") << QString::fromUtf8("ß") << QString::fromUtf8("ß");
    QTest::newRow("capital outside 0-255") << QString::fromUtf8("ÿµ") << QString::fromUtf8("ÿµ");
    QTest::newRow("division sign") << QString::fromUtf8("÷") << QString::fromUtf8("÷");
}

void TestLettering::capitalInLatin1()
{
    QFETCH(QString, text);
    QFETCH(QString, capitals);
    QCOMPARE(capitalsInLatin1(text), capitals);
    TImageStringEdit box;
    box.setText(text);
    box.setCapitals(true);
    QCOMPARE(box.text(), capitals);
    QCOMPARE(box.text().size(), text.size());
}

// A text or composition that draws nothing is not sent and not previewed,
// and no error box comes up.
void TestLettering::nothingDrawnNothingSent_data()
{
    QTest::addColumn<bool>("mix");
    QTest::addColumn<QString>("text"); // alphabets: the typed text; mix: letters "A", breaks "|"
    QTest::addColumn<bool>("draws");
    QTest::newRow("alphabets, characters without letters") << false << "!!" << false;
    QTest::newRow("alphabets, one letter among them") << false << "!A!" << true;
    QTest::newRow("mix, line breaks only") << true << "||" << false;
    QTest::newRow("mix, a letter on the second line") << true << "|A" << true;
}

void TestLettering::nothingDrawnNothingSent()
{
    QFETCH(bool, mix);
    QFETCH(QString, text);
    QFETCH(bool, draws);
    const int clip = mix ? kMixClip : kAlphaClip;
    toteBag(clip).clear();
    choose("Caps");
    int previews = 0;
    DialogResponder responder;
    if (mix) {
        m_window->findChild<QAbstractButton *>("btnMixMatch")->click();
        MixMatchPage *m = m_window->mixMatchPage();
        m->openPreview = [&] { ++previews; };
        for (QChar c : text) {
            if (c == '|')
                m->btnNewLine()->click();
            else
                m->DBAlphaGridMousedown(0);
        }
        m_window->findChild<QAbstractButton *>("btnSendMixToClip")->click();
        m->SendToEffects();
    } else {
        page()->openPreview = [&] { ++previews; };
        edit()->setText(text);
        m_window->findChild<QAbstractButton *>("btnAddAlphatoClip")->click();
        page()->ScrollboxToEffecsck();
    }
    QVERIFY2(responder.messages().isEmpty(), qPrintable(responder.messages().join('\n')));
    QCOMPARE(toteBag(clip).HasRaster, draws);
    QCOMPARE(previews, draws ? 1 : 0);
}

// The preview paints the text now in the box, not the one of the last Enter.
void TestLettering::previewShowsCurrentText()
{
    // Past the start-up maximising, whose resize loads the alphabet again.
    QTRY_VERIFY(m_window->isMaximized());
    QTRY_COMPARE(m_window->frameGeometry().size(), m_window->screen()->availableGeometry().size());
    choose("Caps");
    QTest::keyClicks(edit(), "AB");
    QTest::keyClick(edit(), Qt::Key_Return);
    QWidget *box = page()->paintBox();
    QCOMPARE(box->width(), 56);
    QTest::keyClicks(edit(), "C");
    QCOMPARE(box->width(), 56); // not redrawn while typing
    m_window->findChild<QAbstractButton *>("btnMixMatch")->click();
    m_window->findChild<QAbstractButton *>("btnAlpha")->click();
    QTRY_COMPARE(box->width(), 84);
    const QImage shown = box->grab().toImage();
    QCOMPARE(shown.pixelColor(70, 30), QColor(Qt::green)); // the C
}

// Arrowing through ListAlpha loads each alphabet as a click does, except
// "More...", which only a click or Enter opens.
void TestLettering::listChosenWithKeys()
{
    QStringList opened;
    setShellOpenHook([&](const QString &url) { opened << url; });
    choose("Caps");
    QListWidget *list = page()->listAlpha();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), rowOf("Caps") + 1);
    QCOMPARE(m_window->state().alphabetName, list->currentItem()->text());
    QCOMPARE(m_window->state().alphabetRow, list->currentRow());
    // Onto "More...": highlighted only.
    const int more = rowOf("More...");
    list->setCurrentRow(more - 1);
    const QString before = m_window->state().alphabetName;
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), more);
    QVERIFY(opened.isEmpty());
    QCOMPARE(m_window->state().alphabetName, before);
    // Enter opens it and goes back to the row above.
    DialogResponder responder; // the row above ("Zed") reports its bad Fill value
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(list->currentRow(), more - 1);
}

QTEST_MAIN(TestLettering)
#include "tst_lettering.moc"
