// The toolbar's Copy against another program on a real X clipboard: after
// each copy, xclip finds image/png (and image/x-wmf for metafiles) holding
// the copied picture. ctest runs this under Xvfb on the xcb platform
// (tst_exchangeclipboard_xcb); elsewhere the cases skip.

#include "exchangetestutils.h"

#include "common/Dialogs.h"
#include "platform/SystemClipboard.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace vz;

namespace {

QString xclip() { return QStandardPaths::findExecutable(QStringLiteral("xclip")); }

// Runs xclip while this program's event loop keeps serving the selection.
QByteArray readClipboard(const QString &target)
{
    QProcess p;
    QSignalSpy done(&p, &QProcess::finished);
    p.start(xclip(), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"), QStringLiteral("-t"), target});
    if (!p.waitForStarted(5000))
        return QByteArray();
    if (p.state() != QProcess::NotRunning && !done.wait(15000))
        return QByteArray();
    return p.readAllStandardOutput();
}

} // namespace

class TestExchangeClipboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void copyReachesAnotherProgram_data();
    void copyReachesAnotherProgram();
};

void TestExchangeClipboard::copyReachesAnotherProgram_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("metafile");
    QTest::addColumn<QSize>("size");
    QTest::newRow("bitmap word") << "word" << false << QSize(50, 40);
    QTest::newRow("metafile word") << "metaword" << true << QSize();
    QTest::newRow("composition") << "mix" << false << QSize(50, 40);
    QTest::newRow("clip-art bitmap") << "clipbmp" << false << QSize(64, 48);
    QTest::newRow("clip-art JPEG") << "clipjpeg" << false << QSize(64, 48);
    QTest::newRow("clip-art metafile") << "clipwmf" << true << QSize(80, 60);
}

void TestExchangeClipboard::copyReachesAnotherProgram()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs the xcb platform (run as tst_exchangeclipboard_xcb)");
    if (xclip().isEmpty())
        QSKIP("xclip is not installed");
    QFETCH(QString, setup);
    QFETCH(bool, metafile);
    QFETCH(QSize, size);
    DialogResponder responder;
    extest::MainFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QByteArray wmfBytes;
    if (setup == "word") {
        f.typeWord("Wide", "AB");
    } else if (setup == "metaword") {
        f.typeWord("Meta", "AB");
    } else if (setup == "mix") {
        f.compose("AB");
    } else if (setup == "clipbmp") {
        f.showClipart(f.box.write("art/pic.bmp", lettertest::bmp(lettertest::solid(64, 48, Qt::green))));
    } else if (setup == "clipjpeg") {
        f.showClipart(f.box.write("art/pic.jpg", extest::jpeg(lettertest::solid(64, 48, Qt::green))));
    } else {
        wmfBytes = extest::wmf(80, 60, Qt::green);
        f.showClipart(f.box.write("art/pic.wmf", wmfBytes));
    }

    f.click("btncopy");
    QCOMPARE(responder.messages(), QStringList());

    const QList<QByteArray> targets = readClipboard(QStringLiteral("TARGETS")).split('\n');
    QVERIFY2(targets.contains("image/png"), targets.join(' ').constData());
    QCOMPARE(targets.contains(kWmfMimeType), metafile);
    const QImage png = QImage::fromData(readClipboard(QStringLiteral("image/png")), "PNG");
    QVERIFY(!png.isNull());
    if (!size.isEmpty())
        QCOMPARE(png.size(), size);
    if (setup == "word" || setup == "mix") {
        QCOMPARE(png.pixelColor(10, 20), QColor(Qt::red));
        QCOMPARE(png.pixelColor(40, 20), QColor(Qt::blue));
    } else if (setup.startsWith("clip")) {
        // JPEG's green is near, not exact.
        const QColor c = png.pixelColor(32, 24);
        QVERIFY2(c.green() > 200 && c.red() < 40 && c.blue() < 40, qPrintable(c.name()));
    }
    if (metafile) {
        const QByteArray bytes = readClipboard(QString::fromLatin1(kWmfMimeType));
        if (!wmfBytes.isEmpty())
            QCOMPARE(bytes, wmfBytes); // the clip-art file as it is
        const Picture back = Picture::fromBytes(bytes, Picture::Kind::Metafile);
        QCOMPARE(back.kind(), Picture::Kind::Metafile);
        const QImage drawn = back.render(QSize(100, 80));
        if (setup == "metaword") {
            QCOMPARE(drawn.pixelColor(20, 40), QColor(Qt::red));
            QCOMPARE(drawn.pixelColor(85, 40), QColor(Qt::blue));
        }
    }
}

QTEST_MAIN(TestExchangeClipboard)
#include "tst_exchangeclipboard.moc"
