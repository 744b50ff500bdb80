// The system clipboard adapter and the placeable-metafile transfer.

#include "testutils.h"
#include "../metafile/wmfbuilder.h"

#include "common/VzError.h"
#include "platform/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using vztest::WmfBuilder;

namespace {

QByteArray redSquareWmf(QRect box, int inch, bool goodChecksum = true)
{
    WmfBuilder b;
    b.windowOrg(box.left(), box.top()).windowExt(box.width(), box.height());
    b.brush(qRgb(255, 0, 0)).select(0).rectangle(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    return b.build(box, inch, 8, goodChecksum);
}

} // namespace

class TestSystemClipboard : public QObject
{
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->setText(QStringLiteral("before")); }
    void textAndBitmap();
    void metafileTravelsWithImage();
    void putMetafileOnClipboard_data();
    void putMetafileOnClipboard();
    void missingFileDoesNothing();
};

void TestSystemClipboard::textAndBitmap()
{
    vz::SystemClipboard::putText(QStringLiteral("Hello"));
    QVERIFY(vz::SystemClipboard::hasText());
    QCOMPARE(vz::SystemClipboard::takeText(), QStringLiteral("Hello"));
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 255));
    vz::SystemClipboard::putBitmap(img);
    QVERIFY(vz::SystemClipboard::hasPicture());
    const vz::Picture back = vz::SystemClipboard::takePicture();
    QCOMPARE(back.kind(), vz::Picture::Kind::Bitmap);
    QCOMPARE(back.image().pixel(1, 1), qRgb(0, 0, 255));
}

void TestSystemClipboard::metafileTravelsWithImage()
{
    const QByteArray wmf = redSquareWmf(QRect(0, 0, 96, 48), 96);
    vz::SystemClipboard::putPicture(vz::Picture::fromBytes(wmf, vz::Picture::Kind::Metafile));
    const QMimeData *m = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(m->data(QString::fromLatin1(vz::kWmfMimeType)), wmf);
    QVERIFY(m->hasImage());
    const QImage shown = qvariant_cast<QImage>(m->imageData());
    QCOMPARE(shown.size(), QSize(96, 48));
    QCOMPARE(shown.pixel(48, 24) & 0xFFFFFF, 0xFF0000u);
    const vz::Picture back = vz::SystemClipboard::takePicture();
    QCOMPARE(back.kind(), vz::Picture::Kind::Metafile);
    QCOMPARE(back.saveData(), wmf);
}

void TestSystemClipboard::putMetafileOnClipboard_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QSize>("pixels"); // of the rendered image
    QTest::newRow("192 x 96 at 96") << redSquareWmf(QRect(0, 0, 192, 96), 96) << true << QSize(192, 96);
    QTest::newRow("2 x 1 inches at 1000") << redSquareWmf(QRect(0, 0, 2000, 1000), 1000) << true << QSize(192, 96);
    QTest::newRow("0 per inch counts as 96") << redSquareWmf(QRect(0, 0, 48, 24), 0) << true << QSize(48, 24);
    QTest::newRow("bad checksum") << redSquareWmf(QRect(0, 0, 48, 24), 96, false) << false << QSize();
    QByteArray badKey = redSquareWmf(QRect(0, 0, 48, 24), 96);
    badKey[3] = 0;
    QTest::newRow("bad key") << badKey << false << QSize();
    QTest::newRow("empty file") << QByteArray() << false << QSize();
}

void TestSystemClipboard::putMetafileOnClipboard()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, valid);
    QFETCH(QSize, pixels);
    vztest::Sandbox box;
    const QString path = box.write("clip.wmf", file);
    try {
        vz::PutMetafileOnClipboard(path);
        QVERIFY(valid);
    } catch (const vz::FileError &e) {
        QVERIFY(!valid);
        QCOMPARE(e.message(), QStringLiteral("Metafile is not valid"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before")); // left as it was
        return;
    }
    const QMimeData *m = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(m->data(QString::fromLatin1(vz::kWmfMimeType)), file);
    QCOMPARE(qvariant_cast<QImage>(m->imageData()).size(), pixels);
}

void TestSystemClipboard::missingFileDoesNothing()
{
    vztest::Sandbox box;
    vz::PutMetafileOnClipboard(box.path("absent.wmf"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

QTEST_MAIN(TestSystemClipboard)
#include "tst_systemclipboard.moc"
