#include "banner/BannerRender.h"
#include "frame/FrameRender.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "enhancements/EnhancementsPage.h"
#include "imaging/PictureView.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QListWidget>

#include <memory>

using namespace vz;
using namespace vzsample;

namespace {

// Pixels of exactly this colour.
int countColour(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += (row[x] | 0xFF000000u) == (colour | 0xFF000000u);
    }
    return n;
}

bool sameRegion(const QImage &big, int left, int top, const QImage &small)
{
    const QImage a = big.convertToFormat(QImage::Format_RGB32);
    const QImage b = small.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < b.height(); ++y)
        if (memcmp(a.constScanLine(top + y) + 4 * left, b.constScanLine(y), size_t(b.width()) * 4) != 0)
            return false;
    return true;
}

QImage testPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(x * 20 % 256, y * 30 % 256, 77);
    }
    return image;
}

} // namespace

class TestSamples : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bannerSize();
    void bannerOutline();
    void bannerShadowAndGradient();
    void frameKeepsPicture_data();
    void frameKeepsPicture();
    void bannerRunsInTheHost();
    void frameRunsInTheHost();
    void firstStartOffersBoth();

private:
    void openHost(vztest::Sandbox &box);
    void clickEntry(const QString &entry);
    std::unique_ptr<DialogResponder> m_dialogs;
    std::unique_ptr<TfrmVZMain> m_window;
    EnhancementsPage *m_page = nullptr;
};

void TestSamples::bannerSize()
{
    BannerStyle style;
    style.text = QStringLiteral("Hello");
    style.pixelSize = 40;
    const QImage small = renderBanner(style);
    style.pixelSize = 80;
    const QImage big = renderBanner(style);
    QVERIFY(!small.isNull());
    // About twice as large, and the text's bounds plus the margins.
    QVERIFY(big.width() > 2 * small.width() - 4 * bannerMargin(style));
    QVERIFY(big.height() > small.height());
    style.outlineWidth = 10;
    style.shadow = true;
    style.shadowOffset = 8;
    style.shadowSoftness = 2;
    const QImage withEffects = renderBanner(style);
    const int grow = 2 * (bannerMargin(style) - 4);
    QCOMPARE(withEffects.size(), big.size() + QSize(grow, grow));
    QCOMPARE(bannerMargin(style), 4 + 5 + 8 + 6);
}

void TestSamples::bannerOutline()
{
    BannerStyle style;
    style.text = QStringLiteral("O");
    style.fill = QColor(0, 0, 255);
    style.outline = QColor(255, 0, 0);
    style.outlineWidth = 0;
    const QImage plain = renderBanner(style);
    QCOMPARE(countColour(plain, qRgb(255, 0, 0)), 0);
    QVERIFY(countColour(plain, qRgb(0, 0, 255)) > 100);
    style.outlineWidth = 6;
    const QImage outlined = renderBanner(style);
    QVERIFY(countColour(outlined, qRgb(255, 0, 0)) > 100);
    // On white, the corners stay white.
    QCOMPARE(outlined.pixel(0, 0), qRgb(255, 255, 255));
}

void TestSamples::bannerShadowAndGradient()
{
    BannerStyle style;
    style.text = QStringLiteral("I");
    style.pixelSize = 60;
    style.shadow = true;
    style.shadowColour = QColor(0, 200, 0);
    style.shadowSoftness = 0;
    style.shadowOffset = 10;
    QVERIFY(countColour(renderBanner(style), qRgb(0, 200, 0)) > 50);
    style.shadow = false;
    style.gradient = true;
    style.fill = QColor(255, 0, 0);
    style.fill2 = QColor(0, 0, 255);
    const QImage g = renderBanner(style);
    // Reddish at the top of the letter, bluish at its bottom.
    int redTop = 0, blueBottom = 0;
    for (int x = 0; x < g.width(); ++x) {
        const QRgb top = g.pixel(x, g.height() / 4), bottom = g.pixel(x, 3 * g.height() / 4);
        redTop += qRed(top) > 150 && qBlue(top) < 150;
        blueBottom += qBlue(bottom) > 150 && qRed(bottom) < 150;
    }
    QVERIFY(redTop > 0);
    QVERIFY(blueBottom > 0);
}

void TestSamples::frameKeepsPicture_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("width");
    QTest::newRow("plain") << int(FrameKind::Plain) << 5;
    QTest::newRow("double") << int(FrameKind::Double) << 9;
    QTest::newRow("bevel") << int(FrameKind::Bevel) << 7;
    QTest::newRow("rounded shadow") << int(FrameKind::RoundedShadow) << 12;
    QTest::newRow("width 1") << int(FrameKind::Double) << 1;
}

void TestSamples::frameKeepsPicture()
{
    QFETCH(int, kind);
    QFETCH(int, width);
    const QImage picture = testPicture(31, 17);
    FrameStyle style;
    style.kind = FrameKind(kind);
    style.width = width;
    style.colour = QColor(200, 10, 10);
    const QImage out = renderFrame(picture, style);
    QCOMPARE(out.size(), picture.size() + QSize(2 * width, 2 * width));
    QVERIFY(sameRegion(out, width, width, picture));
    // The border is not left white.
    int coloured = 0;
    for (int x = 0; x < out.width(); ++x)
        coloured += out.pixel(x, width / 2) != qRgb(255, 255, 255);
    QVERIFY(coloured > 0);
    QVERIFY(renderFrame(QImage(), style).isNull());
}

void TestSamples::openHost(vztest::Sandbox &box)
{
    box.write("program/characters", "A=A\r\n");
    box.mkdir("program/Enhancements/Dll");
    for (const char *name : {"BannerMaker.so", "FrameMaker.so"})
        QVERIFY(QFile::copy(QStringLiteral(VZ_SAMPLES_DIR "/Dll/") + QLatin1String(name),
                            box.path(QStringLiteral("program/Enhancements/Dll/") + QLatin1String(name))));
    setProgramFolder(box.path("program"));
    setCopiedImageShown(false);
    m_dialogs = std::make_unique<DialogResponder>();
    m_window = std::make_unique<TfrmVZMain>(QStringList{QStringLiteral("local")});
    m_window->resize(1100, 800);
    m_window->show();
    m_window->ShowEnhancement();
    m_page = EnhancementsPage::current();
    QVERIFY(m_page);
}

void TestSamples::clickEntry(const QString &entry)
{
    QListWidget *list = m_page->pluginListbox();
    list->addItem(entry);
    QListWidgetItem *item = list->item(list->count() - 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void TestSamples::bannerRunsInTheHost()
{
    vztest::Sandbox box;
    openHost(box);
    // The descriptor shipped with the sample names this library and entry.
    QFile descriptor(QStringLiteral(VZ_SOURCE_DIR "/plugins/banner/BannerMaker.hmp"));
    QVERIFY(descriptor.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = descriptor.readAll().split('\n');
    QVERIFY(lines.size() >= 6);
    const QString entry = QString::fromUtf8(lines[2].trimmed()) + "=  " + QString::fromUtf8(lines[3].trimmed()) + "="
                          + QString::fromUtf8(lines[4].trimmed()) + "=" + QString::fromUtf8(lines[5].trimmed());
    clickEntry(entry);
    QVERIFY(m_dialogs->requests().isEmpty());
    QVERIFY(m_page->running());
    auto *window = m_page->pnlEmbed()->findChild<QWidget *>(QStringLiteral("BannerMaker"));
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->geometry(), m_page->pnlEmbed()->rect());
    // A second click reuses the window.
    clickEntry(entry);
    QCOMPARE(m_page->pnlEmbed()->findChildren<QWidget *>(QStringLiteral("BannerMaker")).size(), 1);

    auto *send = window->findChild<QAbstractButton *>(QStringLiteral("btnBannerSend"));
    QVERIFY(send);
    send->click();
    PictureView *windows = m_window->clipboardPanel()->imgWidowClip();
    QVERIFY(copiedImageShown());
    QVERIFY(!windows->isEmpty());
    QCOMPARE(windows->picture().size(), renderBanner(BannerStyle()).size());

    window->findChild<QAbstractButton *>(QStringLiteral("btnBannerClose"))->click();
    QTRY_VERIFY(!m_page->running());
    QTRY_VERIFY(!m_page->pnlEmbed()->findChild<QWidget *>(QStringLiteral("BannerMaker")));
    m_window.reset();
}

void TestSamples::frameRunsInTheHost()
{
    vztest::Sandbox box;
    openHost(box);
    const QImage picture = testPicture(40, 30);
    m_window->clipboardPanel()->showWindowsPicture(Picture::fromImage(picture));
    clickEntry(QStringLiteral("FrameMaker.so=  Frame Maker=x=FrameMakerMain"));
    QVERIFY(m_dialogs->requests().isEmpty());
    auto *window = m_page->pnlEmbed()->findChild<QWidget *>(QStringLiteral("FrameMaker"));
    QVERIFY(window);
    auto *send = window->findChild<QAbstractButton *>(QStringLiteral("btnFrameSend"));
    send->click();
    PictureView *windows = m_window->clipboardPanel()->imgWidowClip();
    QCOMPARE(windows->picture().size(), picture.size() + QSize(24, 24));
    QVERIFY(sameRegion(windows->image(), 12, 12, picture));
    // Closing the program closes the enhancement first.
    m_window->close();
    QVERIFY(!m_page->running());
    QVERIFY(!m_page->pnlEmbed()->findChild<QWidget *>(QStringLiteral("FrameMaker")));
    m_window.reset();
}

void TestSamples::firstStartOffersBoth()
{
    // A program folder as the build lays it out: both descriptors waiting.
    vztest::Sandbox box;
    box.mkdir("program/Enhancements/Installed");
    QVERIFY(QFile::copy(QStringLiteral(VZ_SOURCE_DIR "/plugins/banner/BannerMaker.hmp"), box.path("program/Enhancements/BannerMaker.hmp")));
    QVERIFY(QFile::copy(QStringLiteral(VZ_SOURCE_DIR "/plugins/frame/FrameMaker.hmp"), box.path("program/Enhancements/FrameMaker.hmp")));
    openHost(box); // answers Yes to every question
    const QStringList messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 4); // a question and a success message for each
    QVERIFY(messages[0].contains(QStringLiteral("BannerMaker.hmp")));
    QVERIFY(messages[2].contains(QStringLiteral("FrameMaker.hmp")));
    QListWidget *list = m_page->pluginListbox();
    QCOMPARE(list->count(), 2);
    QVERIFY(QFile::exists(box.path("program/Enhancements/Installed/BannerMaker.hmp")));
    QVERIFY(QFile::exists(box.path("program/Enhancements/Installed/FrameMaker.hmp")));
    m_dialogs->clear();

    // Each runs from its row, hands its picture over and closes.
    for (int row = 0; row < 2; ++row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        QVERIFY2(m_dialogs->requests().isEmpty(), qPrintable(m_dialogs->messages().join(QLatin1Char('|'))));
        QVERIFY(m_page->running());
        const QString prefix = row == 0 ? QStringLiteral("btnBanner") : QStringLiteral("btnFrame");
        auto *send = m_page->pnlEmbed()->findChild<QAbstractButton *>(prefix + QStringLiteral("Send"));
        QVERIFY(send);
        setCopiedImageShown(false);
        send->click();
        QVERIFY(copiedImageShown());
        m_page->pnlEmbed()->findChild<QAbstractButton *>(prefix + QStringLiteral("Close"))->click();
        QTRY_VERIFY(!m_page->running());
    }
    m_window.reset();
}

QTEST_MAIN(TestSamples)
#include "tst_samples.moc"
