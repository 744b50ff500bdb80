#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "enhancements/FlashPlayer.h"
#include "enhancements/TextEffectsPage.h"
#include "imaging/PictureView.h"
#include "platform/ShellOpen.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>

using namespace vz;

class TestTextEffects : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pageLayout();
    void clickShowsComingSoon();
    void missingBitmapKeepsPicture_data();
    void missingBitmapKeepsPicture();
    void keysDoNotLoad();
    void playerSlots();
    void loadAsksForAMovie();
    void linkOpensSite();
    void showingKeepsTheMovie();

private:
    QImage writeComingSoon(QColor colour);

    std::unique_ptr<vztest::Sandbox> m_box;
    std::unique_ptr<DialogResponder> m_answers;
    std::unique_ptr<QWidget> m_flash;
    PictureView *m_imgPlugin = nullptr;
    TextEffectsPage *m_page = nullptr;
};

void TestTextEffects::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    setProgramFolder(m_box->path("program"));
    m_box->mkdir("program");
    m_answers = std::make_unique<DialogResponder>();
    m_flash = std::make_unique<QWidget>();
    m_flash->resize(800, 500);
    m_imgPlugin = new PictureView(m_flash.get());
    m_page = new TextEffectsPage(m_flash.get(), [this] { return m_imgPlugin; }, m_flash.get());
    m_flash->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_flash.get()));
}

void TestTextEffects::cleanup()
{
    setShellOpenHook({});
    m_flash.reset();
    m_answers.reset();
}

QImage TestTextEffects::writeComingSoon(QColor colour)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(colour);
    image.save(m_box->path("program/CommingSoon.bmp"), "BMP");
    return image;
}

void TestTextEffects::pageLayout()
{
    FlashPlayer *player = m_page->swfPlayer();
    QCOMPARE(player->objectName(), QString("swfPlayer"));
    QCOMPARE(player->width(), 483);
    QListWidget *list = m_page->listBox1();
    QCOMPARE(list->objectName(), QString("ListBox1"));
    QCOMPARE(list->width(), 122);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("  None Found"));
    QCOMPARE(list->visualItemRect(list->item(0)).height(), 26);
    auto *notice = m_flash->findChild<QWidget *>("pnlTextEffectNotice");
    QVERIFY(notice);
    QCOMPARE(notice->size(), QSize(478, 121));
    // Kept centred over the page as it resizes.
    m_flash->resize(1000, 700);
    QTRY_COMPARE(notice->geometry().center(), notice->parentWidget()->rect().center());
}

void TestTextEffects::clickShowsComingSoon()
{
    const QImage image = writeComingSoon(Qt::red);
    QListWidget *list = m_page->listBox1();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(m_imgPlugin->picture().kind(), Picture::Kind::Bitmap);
    QCOMPARE(vztest::maxChannelDiff(m_imgPlugin->image(), image), 0);
    QVERIFY(m_answers->messages().isEmpty());
}

void TestTextEffects::missingBitmapKeepsPicture_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no file
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("not a bitmap") << QByteArray("GIF89a this is not a bitmap");
    QTest::newRow("cut short") << QByteArray("BM\x40\0\0\0", 6);
}

void TestTextEffects::missingBitmapKeepsPicture()
{
    QFETCH(QByteArray, bytes);
    QImage before(5, 5, QImage::Format_RGB32);
    before.fill(Qt::green);
    m_imgPlugin->setImage(before);
    if (!bytes.isEmpty())
        m_box->write("program/CommingSoon.bmp", bytes);
    m_page->ListBox1Click();
    QCOMPARE(m_answers->messages().size(), 1);
    QCOMPARE(m_answers->requests().first().icon, MsgIcon::Error);
    QCOMPARE(vztest::maxChannelDiff(m_imgPlugin->image(), before), 0);
}

void TestTextEffects::keysDoNotLoad()
{
    writeComingSoon(Qt::blue);
    QListWidget *list = m_page->listBox1();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up);
    QVERIFY(m_imgPlugin->isEmpty());
}

void TestTextEffects::playerSlots()
{
    FlashPlayer *player = m_page->swfPlayer();
    m_page->btnPlayClick();
    QVERIFY(!player->playing());
    // No movie file: the movie is set but does not play.
    m_page->ListBox2Click();
    QCOMPARE(player->movie(), m_box->path("program/CommingSoon.swf"));
    QVERIFY(!player->playing());
    m_page->btnStopClick();
    QVERIFY(!player->playing());

    m_box->write("program/CommingSoon.swf", "FWS");
    QSignalSpy changes(player, &FlashPlayer::playingChanged);
    m_page->ListBox2Click();
    QVERIFY(player->playing());
    m_page->btnPlayClick();
    m_page->btnStopClick();
    QVERIFY(!player->playing());
    m_page->btnPlayClick();
    QVERIFY(player->playing());
    QCOMPARE(changes.size(), 3);
    // A new movie stops the one playing.
    player->setMovie(m_box->path("other.swf"));
    QVERIFY(!player->playing());
}

void TestTextEffects::loadAsksForAMovie()
{
    FlashPlayer *player = m_page->swfPlayer();
    m_page->btnLoadClick(); // cancelled
    QVERIFY(player->movie().isEmpty());
    QCOMPARE(m_answers->requests().size(), 1);
    QCOMPARE(m_answers->requests().first().kind, DialogRequest::OpenFile);
    QCOMPARE(m_answers->requests().first().filter, QString("Flash File (*.swf)"));
    m_answers->queueFileName("/movies/effect.swf");
    m_page->btnLoadClick();
    QCOMPARE(player->movie(), QString("/movies/effect.swf"));
    QVERIFY(!player->playing());
}

void TestTextEffects::linkOpensSite()
{
    QStringList opened;
    setShellOpenHook([&opened](const QString &url) { opened << url; });
    auto *link = m_flash->findChild<QLabel *>("lblTextEffectLink");
    QVERIFY(link);
    QCOMPARE(link->text(), kMakerSite);
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(opened, QStringList{kMakerSite});
}

void TestTextEffects::showingKeepsTheMovie()
{
    m_box->write("program/characters", "A=A\r\n");
    m_box->write("program/CommingSoon.swf", "FWS");
    TfrmVZMain w({"local"});
    auto *page = w.findChild<TextEffectsPage *>("TextEffectsPage");
    QVERIFY(page);
    page->ListBox2Click();
    QVERIFY(page->swfPlayer()->playing());
    auto *button = w.findChild<QAbstractButton *>("btnTypeStyler");
    QVERIFY(button);
    button->click();
    QCOMPARE(w.findChild<QStackedWidget *>("MainNotebook")->currentWidget()->objectName(), QString("VZFlash"));
    QVERIFY(page->swfPlayer()->playing());
    QCOMPARE(page->swfPlayer()->movie(), m_box->path("program/CommingSoon.swf"));
    // The list shows its picture on the enhancements page.
    writeComingSoon(Qt::red);
    page->ListBox1Click();
    auto *imgPlugin = w.findChild<PictureView *>("imgPlugin");
    QVERIFY(imgPlugin);
    QCOMPARE(imgPlugin->picture().size(), QSize(20, 10));
    QVERIFY(m_answers->messages().isEmpty());
}

QTEST_MAIN(TestTextEffects)
#include "tst_texteffects.moc"
