// Drawing a metafile costs what its target holds, not what its mapping makes
// of the picture: text, pens and bitmaps reach the painter within eight
// times the target's larger side, however large the picture's units are.

#include "testutils.h"
#include "wmfbuilder.h"

#include "metafile/EmfPlayer.h"
#include "metafile/WmfPlayer.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>

#include <sys/resource.h>

#include <cmath>

using vztest::WmfBuilder;
using namespace vz::mf;

#if defined(__SANITIZE_ADDRESS__)
#define VZ_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VZ_UNDER_ASAN 1
#endif
#endif

namespace {

const QRgb K = qRgb(0, 0, 0);

// A paint device that draws nothing and keeps the largest things asked of
// it, in device pixels.
class RecordingEngine : public QPaintEngine
{
public:
    RecordingEngine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    Type type() const override { return User; }

    void drawPath(const QPainterPath &) override { notePen(); }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override { notePen(); }
    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &) override { noteImage(r, pm.size()); }
    void drawImage(const QRectF &r, const QImage &img, const QRectF &, Qt::ImageConversionFlags) override
    {
        noteImage(r, img.size());
    }
    void drawTextItem(const QPointF &, const QTextItem &ti) override
    {
        const QFont f = ti.font();
        const double px = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * 96 / 72;
        const double stretch = f.stretch() > 100 ? f.stretch() / 100.0 : 1.0;
        largestText = std::max(largestText, px * stretch * scale());
        ++texts;
    }

    double largestText = 0, largestPen = 0, largestImage = 0;
    int texts = 0, paths = 0, images = 0;

private:
    double scale() const { return std::sqrt(std::abs(painter()->transform().determinant())); }
    void notePen()
    {
        ++paths;
        const QPen pen = painter()->pen();
        if (pen.style() != Qt::NoPen && !pen.isCosmetic())
            largestPen = std::max(largestPen, pen.widthF() * scale());
    }
    void noteImage(const QRectF &r, QSize)
    {
        const QRectF d = painter()->transform().mapRect(r);
        largestImage = std::max({largestImage, d.width(), d.height()});
        ++images;
    }
};

class RecordingDevice : public QPaintDevice
{
public:
    RecordingDevice(int w, int h) : m_w(w), m_h(h) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    RecordingEngine &engine() const { return m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_w;
        case PdmHeight: return m_h;
        case PdmWidthMM: return m_w * 254 / 960;
        case PdmHeightMM: return m_h * 254 / 960;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    int m_w, m_h;
    mutable RecordingEngine m_engine;
};

QByteArray fixture(const char *name)
{
    QFile f(QStringLiteral(VZ_SOURCE_DIR "/tests/metafile/data/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Plays either kind of metafile onto a painter, its frame into `target`.
void playAny(const QByteArray &bytes, QPainter &p, const QRectF &target)
{
    if (const auto emf = EmfDocument::parse(bytes))
        playEmf(*emf, p, target);
    else if (const auto wmf = WmfDocument::parse(bytes))
        playWmf(*wmf, p, target);
}

// A mapping where one logical unit is some 2,000 pixels of a 64-pixel
// target: a window extent of one unit over a viewport of 30,000.
WmfBuilder hugeUnits()
{
    WmfBuilder b;
    b.mapMode(8).windowOrg(0, 0).windowExt(1, 1).viewportOrg(0, 0).viewportExt(30000, 30000);
    return b;
}

QImage play(const QByteArray &bytes, QSize image, QRectF target)
{
    QImage img(image, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    playAny(bytes, p, target);
    p.end();
    return img;
}

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A colour emoji font (one glyph): colour fonts are drawn from images, so
// a huge size of one is what costs memory.
void loadColourFont()
{
    QFontDatabase::addApplicationFont(QStringLiteral(VZ_SOURCE_DIR "/tests/metafile/data/NotoColorEmoji-1F600.ttf"));
}

// The child's part of peakMemory: draw the file into 64 x 48, print how far
// the peak resident size grew. Its address space is capped so that a
// regression fails the test rather than the machine.
int peakChild(const QString &path)
{
    rlimit cap{};
    cap.rlim_cur = cap.rlim_max = rlim_t(3) << 30;
    setrlimit(RLIMIT_AS, &cap);
    loadColourFont();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray bytes = f.readAll();
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::white);
    const long before = peakRssKb();
    QPainter p(&img);
    playAny(bytes, p, QRectF(0, 0, 64, 48));
    p.end();
    printf("grew %ld\n", peakRssKb() - before);
    return 0;
}

} // namespace

class TestDrawingBounds : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { loadColourFont(); }
    void boundedByTarget_data();
    void boundedByTarget();
    void largeTextKeepsItsShape();
    void peakMemory();
};

void TestDrawingBounds::boundedByTarget_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("drawsText");
    // Found by fuzzing: an anisotropic mapping without a window extent (one
    // unit is 14,000 device pixels), a 600-unit colour font and one
    // EXTTEXTOUTW.
    QTest::newRow("EMF, 600-unit font, no window extent") << fixture("huge-text.emf") << true;
    QTest::newRow("WMF, 600-unit font on huge units")
        << hugeUnits().font(-600).select(0).textOut(0, 0, "Wg").build(QRect(0, 0, 1000, 750)) << true;
    QTest::newRow("WMF, text stretched 40 times across")
        << WmfBuilder().mapMode(8).windowExt(1, 1).viewportExt(4000, 100).font(-6).select(0).textOut(0, 0, "Wg")
               .build(QRect(0, 0, 1000, 750))
        << true;
    QTest::newRow("WMF, pen 30,000 units wide")
        << hugeUnits().pen(K, 0, 30000).select(0).rec(0x0214, {0, 0}).rec(0x0213, {0, 1}).build(QRect(0, 0, 1000, 750))
        << false;
    QTest::newRow("WMF, bitmap stretched past the target")
        << hugeUnits().stretchDib(vztest::dib8(2, 2, {K, qRgb(255, 0, 0)}, {QByteArray("\x00\x01", 2), QByteArray("\x01\x00", 2)}), 2, 2,
                                  QRect(-5, -5, 10, 10))
               .build(QRect(0, 0, 1000, 750))
        << false;
}

void TestDrawingBounds::boundedByTarget()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, drawsText);
    QVERIFY(!file.isEmpty());
    RecordingDevice dev(64, 48);
    QPainter p(&dev);
    playAny(file, p, QRectF(0, 0, 64, 48));
    p.end();
    const RecordingEngine &e = dev.engine();
    const double bound = 8 * 64;
    qInfo("text %.0f, pen %.0f, image %.0f device pixels", e.largestText, e.largestPen, e.largestImage);
    QVERIFY2(e.largestText <= bound, qPrintable(QString::number(e.largestText)));
    QVERIFY2(e.largestPen <= bound + 1e-6, qPrintable(QString::number(e.largestPen)));
    QVERIFY2(e.largestImage <= bound, qPrintable(QString::number(e.largestImage)));
    // The drawing still happened: as outlines, a wide stroke or a bitmap.
    QVERIFY(e.paths + e.images + e.texts > 0);
    if (drawsText)
        QCOMPARE(e.texts, 0);
}

void TestDrawingBounds::largeTextKeepsItsShape()
{
    // An "H" whose em is nine times the 64-pixel target is drawn as
    // outlines; drawn into a ten times larger image (plain glyphs there) the
    // same target area looks the same.
    WmfBuilder b;
    b.font(-9000).select(0).rec(0x012E, {24}).textOut(-500, 4000, "H");
    const QByteArray file = b.build(QRect(0, 0, 1000, 750));
    const QImage small = play(file, QSize(64, 48), QRectF(0, 0, 64, 48));
    const QImage large = play(file, QSize(640, 480), QRectF(0, 0, 64, 48)).copy(0, 0, 64, 48);
    const QRect ink = vztest::inkBounds(small);
    QVERIFY2(ink.isValid() && ink.width() < 64, "a stem of the letter crosses the target");
    QVERIFY(vztest::differingShare(small, large, 64) < 0.02);
}

void TestDrawingBounds::peakMemory()
{
#ifdef VZ_UNDER_ASAN
    QSKIP("peak memory means nothing under the address sanitizer");
#else
    // A process of its own, so the peak is this drawing's alone.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VZ_PEAK_CHILD"), QStringLiteral(VZ_SOURCE_DIR "/tests/metafile/data/huge-text.emf"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    const QByteArray out = child.readAllStandardOutput().trimmed();
    QVERIFY2(out.startsWith("grew "), out.constData());
    const long grewKb = out.mid(5).toLong();
    qInfo("peak resident size grew by %ld KB", grewKb);
    QVERIFY2(grewKb < 64 * 1024, out.constData());
#endif
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString child = qEnvironmentVariable("VZ_PEAK_CHILD");
    if (!child.isEmpty())
        return peakChild(child);
    TestDrawingBounds test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drawingbounds.moc"
