#include "imaging/RasterEffects.h"

#include "testutils.h"

#include <QRandomGenerator>

#include <algorithm>
#include <vector>

using namespace vz;

Q_DECLARE_METATYPE(vz::Effect)

namespace {

QImage randomImage(int w, int h, QImage::Format format, quint32 seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        auto *p = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            p[x] = qRgb(rng.bounded(256), rng.bounded(256), rng.bounded(256));
    }
    return img.convertToFormat(format);
}

// A smooth picture with edges, closer to real content than noise.
QImage pictureImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *p = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool inside = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < w * h / 8;
            p[x] = inside ? qRgb(230, 40 + y % 50, 30) : qRgb(x * 255 / w, y * 255 / h, 128);
        }
    }
    return img;
}

QList<QRgb> pixels(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    QList<QRgb> out;
    for (int y = 0; y < img.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        out.append(QList<QRgb>(p, p + img.width()));
    }
    return out;
}

int channel(QRgb c, int i)
{
    return i == 0 ? qRed(c) : (i == 1 ? qGreen(c) : qBlue(c));
}

// Reference median: sort the window of each pixel, edges replicated, lower
// median of an even count.
QImage bruteMedian(const QImage &src, int size)
{
    const QImage in = src.convertToFormat(QImage::Format_RGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    const int before = size / 2, after = (size - 1) / 2;
    std::vector<int> window;
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            int result[3];
            for (int c = 0; c < 3; ++c) {
                window.clear();
                for (int dy = -before; dy <= after; ++dy) {
                    const int yy = std::clamp(y + dy, 0, in.height() - 1);
                    const auto *row = reinterpret_cast<const QRgb *>(in.constScanLine(yy));
                    for (int dx = -before; dx <= after; ++dx)
                        window.push_back(channel(row[std::clamp(x + dx, 0, in.width() - 1)], c));
                }
                std::sort(window.begin(), window.end());
                result[c] = window[(window.size() - 1) / 2];
            }
            reinterpret_cast<QRgb *>(out.scanLine(y))[x] = qRgb(result[0], result[1], result[2]);
        }
    }
    return out;
}

// Reference blur: 5 x 5 binomial kernel, edges replicated, rounded.
QImage bruteBlur(const QImage &src)
{
    static const int k[5] = {1, 4, 6, 4, 1};
    const QImage in = src.convertToFormat(QImage::Format_RGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    for (int y = 0; y < in.height(); ++y)
        for (int x = 0; x < in.width(); ++x) {
            int sum[3] = {};
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const QRgb c = reinterpret_cast<const QRgb *>(
                        in.constScanLine(std::clamp(y + dy, 0, in.height() - 1)))[std::clamp(x + dx, 0, in.width() - 1)];
                    for (int i = 0; i < 3; ++i)
                        sum[i] += k[dy + 2] * k[dx + 2] * channel(c, i);
                }
            reinterpret_cast<QRgb *>(out.scanLine(y))[x] =
                qRgb((sum[0] + 128) / 256, (sum[1] + 128) / 256, (sum[2] + 128) / 256);
        }
    return out;
}

// Sum of absolute channel differences.
qint64 distance(const QImage &a, const QImage &b)
{
    const QList<QRgb> p = pixels(a), q = pixels(b);
    qint64 sum = 0;
    for (qsizetype i = 0; i < p.size(); ++i)
        for (int c = 0; c < 3; ++c)
            sum += qAbs(channel(p[i], c) - channel(q[i], c));
    return sum;
}

QImage applied(QImage image, Effect effect, int value)
{
    applyEffect(image, effect, value);
    return image;
}

} // namespace

class TestRasterEffects : public QObject
{
    Q_OBJECT

    void huePermutes(QImage::Format format);

private slots:
    void unchanged_data();
    void unchanged();
    void monotone_data();
    void monotone();
    void hueKeepsExtremes();
    void huePermutesAtThirds();
    void formatsAndVectorsAgree_data();
    void formatsAndVectorsAgree();
    void endpoints();
    void sharpenEdge();
    void blurMatchesReference();
    void mirrors();
    void median_data();
    void median();
    void otherFormatsAreConverted();
};

// Values that must leave an image exactly as it was, in both pixel formats.
void TestRasterEffects::unchanged_data()
{
    QTest::addColumn<Effect>("effect");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("grey"); // run on a grey image only

    for (Effect e : {Effect::Hue, Effect::Saturation, Effect::Intensity, Effect::Contrast, Effect::Sharpen,
                     Effect::Median})
        QTest::addRow("%s neutral", qPrintable(effectName(e))) << e << effectNeutral(e) << false;
    QTest::newRow("hue 360") << Effect::Hue << 360 << false;
    QTest::newRow("hue -360") << Effect::Hue << -360 << false;
    for (int angle : {1, 45, 90, 180, -200, 359})
        QTest::addRow("grey under hue %d", angle) << Effect::Hue << angle << true;
    for (int v : {-1000, -300, 500, 1000})
        QTest::addRow("grey under saturation %d", v) << Effect::Saturation << v << true;
}

void TestRasterEffects::unchanged()
{
    QFETCH(Effect, effect);
    QFETCH(int, value);
    QFETCH(bool, grey);
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_BGR888}) {
        QImage img = randomImage(23, 17, format, 7);
        if (grey)
            img = img.convertToFormat(QImage::Format_Grayscale8).convertToFormat(format);
        const QImage before = img.copy();
        applyEffect(img, effect, value);
        QCOMPARE(img.format(), format);
        QCOMPARE(pixels(img), pixels(before));
    }
}

// The further a value from neutral, the further the result from the original;
// for intensity and contrast also channel by channel.
void TestRasterEffects::monotone_data()
{
    QTest::addColumn<Effect>("effect");
    for (Effect e : {Effect::Hue, Effect::Saturation, Effect::Intensity, Effect::Contrast, Effect::Sharpen,
                     Effect::Median})
        QTest::newRow(qPrintable(effectName(e))) << e;
}

void TestRasterEffects::monotone()
{
    QFETCH(Effect, effect);
    const QImage original = pictureImage(40, 30);
    const int neutral = effectNeutral(effect);
    for (int direction : {-1, 1}) {
        const int end = direction < 0 ? effectMinimum(effect) : effectMaximum(effect);
        if (end == neutral)
            continue;
        // Hue distance grows only up to half a turn.
        const int last = effect == Effect::Hue ? direction * 180 : end;
        qint64 previous = 0;
        QImage previousImage = original;
        for (int step = 1; step <= 8; ++step) {
            const int value = neutral + (last - neutral) * step / 8;
            const QImage img = applied(original, effect, value);
            const qint64 d = distance(img, original);
            QVERIFY2(d >= previous, qPrintable(QStringLiteral("value %1").arg(value)));
            previous = d;
            if (effect == Effect::Intensity || effect == Effect::Contrast) {
                const QList<QRgb> p = pixels(previousImage), q = pixels(img);
                for (qsizetype i = 0; i < p.size(); ++i)
                    for (int c = 0; c < 3; ++c) {
                        const int a = channel(p[i], c), b = channel(q[i], c);
                        if (effect == Effect::Intensity)
                            QVERIFY(direction > 0 ? b >= a : b <= a);
                        else // contrast moves away from mid grey as the value grows
                            QVERIFY(direction > 0 ? qAbs(2 * b - 255) >= qAbs(2 * a - 255)
                                                  : qAbs(2 * b - 255) <= qAbs(2 * a - 255));
                    }
            }
            previousImage = img;
        }
        QVERIFY(previous > 0);
    }
}

// Rotating the hue keeps the largest and the smallest channel of each pixel,
// so HSL lightness and saturation stay; a turn back returns within rounding.
void TestRasterEffects::hueKeepsExtremes()
{
    const QImage original = randomImage(31, 29, QImage::Format_RGB32, 3);
    for (int angle : {7, 90, -135, 300}) {
        const QImage turned = applied(original, Effect::Hue, angle);
        const QList<QRgb> p = pixels(original), q = pixels(turned);
        for (qsizetype i = 0; i < p.size(); ++i) {
            const int r = qRed(p[i]), g = qGreen(p[i]), b = qBlue(p[i]);
            const int r2 = qRed(q[i]), g2 = qGreen(q[i]), b2 = qBlue(q[i]);
            QCOMPARE(std::max({r2, g2, b2}), std::max({r, g, b}));
            QCOMPARE(std::min({r2, g2, b2}), std::min({r, g, b}));
        }
        QVERIFY(vztest::maxChannelDiff(applied(turned, Effect::Hue, -angle), original) <= 1);
    }
}

void TestRasterEffects::huePermutesAtThirds()
{
    for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_BGR888})
        huePermutes(format);
}

void TestRasterEffects::huePermutes(QImage::Format format)
{
    const QImage original = randomImage(16, 16, format, 5);
    const QList<QRgb> p = pixels(original);
    const QList<QRgb> plus = pixels(applied(original, Effect::Hue, 120));
    const QList<QRgb> minus = pixels(applied(original, Effect::Hue, -120));
    const QList<QRgb> twoThirds = pixels(applied(original, Effect::Hue, 240));
    for (qsizetype i = 0; i < p.size(); ++i) {
        // Red turns green: the new green is the old red.
        QCOMPARE(plus[i], qRgb(qBlue(p[i]), qRed(p[i]), qGreen(p[i])));
        QCOMPARE(minus[i], qRgb(qGreen(p[i]), qBlue(p[i]), qRed(p[i])));
        QCOMPARE(twoThirds[i], minus[i]);
    }
}

void TestRasterEffects::endpoints()
{
    const QImage original = randomImage(20, 20, QImage::Format_RGB32, 11);
    const QList<QRgb> p = pixels(original);
    const QList<QRgb> black = pixels(applied(original, Effect::Intensity, -1000));
    const QList<QRgb> white = pixels(applied(original, Effect::Intensity, 1000));
    const QList<QRgb> flat = pixels(applied(original, Effect::Contrast, -1000));
    const QList<QRgb> hard = pixels(applied(original, Effect::Contrast, 1000));
    const QList<QRgb> grey = pixels(applied(original, Effect::Saturation, -1000));
    const QList<QRgb> vivid = pixels(applied(original, Effect::Saturation, 1000));
    for (qsizetype i = 0; i < p.size(); ++i) {
        QCOMPARE(black[i], qRgb(0, 0, 0));
        QCOMPARE(white[i], qRgb(255, 255, 255));
        QCOMPARE(flat[i], qRgb(128, 128, 128));
        for (int c = 0; c < 3; ++c)
            QCOMPARE(channel(hard[i], c), channel(p[i], c) >= 128 ? 255 : 0);

        const int mx = std::max({qRed(p[i]), qGreen(p[i]), qBlue(p[i])});
        const int mn = std::min({qRed(p[i]), qGreen(p[i]), qBlue(p[i])});
        QVERIFY(qRed(grey[i]) == qGreen(grey[i]) && qGreen(grey[i]) == qBlue(grey[i]));
        QVERIFY(qAbs(2 * qRed(grey[i]) - (mx + mn)) <= 1); // lightness kept
        // Doubling the saturation doubles the channel spread around the
        // lightness unless a channel reaches 0 or 255 first.
        const int vmx = std::max({qRed(vivid[i]), qGreen(vivid[i]), qBlue(vivid[i])});
        const int vmn = std::min({qRed(vivid[i]), qGreen(vivid[i]), qBlue(vivid[i])});
        QVERIFY(qAbs((vmx + vmn) - (mx + mn)) <= 2);
        if (vmx < 255 && vmn > 0)
            QVERIFY(qAbs((vmx - vmn) - 2 * (mx - mn)) <= 2);
        else
            QVERIFY(vmx - vmn >= mx - mn);
    }
}

// An unsharp mask overshoots on both sides of an edge and leaves flat areas
// alone.
void TestRasterEffects::sharpenEdge()
{
    QImage img(20, 6, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            reinterpret_cast<QRgb *>(img.scanLine(y))[x] = x < 10 ? qRgb(60, 60, 60) : qRgb(200, 200, 200);
    const QImage sharp = applied(img, Effect::Sharpen, 500);
    const QImage sharper = applied(img, Effect::Sharpen, 1000);
    for (int y = 0; y < img.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(sharp.constScanLine(y));
        const auto *row2 = reinterpret_cast<const QRgb *>(sharper.constScanLine(y));
        QVERIFY(qRed(row[9]) < 60 && qRed(row[10]) > 200);
        QVERIFY(qRed(row2[9]) < qRed(row[9]) && qRed(row2[10]) > qRed(row[10]));
        QCOMPARE(row[0], qRgb(60, 60, 60));
        QCOMPARE(row[19], qRgb(200, 200, 200));
    }
}

void TestRasterEffects::blurMatchesReference()
{
    for (QSize size : {QSize(1, 1), QSize(3, 2), QSize(17, 9)}) {
        const QImage original = randomImage(size.width(), size.height(), QImage::Format_RGB888, 13);
        QVERIFY(vztest::maxChannelDiff(applied(original, Effect::Sharpen, -1000), bruteBlur(original)) <= 1);
    }
}

// Every effect gives the same pixels whichever way the picture is held, and
// with or without the wide vectors (where the processor has them). Widths
// from 1 up cover the loops' tails.
void TestRasterEffects::formatsAndVectorsAgree_data()
{
    QTest::addColumn<Effect>("effect");
    QTest::addColumn<int>("value");
    const std::pair<Effect, QList<int>> cases[] = {
        {Effect::Hue, {1, 45, 90, 179, -60, -359}}, {Effect::Saturation, {-1000, -400, 250, 1000}},
        {Effect::Intensity, {-700, 300}},           {Effect::Contrast, {-500, 999}},
        {Effect::Sharpen, {-300, 600}},             {Effect::Median, {4}},
        {Effect::Flip, {0}},                        {Effect::Reverse, {0}},
    };
    for (const auto &[effect, values] : cases)
        for (int v : values)
            QTest::addRow("%s %d", qPrintable(effectName(effect)), v) << effect << v;
}

void TestRasterEffects::formatsAndVectorsAgree()
{
    QFETCH(Effect, effect);
    QFETCH(int, value);
    for (int width : {1, 3, 5, 6, 7, 8, 9, 13, 37}) {
        const QImage original = randomImage(width, 4, QImage::Format_RGB32, quint32(width));
        const QList<QRgb> expected = pixels(applied(original, effect, value));
        for (const bool wide : {true, false}) {
            setWideSimdEnabled(wide);
            for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_BGR888}) {
                const QImage img = applied(original.convertToFormat(format), effect, value);
                QCOMPARE(img.format(), format);
                QVERIFY2(pixels(img) == expected,
                         qPrintable(QStringLiteral("width %1, format %2, wide %3").arg(width).arg(format).arg(wide)));
            }
        }
        setWideSimdEnabled(true);
    }
}

void TestRasterEffects::mirrors()
{
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_BGR888}) {
        const QImage original = randomImage(23, 6, format, 17);
        const QImage flipped = applied(original, Effect::Flip, 0);
        const QImage reversed = applied(original, Effect::Reverse, 0);
        QCOMPARE(pixels(flipped), pixels(original.mirrored(false, true)));
        QCOMPARE(pixels(reversed), pixels(original.mirrored(true, false)));
        QCOMPARE(pixels(applied(flipped, Effect::Flip, 0)), pixels(original));
        QCOMPARE(pixels(applied(reversed, Effect::Reverse, 0)), pixels(original));
    }
}

void TestRasterEffects::median_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<bool>("picture"); // smooth content in place of noise
    for (int size : {2, 5, 20}) {
        // Single pixels and lines, images narrower or lower than the window,
        // and ones larger than it on both axes.
        // The widest one is done in more than one strip.
        for (QSize s : {QSize(1, 1), QSize(1, 9), QSize(7, 1), QSize(3, 30), QSize(26, 4), QSize(33, 41),
                        QSize(1100, 3)})
            QTest::addRow("size %d, %dx%d", size, s.width(), s.height()) << size << s << QImage::Format_RGB32 << false;
        QTest::addRow("size %d, RGB888", size) << size << QSize(29, 23) << QImage::Format_RGB888 << false;
    }
    QTest::newRow("size 20 on a picture") << 20 << QSize(60, 45) << QImage::Format_RGB32 << true;
}

void TestRasterEffects::median()
{
    QFETCH(int, size);
    QFETCH(QSize, imageSize);
    QFETCH(QImage::Format, format);
    QFETCH(bool, picture);
    QImage img = picture ? pictureImage(imageSize.width(), imageSize.height())
        : randomImage(imageSize.width(), imageSize.height(), format, quint32(size * 1000 + imageSize.width()));
    const QImage expected = bruteMedian(img, size);
    medianFilter(img, size);
    QCOMPARE(img.format(), format);
    QCOMPARE(pixels(img), pixels(expected));
}

void TestRasterEffects::otherFormatsAreConverted()
{
    QImage img(4, 3, QImage::Format_Grayscale8);
    img.fill(100);
    changeIntensity(img, -500);
    QCOMPARE(img.format(), QImage::Format_RGB32);
    QCOMPARE(pixels(img), QList<QRgb>(12, qRgb(50, 50, 50)));

    QImage empty;
    for (Effect e : {Effect::Hue, Effect::Median, Effect::Flip})
        applyEffect(empty, e, 5); // a null image is left alone
    QVERIFY(empty.isNull());
}

QTEST_GUILESS_MAIN(TestRasterEffects)
#include "tst_rastereffects.moc"
