// vztool layout pdf, run as a process: where each kind of picture lands on
// the PDF page for every print type, and how the command fails.

#include "testutils.h"

#include "imaging/Picture.h"
#include "printpage/LayoutFile.h"
#include "printpage/TextBoxData.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <optional>

namespace {

const QString kTool = QStringLiteral(VZ_PROGRAM_DIR "/vztool");
constexpr int kDpi = 600;
constexpr int kPanel = 800;
constexpr int kRaster = 100; // pdftoppm's resolution
constexpr double kToleranceMm = 1.5;

struct Run
{
    int code = -1;
    QString out, err;
};

Run vztool(const QStringList &args)
{
    QProcess p;
    p.start(kTool, args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Standard output of a helper program; nullopt when it fails.
std::optional<QString> runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

vz::Picture redBitmap(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::red);
    return vz::Picture::fromImage(img);
}

vz::Picture blueJpeg()
{
    QImage img(50, 50, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(img);
    return vz::Picture::fromBytes(bytes, vz::Picture::Kind::Jpeg);
}

// Red 2 x 1 in at (1, 1) in, blue 1 x 1 in at (1, 3) in, a bordered text box
// at page pixels (100, 500, 250, 80).
vz::PageLayout samplePage()
{
    vz::PageLayout page;
    page.ppiX = page.ppiY = 96;
    page.pictures = {{redBitmap(QSize(60, 30)), QRect(96, 96, 192, 96)}, {blueJpeg(), QRect(96, 288, 96, 96)}};
    vz::TextBoxData box;
    box.bounds = QRect(100, 500, 250, 80);
    box.text = QStringLiteral("Hello there");
    box.fontSize = 20;
    box.borderSingle = box.borderFlag = true;
    page.boxes = {box};
    return page;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The bounding box, in raster pixels, of the pixels `match` accepts.
template<typename Match>
std::optional<QRect> boundsOf(const QImage &image, Match match)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    int left = img.width(), top = img.height(), right = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (match(row[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return std::nullopt;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

bool isRed(QRgb c) { return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80; }
bool isBlue(QRgb c) { return qBlue(c) > 180 && qRed(c) < 80 && qGreen(c) < 80; }
bool isDark(QRgb c) { return qRed(c) < 110 && qGreen(c) < 110 && qBlue(c) < 110; }

// Compares a found box (raster pixels) with the expected one (inches).
QString mismatch(const std::optional<QRect> &found, const QRectF &inches)
{
    if (!found)
        return QStringLiteral("not found");
    const double tol = kToleranceMm / 25.4 * kRaster;
    const QRectF want(inches.x() * kRaster, inches.y() * kRaster, inches.width() * kRaster, inches.height() * kRaster);
    const double edges[4][2] = {{double(found->left()), want.left()},
                                {double(found->top()), want.top()},
                                {double(found->right() + 1), want.right()},
                                {double(found->bottom() + 1), want.bottom()}};
    for (const auto &e : edges) {
        if (std::abs(e[0] - e[1]) > tol)
            return QStringLiteral("found %1,%2 %3x%4, expected %5,%6 %7x%8 (raster pixels)")
                .arg(found->x()).arg(found->y()).arg(found->width()).arg(found->height())
                .arg(want.x()).arg(want.y()).arg(want.width()).arg(want.height());
    }
    return QString();
}

} // namespace

class TestLayoutPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placement_data();
    void placement();
    void failures();

private:
    QTemporaryDir m_dir;
    QString m_good;
};

void TestLayoutPdf::initTestCase()
{
    if (!QFile::exists(kTool))
        QSKIP("vztool not built");
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdfinfo or pdftoppm (poppler-utils) missing");
    m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("VZ_KEEP_TEST_FILES"));
    m_good = m_dir.filePath(QStringLiteral("good.VZL"));
    writeFile(m_good, vz::encodeLayout(samplePage()));
}

void TestLayoutPdf::placement_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("defaults") << QStringList();
    QTest::newRow("ddb") << QStringList{QStringLiteral("--type"), QStringLiteral("0")};
    QTest::newRow("24 bits, compress")
        << QStringList{QStringLiteral("--type"), QStringLiteral("1"), QStringLiteral("--style"), QStringLiteral("compress")};
    QTest::newRow("banded, winstretch")
        << QStringList{QStringLiteral("--type"), QStringLiteral("3"), QStringLiteral("--style"), QStringLiteral("winstretch")};
    QTest::newRow("banded at 300 dpi, panel 1000")
        << QStringList{QStringLiteral("--type"), QStringLiteral("3"), QStringLiteral("--dpi"), QStringLiteral("300"),
                       QStringLiteral("--page-height"), QStringLiteral("1000")};
}

void TestLayoutPdf::placement()
{
    QFETCH(QStringList, options);
    const QString pdf = m_dir.filePath(QStringLiteral("page.pdf"));
    QFile::remove(pdf);
    const Run r = vztool(QStringList{QStringLiteral("layout"), QStringLiteral("pdf"), m_good, pdf} + options);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(QFile::exists(pdf));

    // One A4 page (the paper when /etc/papersize names none other), titled.
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf}).value_or(QString());
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Vellozine\\n"))), qPrintable(info));
    QFile papersize(QStringLiteral("/etc/papersize"));
    const bool a4 = !papersize.open(QIODevice::ReadOnly) || papersize.readAll().trimmed().toLower() == "a4";
    if (a4) {
        const auto m = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
        QVERIFY2(m.hasMatch(), qPrintable(info));
        QVERIFY(std::abs(m.captured(1).toDouble() - 595.28) < 1 && std::abs(m.captured(2).toDouble() - 841.89) < 1);
    }

    const QString prefix = m_dir.filePath(QStringLiteral("raster"));
    QVERIFY(runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kRaster), QStringLiteral("-png"),
                                                 QStringLiteral("-singlefile"), pdf, prefix}));
    const QImage raster(prefix + QStringLiteral(".png"));
    QVERIFY(!raster.isNull());

    // The page scale as the command's own page: the printable height of the
    // PDF page over the page panel's height; pictures in page pixels at the
    // page's pixels per inch.
    int dpi = kDpi;
    int panel = kPanel;
    if (int i = options.indexOf(QStringLiteral("--dpi")); i >= 0)
        dpi = options[i + 1].toInt();
    if (int i = options.indexOf(QStringLiteral("--page-height")); i >= 0)
        panel = options[i + 1].toInt();
    QPdfWriter probe(m_dir.filePath(QStringLiteral("probe.pdf")));
    probe.setResolution(dpi);
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0.25, 0.25, 0.25, 0.25),
                             QPageLayout::Inch);
    probe.setPageLayout(layout);
    const double s = double(probe.height()) / panel;
    const double ppi = std::nearbyint(dpi / s);
    const QPointF origin(0.25, 0.25);
    const auto placed = [&](QRectF pageInches) {
        // inches -> page pixels (rounded) -> printer pixels (rounded) -> inches
        const auto edge = [&](double in) { return std::nearbyint(std::nearbyint(in * ppi) * s) / dpi; };
        const double l = edge(pageInches.left()), t = edge(pageInches.top());
        return QRectF(origin.x() + l, origin.y() + t, edge(pageInches.right()) - l, edge(pageInches.bottom()) - t);
    };
    if (!a4)
        QSKIP("/etc/papersize names another paper: places not checked");
    QString why = mismatch(boundsOf(raster, isRed), placed(QRectF(1, 1, 2, 1)));
    QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("red: ") + why));
    why = mismatch(boundsOf(raster, isBlue), placed(QRectF(1, 3, 1, 1)));
    QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("blue: ") + why));
    // The text box keeps its page pixels; its outline and text stay inside it.
    const QRectF box(origin.x() + 100 * s / dpi, origin.y() + 500 * s / dpi, 250 * s / dpi, 80 * s / dpi);
    why = mismatch(boundsOf(raster, isDark), box);
    QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("text box: ") + why));
}

void TestLayoutPdf::failures()
{
    const auto args = [](const QString &in, const QString &out, QStringList more = {}) {
        return QStringList{QStringLiteral("layout"), QStringLiteral("pdf"), in, out} + more;
    };
    const QString out = m_dir.filePath(QStringLiteral("fail.pdf"));
    const QByteArray good = vz::encodeLayout(samplePage());

    // Usage errors.
    for (const QStringList &bad : {QStringList{QStringLiteral("--type"), QStringLiteral("4")},
                                   QStringList{QStringLiteral("--style"), QStringLiteral("slow")},
                                   QStringList{QStringLiteral("--dpi"), QStringLiteral("0")},
                                   QStringList{QStringLiteral("--page-height"), QStringLiteral("x")},
                                   QStringList{QStringLiteral("extra")}}) {
        const Run r = vztool(args(m_good, out, bad));
        QVERIFY2(r.code == 2, qPrintable(bad.join(' ')));
    }
    QVERIFY(!QFile::exists(out));

    // A missing file, a wrong version: the message, no output; a file that
    // was there stays as it was.
    Run r = vztool(args(m_dir.filePath(QStringLiteral("none.VZL")), out));
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("The file you requested does not exist.")));
    QByteArray v2 = good;
    v2[6] = 2;
    const QString v2Path = m_dir.filePath(QStringLiteral("v2.VZL"));
    writeFile(v2Path, v2);
    writeFile(out, "before");
    r = vztool(args(v2Path, out));
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("It requires version 2.00.")), qPrintable(r.err));
    QFile kept(out);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("before"));
    kept.close();

    // A body cut inside the text boxes: the message, what was read printed.
    const QString cutPath = m_dir.filePath(QStringLiteral("cut.VZL"));
    QByteArray cut = good.left(good.size() - 40);
    qToLittleEndian<qint32>(qint32(cut.size()), cut.data()); // the stored length still matches
    writeFile(cutPath, cut);
    r = vztool(args(cutPath, out));
    QCOMPARE(r.code, 1);
    QVERIFY2(!r.err.isEmpty() && !r.err.contains(QStringLiteral("header")), qPrintable(r.err));
    QVERIFY(runTool(QStringLiteral("pdfinfo"), {out}).value_or(QString()).contains(QStringLiteral("Vellozine")));

    // A bitmap too small for the tiled printer: "Bitmap load error", exit 1,
    // the page as far as it was drawn; direct it prints.
    vz::PageLayout tiny;
    tiny.pictures = {{redBitmap(QSize(2, 2)), QRect(10, 10, 20, 20)}};
    const QString tinyPath = m_dir.filePath(QStringLiteral("tiny.VZL"));
    writeFile(tinyPath, vz::encodeLayout(tiny));
    QFile::remove(out);
    r = vztool(args(tinyPath, out, {QStringLiteral("--type"), QStringLiteral("3")}));
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Bitmap load error")), qPrintable(r.err));
    QVERIFY(QFile::exists(out));
    r = vztool(args(tinyPath, out));
    QVERIFY2(r.code == 0, qPrintable(r.err));

    // An output that cannot be written.
    r = vztool(args(m_good, m_dir.filePath(QStringLiteral("no/such/dir/out.pdf"))));
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("cannot write")));
}

QTEST_MAIN(TestLayoutPdf)
#include "tst_layoutpdf.moc"
