#include "imaging/FastImage.h"

#include "common/Rounding.h"
#include "common/VzError.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace vz {

namespace {

constexpr float kSupport = 3.0f;

float sinc(float x)
{
    if (x == 0.0f)
        return 1.0f;
    x = float(double(x) * M_PI);
    return float(std::sin(double(x)) / double(x));
}

inline uchar toByte(float v)
{
    if (v > 255.0f)
        return 255;
    if (v < 0.0f)
        return 0;
    return uchar(std::nearbyint(v));
}

} // namespace

FastBmp::FastBmp(int width, int height) : m_image(width, height, QImage::Format_BGR888) {}

FastBmp FastBmp::fromImage(const QImage &image)
{
    FastBmp b;
    if (!image.isNull())
        b.m_image = image.convertToFormat(QImage::Format_BGR888);
    return b;
}

void FastBmp::draw(QImage &target, int x, int y) const
{
    if (isNull())
        return;
    if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32)
        target = target.convertToFormat(QImage::Format_RGB32);
    const int x0 = qMax(0, x), x1 = qMin(target.width(), x + width());
    const int y0 = qMax(0, y), y1 = qMin(target.height(), y + height());
    for (int ty = y0; ty < y1; ++ty) {
        const uchar *s = scanLine(ty - y);
        QRgb *d = reinterpret_cast<QRgb *>(target.scanLine(ty));
        for (int tx = x0; tx < x1; ++tx) {
            const uchar *p = s + 3 * (tx - x);
            d[tx] = qRgb(p[2], p[1], p[0]);
        }
    }
}

float lanczos3(float x)
{
    if (x < 0.0f)
        x = -x;
    if (x < kSupport)
        return sinc(x) * sinc(x / 3.0f);
    return 0.0f;
}

float resampleScale(int src, int dst)
{
    float s = src == 1 ? float(dst) / float(src) : float(dst - 1) / float(src - 1);
    // One destination pixel from a larger source would have no scale at all;
    // take the plain ratio instead.
    if (s == 0.0f)
        s = float(dst) / float(src);
    return s;
}

std::vector<ContributorList> lanczosContributors(int src, int dst)
{
    std::vector<ContributorList> out(dst);
    const float scale = resampleScale(src, dst);
    auto source = [src](int j) {
        int n = j < 0 ? -j : (j >= src ? 2 * src - 1 - j : j);
        // A tiny source can mirror outside itself; keep the index inside.
        return qBound(0, n, src - 1);
    };
    for (int i = 0; i < dst; ++i) {
        std::vector<Contributor> &items = out[i].items;
        if (scale >= 1.0f) {
            const float c = float(i) / scale;
            const int left = int(std::trunc(c - kSupport));
            const int right = int(std::trunc(c + kSupport));
            for (int j = left; j <= right; ++j) {
                const float w = lanczos3(c - float(j));
                if (w != 0.0f)
                    items.push_back({source(j), w});
            }
        } else {
            const float reach = kSupport / scale;
            const float f = 1.0f / scale;
            const float c = float(i) / scale;
            const int left = int(std::trunc(c - reach));
            const int right = int(std::trunc(c + reach));
            for (int j = left; j <= right; ++j) {
                const float w = lanczos3((c - float(j)) / f) / f;
                if (w != 0.0f)
                    items.push_back({source(j), w});
            }
        }
    }
    return out;
}

namespace {

// Four channel values (blue, green, red, unused) in one vector: the lanes are
// summed independently with the same single-precision operations as scalar
// code, so the result is the same as one channel at a time.
typedef float v4f __attribute__((vector_size(16)));

// Source rows as bytes, 3 (24-bit) or 4 (32-bit, blue-green-red-x) a pixel.
struct SourceRows
{
    const QImage &image;
    int bytesPerPixel;

    void toFloats(int y, v4f *out) const
    {
        const uchar *s = image.constScanLine(y);
        const int w = image.width();
        for (int x = 0; x < w; ++x, s += bytesPerPixel)
            out[x] = v4f{float(s[0]), float(s[1]), float(s[2]), 0.0f};
    }
};

FastBmp resampleRows(const SourceRows &src, int newWidth, int newHeight)
{
    const int w = src.image.width(), h = src.image.height();
    if (w < 1 || h < 1 || newWidth < 1 || newHeight < 1)
        throw ImageError(QStringLiteral("Invalid image size"));

    // Horizontal pass into an intermediate of newWidth x h. Eight source rows
    // at a time share each column's contributors.
    const std::vector<ContributorList> cols = lanczosContributors(w, newWidth);
    FastBmp mid(newWidth, h);
    constexpr int kRows = 8;
    std::vector<v4f> rows(size_t(kRows) * w);
    for (int y0 = 0; y0 < h; y0 += kRows) {
        const int n = qMin(kRows, h - y0);
        for (int k = 0; k < n; ++k)
            src.toFloats(y0 + k, rows.data() + size_t(k) * w);
        // Rows past the image's end repeat the first; their sums are unused.
        const v4f *r[kRows];
        for (int k = 0; k < kRows; ++k)
            r[k] = rows.data() + size_t(k < n ? k : 0) * w;
        for (int i = 0; i < newWidth; ++i) {
            v4f a[kRows];
            for (int k = 0; k < kRows; ++k)
                a[k] = v4f{0, 0, 0, 0};
            for (const Contributor &c : cols[i].items) {
                const v4f wt = {c.weight, c.weight, c.weight, c.weight};
                for (int k = 0; k < kRows; ++k)
                    a[k] = a[k] + r[k][c.index] * wt;
            }
            for (int k = 0; k < n; ++k) {
                uchar *d = mid.scanLine(y0 + k) + 3 * i;
                d[0] = toByte(a[k][0]);
                d[1] = toByte(a[k][1]);
                d[2] = toByte(a[k][2]);
            }
        }
    }

    // Vertical pass: each destination row sums whole intermediate rows, in
    // contributor order, so every value keeps its summation order.
    const std::vector<ContributorList> rowsOf = lanczosContributors(h, newHeight);
    FastBmp dst(newWidth, newHeight);
    const int n = newWidth * 3;
    std::vector<float> acc(n);
    for (int y = 0; y < newHeight; ++y) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (const Contributor &k : rowsOf[y].items) {
            const uchar *s = mid.scanLine(k.index);
            const float wgt = k.weight;
            for (int x = 0; x < n; ++x)
                acc[x] = acc[x] + float(s[x]) * wgt;
        }
        uchar *d = dst.scanLine(y);
        for (int x = 0; x < n; ++x)
            d[x] = toByte(acc[x]);
    }
    return dst;
}

} // namespace

FastBmp Resample(const FastBmp &src, int newWidth, int newHeight)
{
    if (src.isNull())
        throw ImageError(QStringLiteral("Invalid image size"));
    return resampleRows(SourceRows{src.image(), 3}, newWidth, newHeight);
}

FastBmp resampleImage(const QImage &image, int newWidth, int newHeight)
{
    if (image.isNull())
        throw ImageError(QStringLiteral("Invalid image size"));
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return resampleRows(SourceRows{image, 4}, newWidth, newHeight);
    return Resample(FastBmp::fromImage(image), newWidth, newHeight);
}

QByteArray bmp24Bytes(const QImage &imageIn)
{
    const QImage image = imageIn.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    const int rowSize = ((w * 3 + 3) / 4) * 4;
    const quint32 imageSize = quint32(rowSize) * quint32(h);
    QByteArray out(14 + 40 + qsizetype(imageSize), '\0');
    char *p = out.data();
    auto put16 = [](char *at, quint16 v) { qToLittleEndian<quint16>(v, at); };
    auto put32 = [](char *at, quint32 v) { qToLittleEndian<quint32>(v, at); };
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, quint32(out.size()));
    put32(p + 10, 54);
    put32(p + 14, 40);
    put32(p + 18, quint32(w));
    put32(p + 22, quint32(h)); // bottom-up rows
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 34, imageSize);
    for (int y = 0; y < h; ++y) {
        const QRgb *s = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *d = reinterpret_cast<uchar *>(p + 54 + qsizetype(h - 1 - y) * rowSize);
        for (int x = 0; x < w; ++x) {
            d[3 * x] = uchar(qBlue(s[x]));
            d[3 * x + 1] = uchar(qGreen(s[x]));
            d[3 * x + 2] = uchar(qRed(s[x]));
        }
    }
    return out;
}

} // namespace vz
