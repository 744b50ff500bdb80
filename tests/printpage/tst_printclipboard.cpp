// The print page's Copy and Paste against another program on a real X
// clipboard. ctest runs this under Xvfb on the xcb platform
// (tst_printclipboard_xcb); elsewhere the cases skip.

#include "printpagetestutils.h"

#include "common/PageChanged.h"
#include "platform/SystemClipboard.h"
#include "testutils.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace vz;
using namespace pptest;

namespace {

QString xclip()
{
    return QStandardPaths::findExecutable(QStringLiteral("xclip"));
}

#define NEED_X_CLIPBOARD()                                                                   \
    do {                                                                                     \
        if (QGuiApplication::platformName() != QLatin1String("xcb"))                         \
            QSKIP("needs the xcb platform (run as tst_printclipboard_xcb)");                 \
        if (xclip().isEmpty())                                                               \
            QSKIP("xclip is not installed");                                                 \
    } while (false)

// Runs xclip while this program's event loop keeps serving the selection.
QByteArray runXclip(const QStringList &args)
{
    QProcess p;
    QSignalSpy done(&p, &QProcess::finished);
    p.start(xclip(), args);
    if (!p.waitForStarted(5000))
        return QByteArray();
    if (p.state() != QProcess::NotRunning && !done.wait(15000))
        return QByteArray();
    return p.readAllStandardOutput();
}

} // namespace

class TestPrintClipboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { setPageChanged(false); }
    void pngFromAnotherProgramPastes();
    void copiedBitmapReadsBackAsPng();
    void copiedMetafileReadsBackAsWmf();
};

void TestPrintClipboard::pngFromAnotherProgramPastes()
{
    NEED_X_CLIPBOARD();
    vztest::Sandbox box;
    const QString png = box.path(QStringLiteral("from.png"));
    QImage img(64, 48, QImage::Format_ARGB32);
    img.fill(QColor(0, 0, 255, 128));
    QVERIFY(img.save(png, "PNG"));
    // xclip stays behind to serve the clipboard until someone else owns it.
    runXclip({QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"), QStringLiteral("image/png"),
              QStringLiteral("-i"), png});
    QTRY_VERIFY_WITH_TIMEOUT(SystemClipboard::hasPicture(), 10000);
    PageFixture f;
    f.page.PasteFromClipboard();
    QCOMPARE(f.model().pictures().size(), 1);
    const Picture placed = f.model().object(f.model().pictures().first())->picture;
    QCOMPARE(placed.kind(), Picture::Kind::Bitmap);
    QCOMPARE(placed.size(), QSize(64, 48));
}

void TestPrintClipboard::copiedBitmapReadsBackAsPng()
{
    NEED_X_CLIPBOARD();
    PageFixture f;
    f.place(bitmap(120, 60));
    f.page.Copyer();
    const QByteArray bytes = runXclip({QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                       QStringLiteral("image/png"), QStringLiteral("-o")});
    const QImage back = QImage::fromData(bytes, "PNG");
    QCOMPARE(back.size(), QSize(120, 60));
    QCOMPARE(back.pixelColor(100, 50), QColor(200, 40, 40));
}

void TestPrintClipboard::copiedMetafileReadsBackAsWmf()
{
    NEED_X_CLIPBOARD();
    PageFixture f;
    f.place(metafile(300, 150));
    f.page.Copyer();
    const QByteArray bytes = runXclip({QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                       QStringLiteral("image/x-wmf"), QStringLiteral("-o")});
    QVERIFY(bytes.size() > 22);
    const Picture back = Picture::fromBytes(bytes, Picture::Kind::Metafile);
    QCOMPARE(back.kind(), Picture::Kind::Metafile);
    QCOMPARE(back.size(), QSize(300, 150));
    // Programs that know no metafile get the picture drawn.
    const QImage drawn = QImage::fromData(runXclip({QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                                                    QStringLiteral("image/png"), QStringLiteral("-o")}),
                                          "PNG");
    QCOMPARE(drawn.size(), QSize(300, 150));
}

QTEST_MAIN(TestPrintClipboard)
#include "tst_printclipboard.moc"
