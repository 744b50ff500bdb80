#include "imaging/RasterEffects.h"

#include "common/Rounding.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vz {

namespace {

// Byte positions of the colour channels inside one pixel.
struct Layout
{
    int step; // bytes per pixel
    int r, g, b;
};

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr Layout kLayout32{4, 2, 1, 0}; // 0xffRRGGBB in memory: B G R ff
#else
constexpr Layout kLayout32{4, 1, 2, 3};
#endif
constexpr Layout kLayout24{3, 0, 1, 2};

// Brings the image into one of the two formats the loops handle and detaches
// it. Returns false for a null image.
bool prepare(QImage &image, Layout &layout)
{
    if (image.isNull())
        return false;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_RGB888)
        image.convertTo(QImage::Format_RGB32);
    layout = image.format() == QImage::Format_RGB888 ? kLayout24 : kLayout32;
    image.bits(); // detach once here, not per scan line
    return true;
}

inline uint8_t clamp255(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Applies one table to the three colour channels; the fourth byte of an
// RGB32 pixel must stay 0xff.
void applyTable(QImage &image, const std::array<uint8_t, 256> &table)
{
    Layout l;
    if (!prepare(image, l))
        return;
    const int w = image.width();
    const uint8_t *t = table.data();
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *p = image.scanLine(y);
        if (l.step == 4) {
            auto *q = reinterpret_cast<uint32_t *>(p);
            for (int x = 0; x < w; ++x) {
                const uint32_t v = q[x];
                q[x] = (v & 0xff000000u) | (uint32_t(t[(v >> 16) & 0xff]) << 16) | (uint32_t(t[(v >> 8) & 0xff]) << 8)
                    | t[v & 0xff];
            }
        } else {
            for (int i = 0, n = w * 3; i < n; ++i)
                p[i] = t[p[i]];
        }
    }
}

// ---- hue ------------------------------------------------------------------

// Hue in fixed point: one sector of the colour wheel (60 degrees) is 1 << 16.
constexpr int kSectorBits = 16;
constexpr int kSector = 1 << kSectorBits;
constexpr int kCircle = 6 * kSector;

// (m << 24) / d without a division per pixel: m * table[d] for 0 <= m <= d.
struct Reciprocals
{
    std::array<uint32_t, 256> v{};
    Reciprocals()
    {
        for (uint32_t d = 1; d < 256; ++d)
            v[d] = ((1u << 24) + d / 2) / d;
    }
};
const Reciprocals &reciprocals()
{
    static const Reciprocals r;
    return r;
}

// m / d as a fraction of one sector (0..kSector).
inline int sectorFraction(int m, int d, const uint32_t *recip)
{
    return int((uint32_t(m) * recip[d] + 128) >> 8);
}

// For each sector: which of {max, min, min + v, max - v} each of r, g, b takes.
constexpr uint8_t kSectorChannels[6][3] = {
    {0, 2, 1}, // red to yellow: g rises
    {3, 0, 1}, // yellow to green: r falls
    {1, 0, 2}, // green to cyan: b rises
    {1, 3, 0}, // cyan to blue: g falls
    {2, 1, 0}, // blue to magenta: r rises
    {0, 1, 3}, // magenta to red: b falls
};

template<int Step, int R, int G, int B>
void hueRows(QImage &image, int shift)
{
    const uint32_t *recip = reciprocals().v.data();
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += Step) {
            const int r = p[R], g = p[G], b = p[B];
            const int mx = std::max(r, std::max(g, b));
            const int mn = std::min(r, std::min(g, b));
            const int d = mx - mn;
            if (d == 0)
                continue; // grey
            int h;
            if (mx == r)
                h = g >= b ? sectorFraction(g - b, d, recip) : kCircle - sectorFraction(b - g, d, recip);
            else if (mx == g)
                h = 2 * kSector + (b >= r ? sectorFraction(b - r, d, recip) : -sectorFraction(r - b, d, recip));
            else
                h = 4 * kSector + (r >= g ? sectorFraction(r - g, d, recip) : -sectorFraction(g - r, d, recip));
            h += shift;
            if (h >= kCircle)
                h -= kCircle;
            const int sector = h >> kSectorBits;
            const int v = (d * (h & (kSector - 1)) + kSector / 2) >> kSectorBits;
            const int values[4] = {mx, mn, mn + v, mx - v};
            const uint8_t *sel = kSectorChannels[sector];
            p[R] = uint8_t(values[sel[0]]);
            p[G] = uint8_t(values[sel[1]]);
            p[B] = uint8_t(values[sel[2]]);
        }
    }
}

// ---- saturation -----------------------------------------------------------

template<int Step, int R, int G, int B>
void saturationRows(QImage &image, int k) // k: the factor in 16.16 fixed point
{
    // 65536 / d, for the largest factor that keeps the channels in range.
    static const std::array<int, 256> inverse = [] {
        std::array<int, 256> a{};
        for (int d = 1; d < 256; ++d)
            a[d] = (65536 + d / 2) / d;
        return a;
    }();
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += Step) {
            const int r = p[R], g = p[G], b = p[B];
            const int mx = std::max(r, std::max(g, b));
            const int mn = std::min(r, std::min(g, b));
            const int d = mx - mn;
            if (d == 0)
                continue;
            const int l2 = mx + mn; // twice the lightness
            int f = k;
            if (f > kSector) {
                // Channels move apart symmetrically around the lightness; stop
                // where the first one reaches 0 or 255 so hue and lightness stay.
                const int limit = std::min(l2, 510 - l2) * inverse[d];
                f = std::min(f, std::max(limit, kSector));
            }
            const int base = l2 * kSector + kSector;
            p[R] = clamp255((base + f * (2 * r - l2)) >> (kSectorBits + 1));
            p[G] = clamp255((base + f * (2 * g - l2)) >> (kSectorBits + 1));
            p[B] = clamp255((base + f * (2 * b - l2)) >> (kSectorBits + 1));
        }
    }
}

// ---- sharpen --------------------------------------------------------------

// out = c + s * (c - blur), s in 1/4096; blur is the 5 x 5 binomial kernel
// (1 4 6 4 1)^2 / 256 with replicated edges. The source rows still needed
// after being overwritten are kept in a ring of three copies.
void sharpenRows(QImage &image, int step, int s)
{
    const int w = image.width(), h = image.height();
    const size_t rowBytes = size_t(w) * size_t(step);
    const int pad = 2 * step;
    std::vector<uint8_t> ring(3 * rowBytes);
    std::vector<uint16_t> column(rowBytes + 2 * size_t(pad));

    auto source = [&](int row, int current) -> const uint8_t * {
        row = std::clamp(row, 0, h - 1);
        if (row <= current)
            return ring.data() + size_t(row % 3) * rowBytes;
        return image.constScanLine(row);
    };

    for (int y = 0; y < h; ++y) {
        uint8_t *out = image.scanLine(y);
        std::memcpy(ring.data() + size_t(y % 3) * rowBytes, out, rowBytes);
        const uint8_t *r0 = source(y - 2, y), *r1 = source(y - 1, y), *r2 = source(y, y), *r3 = source(y + 1, y),
                      *r4 = source(y + 2, y);
        uint16_t *c = column.data() + pad;
        for (size_t i = 0; i < rowBytes; ++i)
            c[i] = uint16_t(r0[i] + 4 * (r1[i] + r3[i]) + 6 * r2[i] + r4[i]);
        for (int i = 0; i < pad; ++i) {
            column[size_t(i)] = c[i % step];
            c[rowBytes + size_t(i)] = c[rowBytes - size_t(step) + size_t(i % step)];
        }
        const uint16_t *t = column.data();
        for (size_t i = 0; i < rowBytes; ++i) {
            const int blur = t[i] + 4 * (t[i + step] + t[i + 3 * step]) + 6 * t[i + 2 * step] + t[i + 4 * step];
            const int v = r2[i];
            out[i] = clamp255(v + ((s * (v * 256 - blur) + (1 << 19)) >> 20));
        }
    }
}

// ---- median ---------------------------------------------------------------

// Constant-time median (after Perreault and Hebert): a histogram per column
// of the window's height, slid down one row at a time, and a window histogram
// made by adding the entering column and removing the leaving one. Both are
// kept at two levels (16 coarse bins of 16 fine bins); the window keeps only
// its coarse level current and brings a fine block up to date when the
// median falls into it.
class MedianChannel
{
public:
    MedianChannel(const QImage &src, QImage &dst, int step, int channel, int size)
        : m_src(src), m_dst(dst), m_step(step), m_channel(channel), m_w(src.width()), m_h(src.height()),
          m_before(size / 2), m_after((size - 1) / 2), m_size(size), m_rank((size * size - 1) / 2 + 1),
          m_colCoarse(size_t(m_w) * 16), m_colFine(size_t(m_w) * 256)
    {
    }

    void run()
    {
        for (int y = 0; y < m_h; ++y)
            row(y);
    }

private:
    int clampX(int x) const { return std::clamp(x, 0, m_w - 1); }
    int clampY(int y) const { return std::clamp(y, 0, m_h - 1); }
    uint8_t at(int x, int y) const { return m_src.constScanLine(y)[x * m_step + m_channel]; }

    void addToColumn(int x, uint8_t v, int delta)
    {
        m_colCoarse[size_t(x) * 16 + (v >> 4)] += uint16_t(delta);
        m_colFine[size_t(x) * 256 + v] += uint16_t(delta);
    }

    // Moves column x to the window of row y (built from scratch on row 0).
    void updateColumn(int x, int y)
    {
        if (y == 0) {
            std::fill_n(&m_colCoarse[size_t(x) * 16], 16, uint16_t(0));
            std::fill_n(&m_colFine[size_t(x) * 256], 256, uint16_t(0));
            for (int o = -m_before; o <= m_after; ++o)
                addToColumn(x, at(x, clampY(o)), 1);
        } else {
            addToColumn(x, at(x, clampY(y - 1 - m_before)), -1);
            addToColumn(x, at(x, clampY(y + m_after)), 1);
        }
    }

    void ensureColumn(int x, int y)
    {
        while (m_nextColumn <= x)
            updateColumn(m_nextColumn++, y);
    }

    void row(int y)
    {
        m_nextColumn = 0;
        ensureColumn(clampX(m_after), y);
        std::fill(std::begin(m_coarse), std::end(m_coarse), uint16_t(0));
        for (int o = -m_before; o <= m_after; ++o) {
            const uint16_t *c = &m_colCoarse[size_t(clampX(o)) * 16];
            for (int i = 0; i < 16; ++i)
                m_coarse[i] += c[i];
        }
        std::fill(std::begin(m_fineAt), std::end(m_fineAt), kStale);

        uint8_t *out = m_dst.scanLine(y) + m_channel;
        for (int x = 0; x < m_w; ++x) {
            if (x > 0) {
                const int enter = clampX(x + m_after), leave = clampX(x - 1 - m_before);
                if (enter != leave) {
                    ensureColumn(enter, y);
                    const uint16_t *a = &m_colCoarse[size_t(enter) * 16];
                    const uint16_t *s = &m_colCoarse[size_t(leave) * 16];
                    for (int i = 0; i < 16; ++i)
                        m_coarse[i] = uint16_t(m_coarse[i] + a[i] - s[i]);
                }
            }
            int below = 0, block = 0;
            while (below + m_coarse[block] < m_rank)
                below += m_coarse[block++];
            uint16_t *fine = refreshFine(block, x);
            int i = 0;
            while (below + fine[i] < m_rank)
                below += fine[i++];
            out[size_t(x) * size_t(m_step)] = uint8_t(block * 16 + i);
        }
    }

    // The fine block of the window at column x.
    uint16_t *refreshFine(int block, int x)
    {
        uint16_t *fine = m_fine[block];
        const int last = m_fineAt[block];
        if (last == x)
            return fine;
        if (last == kStale || x - last > m_size / 2) {
            std::fill_n(fine, 16, uint16_t(0));
            for (int o = -m_before; o <= m_after; ++o) {
                const uint16_t *c = &m_colFine[size_t(clampX(x + o)) * 256 + size_t(block) * 16];
                for (int i = 0; i < 16; ++i)
                    fine[i] += c[i];
            }
        } else {
            for (int t = last + 1; t <= x; ++t) {
                const int enter = clampX(t + m_after), leave = clampX(t - 1 - m_before);
                if (enter == leave)
                    continue;
                const uint16_t *a = &m_colFine[size_t(enter) * 256 + size_t(block) * 16];
                const uint16_t *s = &m_colFine[size_t(leave) * 256 + size_t(block) * 16];
                for (int i = 0; i < 16; ++i)
                    fine[i] = uint16_t(fine[i] + a[i] - s[i]);
            }
        }
        m_fineAt[block] = x;
        return fine;
    }

    static constexpr int kStale = -1000000;

    const QImage &m_src;
    QImage &m_dst;
    const int m_step, m_channel, m_w, m_h, m_before, m_after, m_size, m_rank;
    std::vector<uint16_t> m_colCoarse, m_colFine;
    uint16_t m_coarse[16] = {};
    uint16_t m_fine[16][16] = {};
    int m_fineAt[16] = {};
    int m_nextColumn = 0;
};

} // namespace

void changeHue(QImage &image, int angle)
{
    angle = std::clamp(angle, kHueMin, kHueMax);
    int shift = int((static_cast<long long>(angle) * kCircle + (angle >= 0 ? 180 : -180)) / 360) % kCircle;
    if (shift < 0)
        shift += kCircle;
    Layout l;
    if (shift == 0 || !prepare(image, l))
        return;
    if (l.step == 4)
        hueRows<4, kLayout32.r, kLayout32.g, kLayout32.b>(image, shift);
    else
        hueRows<3, kLayout24.r, kLayout24.g, kLayout24.b>(image, shift);
}

void changeSaturation(QImage &image, int value)
{
    value = std::clamp(value, kEffectMin, kEffectMax);
    Layout l;
    if (value == 0 || !prepare(image, l))
        return;
    const int k = roundHalfEven((1000.0 + value) * kSector / 1000.0);
    if (l.step == 4)
        saturationRows<4, kLayout32.r, kLayout32.g, kLayout32.b>(image, k);
    else
        saturationRows<3, kLayout24.r, kLayout24.g, kLayout24.b>(image, k);
}

void changeIntensity(QImage &image, int value)
{
    value = std::clamp(value, kEffectMin, kEffectMax);
    if (value == 0 || image.isNull())
        return;
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const double v = value < 0 ? c * (1000.0 + value) / 1000.0 : c + (255.0 - c) * value / 1000.0;
        table[size_t(c)] = clamp255(roundHalfEven(v));
    }
    applyTable(image, table);
}

void changeContrast(QImage &image, int value)
{
    value = std::clamp(value, kEffectMin, kEffectMax);
    if (value == 0 || image.isNull())
        return;
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        if (value == kEffectMax) {
            table[size_t(c)] = c >= 128 ? 255 : 0;
            continue;
        }
        const double factor = value < 0 ? (1000.0 + value) / 1000.0 : 1000.0 / (1000.0 - value);
        table[size_t(c)] = clamp255(roundHalfEven(127.5 + (c - 127.5) * factor));
    }
    applyTable(image, table);
}

void sharpenImage(QImage &image, int value)
{
    value = std::clamp(value, kEffectMin, kEffectMax);
    Layout l;
    if (value == 0 || !prepare(image, l))
        return;
    // Sharpening reaches twice the difference from the blur at full strength;
    // blurring reaches the blur itself.
    const int s = value > 0 ? roundHalfEven(2.0 * value * 4096 / 1000.0) : roundHalfEven(value * 4096 / 1000.0);
    sharpenRows(image, l.step, s);
}

void medianFilter(QImage &image, int size)
{
    size = std::clamp(size, kMedianMin, kMedianMax);
    Layout l;
    if (size == 1 || !prepare(image, l))
        return;
    const QImage source = image.copy();
    for (int channel : {l.r, l.g, l.b})
        MedianChannel(source, image, l.step, channel, size).run();
}

void flipImage(QImage &image)
{
    Layout l;
    if (!prepare(image, l))
        return;
    const size_t rowBytes = size_t(image.width()) * size_t(l.step);
    for (int top = 0, bottom = image.height() - 1; top < bottom; ++top, --bottom) {
        uint8_t *a = image.scanLine(top);
        std::swap_ranges(a, a + rowBytes, image.scanLine(bottom));
    }
}

void reverseImage(QImage &image)
{
    Layout l;
    if (!prepare(image, l))
        return;
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *p = image.scanLine(y);
        if (l.step == 4) {
            auto *q = reinterpret_cast<uint32_t *>(p);
            std::reverse(q, q + w);
        } else {
            for (int a = 0, b = w - 1; a < b; ++a, --b)
                std::swap_ranges(p + a * 3, p + a * 3 + 3, p + b * 3);
        }
    }
}

namespace {
struct EffectInfo
{
    Effect effect;
    const char *name;
    int minimum, maximum, neutral;
};
constexpr EffectInfo kEffects[] = {
    {Effect::Hue, "hue", kHueMin, kHueMax, 0},
    {Effect::Saturation, "saturation", kEffectMin, kEffectMax, 0},
    {Effect::Intensity, "intensity", kEffectMin, kEffectMax, 0},
    {Effect::Contrast, "contrast", kEffectMin, kEffectMax, 0},
    {Effect::Sharpen, "sharpen", kEffectMin, kEffectMax, 0},
    {Effect::Median, "median", kMedianMin, kMedianMax, 1},
    {Effect::Flip, "flip", 0, 0, 0},
    {Effect::Reverse, "reverse", 0, 0, 0},
};
const EffectInfo &info(Effect effect)
{
    return kEffects[static_cast<int>(effect)];
}
} // namespace

std::optional<Effect> effectFromName(const QString &name)
{
    for (const EffectInfo &e : kEffects)
        if (name == QLatin1String(e.name))
            return e.effect;
    return std::nullopt;
}

QString effectName(Effect effect)
{
    return QLatin1String(info(effect).name);
}

bool effectTakesValue(Effect effect)
{
    return effect != Effect::Flip && effect != Effect::Reverse;
}

int effectMinimum(Effect effect)
{
    return info(effect).minimum;
}

int effectMaximum(Effect effect)
{
    return info(effect).maximum;
}

int effectNeutral(Effect effect)
{
    return info(effect).neutral;
}

void applyEffect(QImage &image, Effect effect, int value)
{
    switch (effect) {
    case Effect::Hue: changeHue(image, value); break;
    case Effect::Saturation: changeSaturation(image, value); break;
    case Effect::Intensity: changeIntensity(image, value); break;
    case Effect::Contrast: changeContrast(image, value); break;
    case Effect::Sharpen: sharpenImage(image, value); break;
    case Effect::Median: medianFilter(image, value); break;
    case Effect::Flip: flipImage(image); break;
    case Effect::Reverse: reverseImage(image); break;
    }
}

} // namespace vz
