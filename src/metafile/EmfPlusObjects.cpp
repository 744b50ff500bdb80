#include "metafile/EmfPlusObjects.h"

#include "imaging/RasterFile.h"
#include "metafile/Dib.h"
#include "metafile/EmfPlusReader.h"
#include "metafile/EmfReader.h"
#include "metafile/WmfReader.h"

#include <QBuffer>
#include <QImageReader>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vz::mf::emfplus {

namespace {

enum : quint32 { BrushPath = 0x01, BrushTransform = 0x02, BrushPresetColors = 0x04, BrushBlendH = 0x08,
                 BrushBlendV = 0x10, BrushFocusScales = 0x40 };

// Rows of the hatch tiles, most significant bit leftmost; set bits take the
// fore colour.
constexpr quint8 kHatch[53][8] = {
    {0xFF, 0, 0, 0, 0, 0, 0, 0},                          // horizontal
    {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},     // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},     // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},     // backward diagonal
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},     // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},     // diagonal cross
    {0x80, 0, 0, 0, 0x08, 0, 0, 0},                       // 5 %
    {0x80, 0, 0x08, 0, 0x80, 0, 0x08, 0},                 // 10 %
    {0x88, 0, 0x22, 0, 0x88, 0, 0x22, 0},                 // 20 %
    {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22},     // 25 %
    {0xAA, 0x44, 0xAA, 0x11, 0xAA, 0x44, 0xAA, 0x11},     // 30 %
    {0xAA, 0x55, 0xAA, 0x51, 0xAA, 0x55, 0xAA, 0x15},     // 40 %
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},     // 50 %
    {0xEE, 0x55, 0xBB, 0x55, 0xEE, 0x55, 0xBB, 0x55},     // 60 %
    {0x77, 0xDD, 0x77, 0xEE, 0x77, 0xDD, 0x77, 0xEE},     // 70 %
    {0x77, 0xFF, 0xDD, 0xFF, 0x77, 0xFF, 0xDD, 0xFF},     // 75 %
    {0x7F, 0xFF, 0xF7, 0xFF, 0x77, 0xFF, 0xFF, 0xFF},     // 80 %
    {0x7F, 0xFF, 0xFF, 0xFF, 0xF7, 0xFF, 0xFF, 0xFF},     // 90 %
    {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},     // light downward diagonal
    {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88},     // light upward diagonal
    {0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99},     // dark downward diagonal
    {0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99},     // dark upward diagonal
    {0xC1, 0xE0, 0x70, 0x38, 0x1C, 0x0E, 0x07, 0x83},     // wide downward diagonal
    {0x83, 0x07, 0x0E, 0x1C, 0x38, 0x70, 0xE0, 0xC1},     // wide upward diagonal
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},     // light vertical
    {0xFF, 0, 0, 0, 0xFF, 0, 0, 0},                       // light horizontal
    {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA},     // narrow vertical
    {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0},                 // narrow horizontal
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},     // dark vertical
    {0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0},                 // dark horizontal
    {0, 0, 0x88, 0x44, 0x22, 0x11, 0, 0},                 // dashed downward diagonal
    {0, 0, 0x11, 0x22, 0x44, 0x88, 0, 0},                 // dashed upward diagonal
    {0xF0, 0, 0, 0, 0x0F, 0, 0, 0},                       // dashed horizontal
    {0x80, 0x80, 0x80, 0x80, 0x08, 0x08, 0x08, 0x08},     // dashed vertical
    {0x80, 0x08, 0x40, 0x02, 0x10, 0x01, 0x20, 0x04},     // small confetti
    {0xB1, 0x30, 0x03, 0x1B, 0xD8, 0xC0, 0x0C, 0x8D},     // large confetti
    {0x81, 0x42, 0x24, 0x18, 0x81, 0x42, 0x24, 0x18},     // zigzag
    {0x00, 0x18, 0xA4, 0x03, 0x00, 0x18, 0xA4, 0x03},     // wave
    {0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81},     // diagonal brick
    {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08},     // horizontal brick
    {0x88, 0x54, 0x22, 0x45, 0x88, 0x14, 0x22, 0x51},     // weave
    {0xAA, 0x55, 0xAA, 0x55, 0xF0, 0xF0, 0xF0, 0xF0},     // plaid
    {0x00, 0x10, 0x08, 0x10, 0x00, 0x01, 0x80, 0x01},     // divot
    {0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00},     // dotted grid
    {0x80, 0x00, 0x22, 0x00, 0x08, 0x00, 0x22, 0x00},     // dotted diamond
    {0x03, 0x84, 0x48, 0x30, 0x0C, 0x02, 0x01, 0x01},     // shingle
    {0xFF, 0x66, 0xFF, 0x99, 0xFF, 0x66, 0xFF, 0x99},     // trellis
    {0x77, 0x89, 0x8F, 0x8F, 0x77, 0x98, 0xF8, 0xF8},     // sphere
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},     // small grid
    {0x99, 0x66, 0x66, 0x99, 0x99, 0x66, 0x66, 0x99},     // small checker board
    {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},     // large checker board
    {0x82, 0x44, 0x28, 0x10, 0x28, 0x44, 0x82, 0x01},     // outlined diamond
    {0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00},     // solid diamond
};

QGradient::Spread spreadFor(int wrap)
{
    switch (wrap) {
    case 0: return QGradient::RepeatSpread;  // tile
    case 4: return QGradient::PadSpread;     // clamp
    default: return QGradient::ReflectSpread; // the flipping tiles
    }
}

// Colour stops after the gradient's fixed part: preset colours, or blend
// factors between `a` and `b`. Returns false when they do not fit.
bool readBlend(const ByteReader &p, qsizetype &at, quint32 flags, const QColor &a, const QColor &b, QGradientStops &stops)
{
    auto mix = [&](double f) {
        f = std::clamp(f, 0.0, 1.0);
        return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * f), float(a.greenF() + (b.greenF() - a.greenF()) * f),
                                float(a.blueF() + (b.blueF() - a.blueF()) * f),
                                float(a.alphaF() + (b.alphaF() - a.alphaF()) * f));
    };
    if (flags & BrushPresetColors) {
        const quint32 n = p.u32(at);
        at += 4;
        if (n == 0 || n > 4096 || !p.has(at, qsizetype(n) * 8))
            return false;
        for (quint32 i = 0; i < n; ++i)
            stops.append({std::clamp(double(p.f32(at + 4 * i)), 0.0, 1.0), argbAt(p, at + 4 * n + 4 * i)});
        at += qsizetype(n) * 8;
    } else if (flags & (BrushBlendH | BrushBlendV)) {
        const quint32 n = p.u32(at);
        at += 4;
        if (n == 0 || n > 4096 || !p.has(at, qsizetype(n) * 8))
            return false;
        for (quint32 i = 0; i < n; ++i)
            stops.append({std::clamp(double(p.f32(at + 4 * i)), 0.0, 1.0), mix(p.f32(at + 4 * n + 4 * i))});
        at += qsizetype(n) * 8;
        if ((flags & BrushBlendH) && (flags & BrushBlendV) && p.has(at, 4)) {
            const quint32 m = p.u32(at);
            if (m <= 4096 && p.has(at + 4, qsizetype(m) * 8))
                at += 4 + qsizetype(m) * 8;
        }
    }
    // Stops must rise for Qt.
    std::stable_sort(stops.begin(), stops.end(), [](const QGradientStop &x, const QGradientStop &y) { return x.first < y.first; });
    return true;
}

bool tooLarge(qint64 w, qint64 h)
{
    return w < 0 || h < 0 || w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxCompressedPixels;
}

// The size a JPEG's frame header gives, or false when none is found.
bool jpegSize(const ByteReader &p, qint64 &w, qint64 &h)
{
    qsizetype at = 2;
    while (p.has(at, 4) && p.u8(at) == 0xFF) {
        const quint8 m = p.u8(at + 1);
        const qsizetype len = (p.u8(at + 2) << 8) | p.u8(at + 3);
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            if (!p.has(at + 5, 4))
                return false;
            h = (p.u8(at + 5) << 8) | p.u8(at + 6);
            w = (p.u8(at + 7) << 8) | p.u8(at + 8);
            return true;
        }
        if (len < 2)
            return false;
        at += 2 + len;
    }
    return false;
}

QImage decodeCompressed(const ByteReader &p)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(p.data()), p.size());
    if (p.size() >= 2 && p.u8(0) == 0xFF && p.u8(1) == 0xD8) {
        // Decoders make the whole picture before reading its rows: a few
        // bytes claiming a huge one are refused first.
        qint64 w = 0, h = 0;
        if (!jpegSize(p, w, h) || tooLarge(w, h))
            return QImage();
        return decodeJpeg(QByteArray(bytes.constData(), bytes.size()), nullptr, QImage::Format_RGB32);
    }
    if (p.size() >= 26 && p.u8(0) == 'B' && p.u8(1) == 'M') {
        // A BMP file: its DIB decoded as metafile bitmaps are, leniently.
        const bool core = p.u32(14) == 12;
        const qint64 w = core ? p.u16(18) : std::abs(qint64(p.i32(18)));
        const qint64 h = core ? p.u16(20) : std::abs(qint64(p.i32(22)));
        if (tooLarge(w, h))
            return QImage();
        const qint64 offBits = p.u32(10);
        const qsizetype bits = offBits >= 26 && offBits < p.size() ? qsizetype(offBits) - 14 : -1;
        return decodeDib(p.data() + 14, p.size() - 14, bits);
    }
    QBuffer buf;
    buf.setData(bytes.constData(), bytes.size());
    if (!buf.open(QIODevice::ReadOnly))
        return QImage();
    QImageReader reader(&buf);
    // A size the header gives is checked before decoding; readers that
    // cannot tell stay under Qt's own allocation limit.
    const QSize s = reader.size();
    if (s.isValid() && (s.width() > kMaxImageSide || s.height() > kMaxImageSide
                        || qint64(s.width()) * s.height() > kMaxCompressedPixels))
        return QImage();
    const QImage img = reader.read();
    if (qint64(img.width()) * img.height() > kMaxCompressedPixels)
        return QImage();
    return img;
}

// Rows of raw pixels in one of the GDI+ pixel formats.
QImage decodePixels(const ByteReader &p, int w, int h, qint64 stride, quint32 format)
{
    // The depth follows from the format's index, whatever else the value
    // claims: rows are copied by it.
    static constexpr int kBits[15] = {0, 1, 4, 8, 16, 16, 16, 16, 24, 32, 32, 32, 48, 64, 64};
    const quint32 index = format & 0xFF;
    if (index == 0 || index >= 15)
        return QImage();
    const int bpp = kBits[index];
    const bool indexed = index <= 3;
    qsizetype at = 0;
    QList<QRgb> palette;
    if (indexed) {
        const quint32 count = p.u32(4);
        if (count > 256 || !p.has(8, qsizetype(count) * 4))
            return QImage();
        for (quint32 i = 0; i < count; ++i)
            palette.append(argbAt(p, 8 + 4 * i).rgba());
        at = 8 + qsizetype(count) * 4;
        // Every index a row can hold must be in the table.
        if (palette.isEmpty())
            palette.append(qRgb(0, 0, 0));
        while (index == 0x01 && palette.size() < 2)
            palette.append(qRgb(255, 255, 255));
    }
    const qint64 rowBytes = (qint64(w) * bpp + 7) / 8;
    if (bpp == 0 || stride < rowBytes || !p.has(at, qsizetype(stride * (h - 1) + rowBytes)))
        return QImage();
    const uchar *base = p.data() + at;
    QImage img;
    switch (format & 0xFF) {
    case 0x01: img = QImage(w, h, QImage::Format_Mono); break;
    case 0x02:
    case 0x03: img = QImage(w, h, QImage::Format_Indexed8); break;
    case 0x04: img = QImage(w, h, QImage::Format_Grayscale16); break;
    case 0x05: img = QImage(w, h, QImage::Format_RGB555); break;
    case 0x06: img = QImage(w, h, QImage::Format_RGB16); break;
    case 0x08: img = QImage(w, h, QImage::Format_BGR888); break;
    case 0x09: img = QImage(w, h, QImage::Format_RGB32); break;
    case 0x0A: img = QImage(w, h, QImage::Format_ARGB32); break;
    case 0x0B: img = QImage(w, h, QImage::Format_ARGB32_Premultiplied); break;
    case 0x07:
    case 0x0C:
    case 0x0D:
    case 0x0E: img = QImage(w, h, QImage::Format_ARGB32); break;
    default: return QImage();
    }
    if (img.isNull())
        return QImage();
    if (indexed)
        img.setColorTable(palette);
    for (int y = 0; y < h; ++y) {
        const uchar *src = base + qsizetype(stride) * y;
        uchar *dst = img.scanLine(y);
        switch (format & 0xFF) {
        case 0x02:
            for (int x = 0; x < w; ++x) {
                const int v = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
                dst[x] = uchar(std::min<int>(v, int(palette.size()) - 1));
            }
            break;
        case 0x03:
            for (int x = 0; x < w; ++x)
                dst[x] = uchar(std::min<int>(src[x], int(palette.size()) - 1));
            break;
        case 0x09: {
            auto *d = reinterpret_cast<quint32 *>(dst);
            std::memcpy(d, src, size_t(rowBytes));
            for (int x = 0; x < w; ++x)
                d[x] |= 0xFF000000u;
            break;
        }
        case 0x07: {
            auto *d = reinterpret_cast<QRgb *>(dst);
            for (int x = 0; x < w; ++x) {
                const int v = src[2 * x] | (src[2 * x + 1] << 8);
                const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                d[x] = qRgba((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2), (v & 0x8000) ? 255 : 0);
            }
            break;
        }
        case 0x0C:
        case 0x0D:
        case 0x0E: {
            // 16 bits a channel, 0..8192 scaled; only the colour survives.
            const int step = (format & 0xFF) == 0x0C ? 6 : 8;
            auto *d = reinterpret_cast<QRgb *>(dst);
            auto ch = [&](int x, int k) {
                const int v = src[step * x + 2 * k] | (src[step * x + 2 * k + 1] << 8);
                return std::clamp(v * 255 / 8192, 0, 255);
            };
            for (int x = 0; x < w; ++x)
                d[x] = qRgba(ch(x, 2), ch(x, 1), ch(x, 0), step == 8 ? ch(x, 3) : 255);
            break;
        }
        default: std::memcpy(dst, src, size_t(rowBytes)); break;
        }
    }
    if ((format & 0xFF) == 0x0E)
        img.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return img;
}

// An EmfPlusCustomLineCap: only the adjustable arrow is drawn as such; the
// default caps become a plain arrow.
LineEnd readCustomCap(const ByteReader &p)
{
    LineEnd e;
    if (!p.has(0, 8))
        return e;
    e.shape = LineEnd::Arrow;
    e.width = 3;
    e.height = 3;
    if (p.u32(4) == 1 && p.has(8, 12)) {
        e.width = std::clamp(double(p.f32(8)), 0.0, 100.0);
        e.height = std::clamp(double(p.f32(12)), 0.0, 100.0);
        e.filled = p.has(20, 4) ? p.u32(20) != 0 : true;
    }
    return e;
}

LineEnd anchorCap(qint32 cap)
{
    LineEnd e;
    e.width = e.height = 2;
    switch (cap) {
    case 0x11: e.shape = LineEnd::Square; break;
    case 0x12: e.shape = LineEnd::Round; break;
    case 0x13: e.shape = LineEnd::Diamond; break;
    case 0x14: e.shape = LineEnd::Arrow; e.width = 2; e.height = 2; break;
    default: break;
    }
    return e;
}

Qt::PenCapStyle capStyle(qint32 cap)
{
    switch (cap) {
    case 1: return Qt::SquareCap;
    case 2: return Qt::RoundCap;
    default: return Qt::FlatCap;
    }
}

Object readPen(const ByteReader &p)
{
    if (!p.has(0, 20))
        return {};
    Pen pen;
    const quint32 flags = p.u32(8);
    pen.unit = int(p.u32(12));
    pen.width = p.f32(16);
    if (!std::isfinite(pen.width) || pen.width < 0)
        pen.width = 0;
    qsizetype at = 20;
    QPen &q = pen.pen;
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    q.setMiterLimit(10);
    auto need = [&](qsizetype n) { return p.has(at, n); };
    if (flags & 0x0001) {
        if (!need(24))
            return {};
        at += 24; // the pen's own transform: not drawn
    }
    qint32 startCap = 0, endCap = 0;
    if (flags & 0x0002) {
        if (!need(4))
            return {};
        startCap = p.i32(at);
        at += 4;
    }
    if (flags & 0x0004) {
        if (!need(4))
            return {};
        endCap = p.i32(at);
        at += 4;
    }
    q.setCapStyle(capStyle(startCap));
    pen.start = anchorCap(startCap);
    pen.end = anchorCap(endCap);
    if (flags & 0x0008) {
        if (!need(4))
            return {};
        switch (p.u32(at)) {
        case 1: q.setJoinStyle(Qt::BevelJoin); break;
        case 2: q.setJoinStyle(Qt::RoundJoin); break;
        case 3: q.setJoinStyle(Qt::SvgMiterJoin); break;
        default: q.setJoinStyle(Qt::MiterJoin); break;
        }
        at += 4;
    }
    if (flags & 0x0010) {
        if (!need(4))
            return {};
        const float m = p.f32(at);
        if (std::isfinite(m) && m > 0)
            q.setMiterLimit(std::min(double(m), 1000.0));
        at += 4;
    }
    int lineStyle = 0;
    if (flags & 0x0020) {
        if (!need(4))
            return {};
        lineStyle = p.i32(at);
        at += 4;
    }
    if (flags & 0x0040) {
        if (!need(4))
            return {};
        at += 4; // dashed line cap
    }
    double dashOffset = 0;
    if (flags & 0x0080) {
        if (!need(4))
            return {};
        dashOffset = p.f32(at);
        at += 4;
    }
    QList<qreal> dashes;
    if (flags & 0x0100) {
        if (!need(4))
            return {};
        const quint32 n = p.u32(at);
        at += 4;
        if (n > 1024 || !need(qsizetype(n) * 4))
            return {};
        for (quint32 i = 0; i < n; ++i) {
            const double d = p.f32(at + 4 * i);
            dashes.append(std::isfinite(d) ? std::clamp(d, 0.01, 1000.0) : 1.0);
        }
        at += qsizetype(n) * 4;
    }
    switch (lineStyle) {
    case 1: q.setStyle(Qt::DashLine); break;
    case 2: q.setStyle(Qt::DotLine); break;
    case 3: q.setStyle(Qt::DashDotLine); break;
    case 4: q.setStyle(Qt::DashDotDotLine); break;
    case 5:
        if (dashes.size() >= 2 && dashes.size() % 2 == 0)
            q.setDashPattern(dashes);
        break;
    default: break;
    }
    if (q.style() != Qt::SolidLine && std::isfinite(dashOffset))
        q.setDashOffset(std::clamp(dashOffset, -1000.0, 1000.0));
    if (flags & 0x0200) {
        if (!need(4))
            return {};
        at += 4; // alignment: drawn centred
    }
    if (flags & 0x0400) {
        if (!need(4))
            return {};
        const quint32 n = p.u32(at);
        if (n > 1024 || !p.has(at + 4, qsizetype(n) * 4))
            return {};
        at += 4 + qsizetype(n) * 4; // compound lines: drawn as one
    }
    if (flags & 0x0800) {
        if (!need(4))
            return {};
        const quint32 n = p.u32(at);
        if (!p.has(at + 4, n))
            return {};
        pen.start = readCustomCap(p.sub(at + 4, n));
        at += 4 + qsizetype(n);
    }
    if (flags & 0x1000) {
        if (!need(4))
            return {};
        const quint32 n = p.u32(at);
        if (!p.has(at + 4, n))
            return {};
        pen.end = readCustomCap(p.sub(at + 4, n));
        at += 4 + qsizetype(n);
    }
    bool ok = false;
    pen.brush = readBrush(p.sub(at, p.size() - at), &ok);
    if (!ok)
        return {};
    return pen;
}

struct RegionReader
{
    const ByteReader &p;
    int nodesLeft;

    bool node(qsizetype &at, int depth, Region &out)
    {
        if (--nodesLeft < 0 || depth > 64 || !p.has(at, 4))
            return false;
        const quint32 type = p.u32(at);
        at += 4;
        switch (type) {
        case 0x10000000: // rectangle
            if (!p.has(at, 16))
                return false;
            out.path.addRect(rectF(p, at).normalized());
            at += 16;
            return true;
        case 0x10000001: { // path
            if (!p.has(at, 4))
                return false;
            const qint64 len = p.i32(at);
            if (len < 0 || !p.has(at + 4, qsizetype(len)))
                return false;
            if (!readPath(p.sub(at + 4, qsizetype(len)), out.path))
                return false;
            at += 4 + qsizetype(len);
            return true;
        }
        case 0x10000002: return true;                          // empty
        case 0x10000003: out.infinite = true; return true; // infinite
        case 1: case 2: case 3: case 4: case 5: {
            Region a, b;
            if (!node(at, depth + 1, a) || !node(at, depth + 1, b))
                return false;
            out = combine(a, b, int(type));
            return true;
        }
        default: return false;
        }
    }

    static Region combine(const Region &a, const Region &b, int mode);
};

} // namespace

Region RegionReader::combine(const Region &a, const Region &b, int mode)
{
    return combineRegions(a, b, mode);
}

Region combineRegions(const Region &a, const Region &b, int mode)
{
    static const QPainterPath kEverything = [] {
        QPainterPath p;
        p.addRect(QRectF(-4.0e6, -4.0e6, 8.0e6, 8.0e6));
        return p;
    }();
    auto pathOf = [&](const Region &r) { return r.infinite ? kEverything : r.path; };
    Region out;
    // Boolean operations on huge outlines take minutes: past this size the
    // union is the two outlines together and the rest keep one of them.
    constexpr int kMaxElements = 4096;
    if (a.path.elementCount() + b.path.elementCount() > kMaxElements && mode >= 1 && mode <= 5) {
        if (mode == 2) {
            out.infinite = a.infinite || b.infinite;
            out.path = a.path;
            out.path.setFillRule(Qt::WindingFill);
            out.path.addPath(b.path);
            return out;
        }
        return mode == 1 ? (a.infinite ? b : a) : a;
    }
    switch (mode) {
    case 1:
        if (a.infinite)
            return b;
        if (b.infinite)
            return a;
        out.path = a.path.intersected(b.path);
        break;
    case 2:
        if (a.infinite || b.infinite)
            out.infinite = true;
        else
            out.path = a.path.united(b.path);
        break;
    case 3: {
        const QPainterPath pa = pathOf(a), pb = pathOf(b);
        out.path = pa.subtracted(pb).united(pb.subtracted(pa));
        break;
    }
    case 4:
        if (b.infinite)
            break;
        out.path = pathOf(a).subtracted(b.path);
        break;
    case 5:
        if (a.infinite)
            break;
        out.path = pathOf(b).subtracted(a.path);
        break;
    default: return b;
    }
    return out;
}

bool readPath(const ByteReader &p, QPainterPath &path)
{
    if (!p.has(0, 12))
        return false;
    const quint32 count = p.u32(4);
    const quint32 flags = p.u32(8);
    const bool relative = flags & 0x0800;
    const bool rle = relative || (flags & 0x1000);
    qsizetype at = 12;
    const QPolygonF pts = readPoints(p, at, count, flags & 0x4000, relative);
    if (count == 0)
        return true;
    if (pts.size() != qsizetype(count))
        return false;
    // The point types, one byte each or in runs.
    std::vector<quint8> types;
    types.reserve(count);
    while (types.size() < count) {
        if (!p.has(at, 1))
            return false;
        if (rle && (p.u8(at) & 0x40)) {
            if (!p.has(at, 2))
                return false;
            const int run = p.u8(at) & 0x3F;
            const quint8 t = p.u8(at + 1);
            for (int i = 0; i < run && types.size() < count; ++i)
                types.push_back(t);
            at += 2;
        } else {
            types.push_back(p.u8(at));
            at += 1;
        }
    }
    // Paths fill alternately (even-odd), as GDI+ paths do by default.
    QPainterPath out;
    for (quint32 i = 0; i < count; ++i) {
        const quint8 t = types[i];
        switch (t & 0x07) {
        case 0: out.moveTo(pts[i]); break;
        case 3:
            if (i + 2 < count) {
                out.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
                i += 2;
            } else {
                out.lineTo(pts[i]);
            }
            break;
        default:
            if (out.elementCount() == 0)
                out.moveTo(pts[i]);
            else
                out.lineTo(pts[i]);
            break;
        }
        if (types[i] & 0x80)
            out.closeSubpath();
    }
    path.addPath(out);
    return true;
}

Brush readBrush(const ByteReader &p, bool *ok)
{
    Brush b;
    *ok = false;
    if (!p.has(0, 12))
        return b;
    const quint32 type = p.u32(4);
    switch (type) {
    case 0: b.brush = QBrush(argbAt(p, 8)); break;
    case 1: {
        if (!p.has(0, 20))
            return b;
        const quint32 style = p.u32(8);
        b.brush = QBrush(hatchTile(style < 53 ? int(style) : 0, argbAt(p, 12), argbAt(p, 16)));
        b.deviceAligned = true;
        break;
    }
    case 2: {
        if (!p.has(0, 16))
            return b;
        const quint32 flags = p.u32(8);
        qsizetype at = 16;
        QTransform xf;
        if (flags & BrushTransform) {
            if (!p.has(at, 24))
                return b;
            xf = matrix(p, at);
            at += 24;
        }
        const Image img = readImage(p.sub(at, p.size() - at));
        if (img.bitmap.isNull())
            return b;
        b.brush = QBrush(img.bitmap);
        if (xf.isInvertible())
            b.brush.setTransform(xf);
        break;
    }
    case 3: {
        if (!p.has(0, 32))
            return b;
        const quint32 flags = p.u32(8);
        const QColor center = argbAt(p, 16);
        const QPointF c(p.f32(20), p.f32(24));
        const quint32 nColors = p.u32(28);
        if (nColors > 65536 || !p.has(32, qsizetype(nColors) * 4 + 4))
            return b;
        const QColor surround = nColors ? argbAt(p, 32) : center;
        qsizetype at = 32 + qsizetype(nColors) * 4;
        QPainterPath boundary;
        if (flags & BrushPath) {
            const qint64 len = p.i32(at);
            if (len < 0 || !p.has(at + 4, qsizetype(len)) || !readPath(p.sub(at + 4, qsizetype(len)), boundary))
                return b;
            at += 4 + qsizetype(len);
        } else {
            const quint32 n = p.u32(at);
            at += 4;
            const QPolygonF pts = readPoints(p, at, n, false, false);
            if (n && pts.isEmpty())
                return b;
            boundary.addPolygon(pts);
        }
        QTransform xf;
        if (flags & BrushTransform) {
            if (!p.has(at, 24))
                return b;
            xf = matrix(p, at);
            at += 24;
        }
        // Drawn as a radial gradient from the centre to the boundary's
        // farthest reach.
        const QRectF r = boundary.boundingRect();
        double radius = 0;
        for (const QPointF &q : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            radius = std::max(radius, std::hypot(q.x() - c.x(), q.y() - c.y()));
        QGradientStops stops;
        if (!readBlend(p, at, flags, surround, center, stops))
            return b;
        QRadialGradient g(c, radius > 0 && std::isfinite(radius) ? radius : 1.0);
        if (stops.isEmpty()) {
            g.setColorAt(0, center);
            g.setColorAt(1, surround);
        } else {
            // Blend positions run from the boundary (0) to the centre (1).
            QGradientStops flipped;
            for (auto it = stops.crbegin(); it != stops.crend(); ++it)
                flipped.append({1.0 - it->first, it->second});
            g.setStops(flipped);
        }
        b.brush = QBrush(g);
        if (xf.isInvertible())
            b.brush.setTransform(xf);
        break;
    }
    case 4: {
        if (!p.has(0, 48))
            return b;
        const quint32 flags = p.u32(8);
        const QRectF r = rectF(p, 16);
        const QColor c0 = argbAt(p, 32), c1 = argbAt(p, 36);
        qsizetype at = 48;
        QTransform xf;
        if (flags & BrushTransform) {
            if (!p.has(at, 24))
                return b;
            xf = matrix(p, at);
            at += 24;
        }
        QGradientStops stops;
        if (!readBlend(p, at, flags, c0, c1, stops))
            return b;
        if (!std::isfinite(r.left()) || !std::isfinite(r.width()))
            return b;
        QLinearGradient g(r.topLeft(), QPointF(r.right() != r.left() ? r.right() : r.left() + 1, r.top()));
        if (stops.isEmpty()) {
            g.setColorAt(0, c0);
            g.setColorAt(1, c1);
        } else {
            g.setStops(stops);
        }
        g.setSpread(spreadFor(p.i32(12)));
        b.brush = QBrush(g);
        if (xf.isInvertible())
            b.brush.setTransform(xf);
        break;
    }
    default: return b;
    }
    *ok = true;
    return b;
}

Image readImage(const ByteReader &p)
{
    Image img;
    if (!p.has(0, 8))
        return img;
    const quint32 type = p.u32(4);
    if (type == 1) {
        if (!p.has(8, 20))
            return img;
        const qint32 w = p.i32(8), h = p.i32(12), stride = p.i32(16);
        const quint32 format = p.u32(20);
        const quint32 kind = p.u32(24);
        const ByteReader data = p.sub(28, p.size() - 28);
        if (kind == 1) {
            img.bitmap = decodeCompressed(data);
        } else {
            if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || qint64(w) * h > kMaxImagePixels)
                return img;
            img.bitmap = decodePixels(data, w, h, stride, format);
        }
        if (img.bitmap.width() > kMaxImageSide || img.bitmap.height() > kMaxImageSide)
            img.bitmap = QImage();
        if (!img.bitmap.isNull())
            img.bounds = QRectF(0, 0, img.bitmap.width(), img.bitmap.height());
    } else if (type == 2) {
        if (!p.has(8, 8))
            return img;
        const quint32 mfType = p.u32(8);
        const qint64 size = p.u32(12);
        if (!p.has(16, qsizetype(size)))
            return img;
        const QByteArray bytes(reinterpret_cast<const char *>(p.data()) + 16, qsizetype(size));
        if (mfType >= 3 && mfType <= 5) {
            if (auto doc = EmfDocument::parse(bytes)) {
                img.bounds = doc->frame();
                img.emf = std::make_shared<const EmfDocument>(std::move(*doc));
            }
        } else if (mfType == 1 || mfType == 2) {
            if (auto doc = WmfDocument::parse(bytes)) {
                img.bounds = QRectF(QPointF(0, 0), QSizeF(doc->pixelSize()));
                img.wmf = std::make_shared<const WmfDocument>(std::move(*doc));
            }
        }
        if (!(img.bounds.width() > 0 && img.bounds.height() > 0)) {
            img.emf.reset();
            img.wmf.reset();
        }
    }
    return img;
}

QImage hatchTile(int style, const QColor &fore, const QColor &back)
{
    if (style < 0 || style >= 53)
        style = 0;
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    const QRgb f = fore.rgba(), b = back.rgba();
    const QRgb pf = qPremultiply(f), pb = qPremultiply(b);
    for (int y = 0; y < 8; ++y) {
        auto *row = reinterpret_cast<QRgb *>(tile.scanLine(y));
        const quint8 bits = kHatch[style][y];
        for (int x = 0; x < 8; ++x)
            row[x] = (bits & (0x80 >> x)) ? pf : pb;
    }
    return tile;
}

Object readObject(int type, const ByteReader &p)
{
    switch (type) {
    case ObjBrush: {
        bool ok = false;
        Brush b = readBrush(p, &ok);
        if (ok)
            return b;
        return {};
    }
    case ObjPen: return readPen(p);
    case ObjPath: {
        QPainterPath path;
        if (readPath(p, path))
            return path;
        return {};
    }
    case ObjRegion: {
        if (!p.has(0, 8))
            return {};
        // Each node takes at least four bytes: the count cannot outrun the data.
        RegionReader r{p, int(std::min<qsizetype>(p.size() / 4, 100000))};
        Region region;
        qsizetype at = 8;
        if (!r.node(at, 0, region))
            return {};
        return region;
    }
    case ObjImage: {
        Image img = readImage(p);
        if (img.isNull())
            return {};
        return img;
    }
    case ObjFont: {
        if (!p.has(0, 24))
            return {};
        Font f;
        f.emSize = p.f32(4);
        f.unit = int(p.u32(8));
        f.style = p.i32(12);
        const quint32 len = p.u32(20);
        if (len > 512 || !p.has(24, qsizetype(len) * 2) || !std::isfinite(f.emSize) || f.emSize <= 0)
            return {};
        for (quint32 i = 0; i < len; ++i) {
            const char16_t c = p.u16(24 + 2 * i);
            if (!c)
                break;
            f.family.append(QChar(c));
        }
        return f;
    }
    case ObjStringFormat: {
        if (!p.has(0, 60))
            return {};
        StringFormat s;
        s.flags = p.u32(4);
        s.align = int(p.u32(12));
        s.lineAlign = int(p.u32(16));
        const double lead = p.f32(36), trail = p.f32(40);
        s.leading = std::isfinite(lead) ? std::clamp(lead, 0.0, 4.0) : 0.0;
        s.trailing = std::isfinite(trail) ? std::clamp(trail, 0.0, 4.0) : 0.0;
        return s;
    }
    case ObjImageAttributes: {
        if (!p.has(0, 24))
            return {};
        ImageAttributes a;
        a.wrap = int(p.u32(8));
        a.clamp = argbAt(p, 12);
        return a;
    }
    default: return {};
    }
}

} // namespace vz::mf::emfplus
