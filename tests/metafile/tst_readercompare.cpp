// Every sample metafile side by side with an independent reader: WMF files
// against ImageMagick's drawings (libwmf), made once by
// bench/compare_metafile.sh and kept in tests/metafile/data/reference as
// 32 x 32 grey images of the ink; EMF files, which it cannot read here,
// against ink boxes checked by eye.

#include "testutils.h"
#include "wmfbuilder.h"

#include "imaging/Picture.h"
#include "metafile/EmfReader.h"
#include "metafile/WmfReader.h"

#include <QFile>

#include <cmath>
#include <cstdio>

namespace {

const QString kData = QStringLiteral(VZ_SOURCE_DIR "/tests/metafile/data/");

// Readers frame some files differently (libwmf fits the image to the
// drawing where the header's box says otherwise), so drawings are compared
// by their ink: trimmed, then squeezed into 32 x 32 grey.
QImage inkThumbnail(const QImage &img, QRect *ink)
{
    *ink = vztest::inkBounds(img, 10);
    if (!ink->isValid())
        return QImage();
    return img.copy(*ink).convertToFormat(QImage::Format_Grayscale8).scaled(32, 32, Qt::IgnoreAspectRatio,
                                                                             Qt::SmoothTransformation);
}

double correlation(const QImage &a, const QImage &b)
{
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    const int n = 32 * 32;
    for (int y = 0; y < 32; ++y) {
        const uchar *p = a.constScanLine(y), *q = b.constScanLine(y);
        for (int x = 0; x < 32; ++x) {
            sa += p[x];
            sb += q[x];
            saa += double(p[x]) * p[x];
            sbb += double(q[x]) * q[x];
            sab += double(p[x]) * q[x];
        }
    }
    const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    return va > 0 && vb > 0 ? (sab - sa * sb / n) / std::sqrt(va * vb) : 0;
}

// "#ink WxH+X+Y of WxH" in a reference's header: where its ink lay, as
// shares of its whole drawing.
QRectF referenceInk(const QByteArray &pgm)
{
    const qsizetype at = pgm.indexOf("#ink ");
    if (at < 0)
        return QRectF();
    const QByteArray line = pgm.mid(at + 5, pgm.indexOf('\n', at) - at - 5);
    int w = 0, h = 0, x = 0, y = 0, fw = 0, fh = 0;
    if (std::sscanf(line.constData(), "%dx%d+%d+%d of %dx%d", &w, &h, &x, &y, &fw, &fh) != 6 || fw <= 0 || fh <= 0)
        return QRectF();
    return QRectF(double(x) / fw, double(y) / fh, double(w) / fw, double(h) / fh);
}

bool hasText(const QByteArray &bytes)
{
    if (const auto emf = vz::mf::EmfDocument::parse(bytes)) {
        for (const auto &r : emf->records())
            if (r.type == 83 || r.type == 84 || r.type == 96 || r.type == 97)
                return true;
        return false;
    }
    if (const auto wmf = vz::mf::WmfDocument::parse(bytes))
        for (const auto &r : wmf->records())
            if (r.function == vz::mf::wmf::TEXTOUT || r.function == vz::mf::wmf::EXTTEXTOUT)
                return true;
    return false;
}

QImage render(const QString &path)
{
    const vz::Picture pic = vz::Picture::fromFile(path);
    return pic.render(pic.size().scaled(600, 600, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
}

// Checked by eye, for the files no reference could be made for: the box of
// dark ink as shares of the picture, and a point of a known colour.
struct Expected
{
    const char *name;
    QRectF ink;
    QPointF probe;
    QRgb colour;
};
const Expected kByEye[] = {
    // A frame line round the picture; the blue squares of the brush row.
    {"test_libuemf_ref.emf", QRectF(0, 0, 1, 1), QPointF(0.58, 0.39), qRgb(63, 127, 255)},
    // No frame line; the star column ends the drawing on the right, the
    // stripes at the bottom; a dark red square of the fill row.
    {"test_libuemf_ref.wmf", QRectF(0.007, 0.005, 0.962, 0.906), QPointF(0.5, 0.383), qRgb(139, 0, 0)},
    // The frame line; the red "L" at the left edge, the "T" at the top.
    {"test_mm_anisotropic_ref.emf", QRectF(0, 0, 1, 1), QPointF(0.04, 0.5), qRgb(255, 0, 0)},
    {"test_mm_himetric_ref.emf", QRectF(0, 0, 1, 1), QPointF(0.54, 0.08), qRgb(255, 0, 0)},
};

} // namespace

class TestReaderCompare : public QObject
{
    Q_OBJECT

private slots:
    void againstReference_data();
    void againstReference();
};

void TestReaderCompare::againstReference_data()
{
    QTest::addColumn<QString>("path");
    // The pen chart (flat strokes of every pen style) is ours and always
    // there; the shared samples only when present.
    QTest::newRow("pen-chart.wmf") << kData + QStringLiteral("pen-chart.wmf");
    const QString dir = vztest::sampleMetafileDir();
    if (dir.isEmpty()) {
        qInfo("the shared sample metafiles are not present: only the in-tree fixture is compared");
        return;
    }
    QStringList files = QDir(dir).entryList({QStringLiteral("*.wmf"), QStringLiteral("*.emf")}, QDir::Files);
    files.sort();
    for (const QString &f : files)
        QTest::newRow(qPrintable(f)) << dir + f;
}

void TestReaderCompare::againstReference()
{
    QFETCH(QString, path);
    const QString name = QFileInfo(path).fileName();
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    const QImage mine = render(path);
    QRect ink;
    const QImage thumb = inkThumbnail(mine, &ink);
    QVERIFY2(!thumb.isNull(), "nothing drawn");

    for (const Expected &e : kByEye) {
        if (name != QLatin1String(e.name))
            continue;
        // Dark ink only: these drawings lie on a pale ground filling the frame.
        const QRect dark = vztest::inkBounds(mine, 96);
        const QRectF share(double(dark.x()) / mine.width(), double(dark.y()) / mine.height(),
                           double(dark.width()) / mine.width(), double(dark.height()) / mine.height());
        qInfo("ink %.3f %.3f %.3f %.3f", share.x(), share.y(), share.width(), share.height());
        QVERIFY2(qAbs(share.left() - e.ink.left()) < 0.02 && qAbs(share.top() - e.ink.top()) < 0.02
                     && qAbs(share.right() - e.ink.right()) < 0.02 && qAbs(share.bottom() - e.ink.bottom()) < 0.02,
                 "ink box moved");
        const QRgb c = mine.pixel(int(e.probe.x() * mine.width()), int(e.probe.y() * mine.height()));
        QVERIFY2(qAbs(qRed(c) - qRed(e.colour)) <= 40 && qAbs(qGreen(c) - qGreen(e.colour)) <= 40
                     && qAbs(qBlue(c) - qBlue(e.colour)) <= 40,
                 qPrintable(QStringLiteral("colour %1 at the probe").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'))));
        return;
    }
    QVERIFY2(name.endsWith(QLatin1String(".wmf")), "an EMF file without an expected ink box");

    const QString refPath = kData + QStringLiteral("reference/") + QFileInfo(path).completeBaseName() + QStringLiteral(".pgm");
    QFile refFile(refPath);
    QVERIFY2(refFile.open(QIODevice::ReadOnly), qPrintable(QStringLiteral("no reference; make it with bench/compare_metafile.sh references")));
    const QByteArray refBytes = refFile.readAll();
    const QImage ref = QImage::fromData(refBytes, "PGM").convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(ref.size(), QSize(32, 32));
    const QRectF refInk = referenceInk(refBytes);
    QVERIFY(refInk.isValid());
    // Without a placeable header each reader frames the drawing its own way.
    const auto wmf = vz::mf::WmfDocument::parse(bytes);
    const bool framed = wmf && wmf->isPlaceable();
    const QRectF share(double(ink.x()) / mine.width(), double(ink.y()) / mine.height(),
                       double(ink.width()) / mine.width(), double(ink.height()) / mine.height());
    const bool text = hasText(bytes);
    const double corr = correlation(thumb, ref);
    qInfo("%s: correlation %.3f; ink %.2f,%.2f to %.2f,%.2f, the reference's %.2f,%.2f to %.2f,%.2f",
          text ? "text" : "no text", corr, share.left(), share.top(), share.right(), share.bottom(), refInk.left(),
          refInk.top(), refInk.right(), refInk.bottom());
    // Nothing drawn where the other reader leaves the picture empty.
    const QRectF allowed = refInk.adjusted(-0.05, -0.05, 0.05, 0.05);
    QVERIFY2(!framed
                 || (share.left() >= allowed.left() && share.top() >= allowed.top()
                     && share.right() <= allowed.right() && share.bottom() <= allowed.bottom()),
             "ink outside the reference's ink");
    // Fonts differ between readers: drawings with text are not compared
    // pixel by pixel.
    if (!text)
        QVERIFY2(corr >= 0.85, qPrintable(QString::number(corr)));
}

QTEST_MAIN(TestReaderCompare)
#include "tst_readercompare.moc"
