#include "imaging/RasterEffects.h"

#include "common/Rounding.h"
#include "imaging/RasterSimd.h"

#include <QtEndian>

// SSE2 is part of every x86-64; other processors take the plain loops.
#if defined(__SSE2__) && !defined(VZ_NO_SIMD)
#define VZ_SSE2 1
#include <emmintrin.h>
#endif

#if defined(__GNUC__)
#define VZ_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VZ_ALWAYS_INLINE inline
#endif

#include <algorithm>
#include <cmath>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vz {

bool simd::avx2Available()
{
#ifdef VZ_HAVE_AVX2
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

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
constexpr Layout kLayoutRgb24{3, 0, 1, 2};
constexpr Layout kLayoutBgr24{3, 2, 1, 0};

// Brings the image into one of the formats the loops handle and detaches it.
// Returns false for a null image.
bool prepare(QImage &image, Layout &layout)
{
    if (image.isNull())
        return false;
    switch (image.format()) {
    case QImage::Format_RGB888: layout = kLayoutRgb24; break;
    case QImage::Format_BGR888: layout = kLayoutBgr24; break;
    default:
        if (image.format() != QImage::Format_RGB32)
            image.convertTo(QImage::Format_RGB32);
        layout = kLayout32;
        break;
    }
    image.bits(); // detach once here, not per scan line
    return true;
}

// The AVX2 loops are used where the processor has them, unless switched off.
bool g_wideSimd = simd::avx2Available();

inline uint8_t clamp255(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Applies one table to the three colour channels; the fourth byte of an
// RGB32 pixel must stay 0xff. Bytes are looked up two at a time in a table of
// byte pairs, which halves the lookups of the per-byte table.
void applyTable(QImage &image, const std::array<uint8_t, 256> &table)
{
    Layout l;
    if (!prepare(image, l))
        return;
    const uint8_t *t = table.data();
    std::vector<uint16_t> pairs(65536);
    for (uint32_t v = 0; v < 65536; ++v)
        pairs[v] = uint16_t(t[v & 0xff] | t[v >> 8] << 8); // the pair as it lies in memory, first byte low
    const uint16_t *pt = pairs.data();
    const auto pairAt = [pt](const uint8_t *p) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return pt[qFromLittleEndian(v)];
    };
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *p = image.scanLine(y);
        if (l.step == 4) {
            // The colour bytes at 0..2 of each pixel (little-endian) or 1..3.
            const int c = l.b == 0 ? 0 : 1;
            for (int x = 0; x < w; ++x, p += 4) {
                const uint16_t two = pairAt(p + c);
                p[c] = uint8_t(two);
                p[c + 1] = uint8_t(two >> 8);
                p[c + 2] = t[p[c + 2]];
            }
        } else {
            const int n = w * 3;
            int i = 0;
            for (; i + 1 < n; i += 2) {
                const uint16_t two = pairAt(p + i);
                p[i] = uint8_t(two);
                p[i + 1] = uint8_t(two >> 8);
            }
            if (i < n)
                p[i] = t[p[i]];
        }
    }
}

// Three-byte pixels to 0xffRRGGBB words and back. The plain loops read and
// write four bytes per pixel, reaching one byte into the next pixel, which the
// next step reads or writes again; the last pixel goes byte by byte.
void widen24(const uint8_t *src, uint32_t *dst, int n, bool bgr)
{
#ifdef VZ_HAVE_AVX2
    if (g_wideSimd)
        return simd::widen24Avx2(src, dst, n, bgr);
#endif
    if (n <= 0)
        return;
    if (bgr) {
        for (int x = 0; x + 1 < n; ++x)
            dst[x] = 0xff000000u | (qFromLittleEndian<uint32_t>(src + 3 * x) & 0xffffffu);
    } else {
        for (int x = 0; x + 1 < n; ++x)
            dst[x] = 0xff000000u | qFromBigEndian<uint32_t>(src + 3 * x) >> 8;
    }
    const uint8_t *p = src + 3 * (n - 1);
    const uint32_t r = bgr ? p[2] : p[0], b = bgr ? p[0] : p[2];
    dst[n - 1] = 0xff000000u | r << 16 | uint32_t(p[1]) << 8 | b;
}

void narrow24(const uint32_t *src, uint8_t *dst, int n, bool bgr)
{
#ifdef VZ_HAVE_AVX2
    if (g_wideSimd)
        return simd::narrow24Avx2(src, dst, n, bgr);
#endif
    if (n <= 0)
        return;
    if (bgr) {
        for (int x = 0; x + 1 < n; ++x)
            qToLittleEndian<uint32_t>(src[x], dst + 3 * x);
    } else {
        for (int x = 0; x + 1 < n; ++x)
            qToBigEndian<uint32_t>(src[x] << 8, dst + 3 * x);
    }
    const uint32_t v = src[n - 1];
    uint8_t *p = dst + 3 * (n - 1);
    p[bgr ? 2 : 0] = uint8_t(v >> 16);
    p[1] = uint8_t(v >> 8);
    p[bgr ? 0 : 2] = uint8_t(v);
}

// Hue and saturation work on pixels as 0xffRRGGBB words; a three-byte row is
// widened into a buffer and narrowed back.
template<class Kernel>
void forEachRgbRow(QImage &image, const Layout &l, const Kernel &kernel)
{
    const int w = image.width();
    const bool bgr = l.r == 2;
    std::vector<uint32_t> buffer(l.step == 3 ? size_t(w) : 0);
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *line = image.scanLine(y);
        if (l.step == 4) {
            kernel(reinterpret_cast<uint32_t *>(line), w);
            continue;
        }
        widen24(line, buffer.data(), w, bgr);
        kernel(buffer.data(), w);
        narrow24(buffer.data(), line, w, bgr);
    }
}

// Runs a pixel step over a row: eight pixels at a time with AVX2 where it is
// used, else four at a time where the processor allows, the last ones
// through a small buffer.
template<class Step>
void runRow(uint32_t *px, int n, const Step &step)
{
#ifdef VZ_HAVE_AVX2
    if (g_wideSimd)
        return step.wide(px, n);
#endif
#ifdef VZ_SSE2
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        auto *q = reinterpret_cast<__m128i *>(px + x);
        _mm_storeu_si128(q, step(_mm_loadu_si128(q)));
    }
    if (x < n) {
        alignas(16) uint32_t tail[4] = {0xff000000u, 0xff000000u, 0xff000000u, 0xff000000u};
        std::copy(px + x, px + n, tail);
        auto *q = reinterpret_cast<__m128i *>(tail);
        _mm_store_si128(q, step(_mm_load_si128(q)));
        std::copy(tail, tail + (n - x), px + x);
    }
#else
    for (int x = 0; x < n; ++x)
        px[x] = step(px[x]);
#endif
}

inline uint32_t packRgb(uint32_t pixel, float r, float g, float b)
{
    const auto c = [](float v) { return uint32_t(std::clamp(int(std::nearbyint(v)), 0, 255)); };
    return (pixel & 0xff000000u) | c(r) << 16 | c(g) << 8 | c(b);
}

// Hue rotation on the HSL hexagon, the hue h in sectors of 60 degrees. The
// largest and the smallest channel keep their values, the middle one moves.
inline uint32_t hueOne(uint32_t p, float shift)
{
    const float r = float((p >> 16) & 0xff), g = float((p >> 8) & 0xff), b = float(p & 0xff);
    const float mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
    const float d = mx - mn;
    if (d == 0)
        return p;
    const float inv = 1.0f / d;
    float h = mx == r ? (g - b) * inv : (mx == g ? (b - r) * inv + 2.0f : (r - g) * inv + 4.0f);
    h += shift;
    if (h < 0)
        h += 6.0f;
    else if (h >= 6.0f)
        h -= 6.0f;
    const float sector = std::min(float(int(h)), 5.0f);
    const float v = d * (h - sector);
    const float rise = mn + v, fall = mx - v;
    switch (int(sector)) {
    case 0: return packRgb(p, mx, rise, mn);
    case 1: return packRgb(p, fall, mx, mn);
    case 2: return packRgb(p, mn, mx, rise);
    case 3: return packRgb(p, mn, fall, mx);
    case 4: return packRgb(p, rise, mn, mx);
    default: return packRgb(p, mx, mn, fall);
    }
}

// Saturation scaled by k around the lightness (max + min) / 2; above 1 the
// factor stops where the first channel reaches 0 or 255.
inline uint32_t saturationOne(uint32_t p, float k)
{
    const float r = float((p >> 16) & 0xff), g = float((p >> 8) & 0xff), b = float(p & 0xff);
    const float mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
    const float d = mx - mn;
    if (d == 0)
        return p;
    const float l2 = mx + mn;
    const float f = k > 1.0f ? std::max(std::min(std::min(l2, 510.0f - l2) / d, k), 1.0f) : k;
    return packRgb(p, (l2 + f * (2 * r - l2)) * 0.5f, (l2 + f * (2 * g - l2)) * 0.5f, (l2 + f * (2 * b - l2)) * 0.5f);
}

#ifdef VZ_SSE2
struct Rgb4
{
    __m128 r, g, b;
};

inline Rgb4 unpackRgb4(__m128i p)
{
    const __m128i m = _mm_set1_epi32(0xff);
    return {_mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p, 16), m)),
            _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p, 8), m)), _mm_cvtepi32_ps(_mm_and_si128(p, m))};
}

inline __m128i packRgb4(__m128i p, __m128 r, __m128 g, __m128 b)
{
    const __m128 lo = _mm_setzero_ps(), hi = _mm_set1_ps(255.0f);
    const auto c = [&](__m128 v) { return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(v, lo), hi)); };
    return _mm_or_si128(_mm_and_si128(p, _mm_set1_epi32(int(0xff000000u))),
                        _mm_or_si128(_mm_slli_epi32(c(r), 16), _mm_or_si128(_mm_slli_epi32(c(g), 8), c(b))));
}

inline __m128 select4(__m128 mask, __m128 a, __m128 b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

// The same rotation written as the hexagon's trapezoids: a channel is
// max - d * clamp(min(k, 4 - k), 0, 1) with k = (h + n) mod 6, n = 5, 3, 1 for
// red, green and blue.
VZ_ALWAYS_INLINE __m128i hueFour(__m128i p, __m128 shift)
{
    const Rgb4 c = unpackRgb4(p);
    const __m128 mx = _mm_max_ps(c.r, _mm_max_ps(c.g, c.b)), mn = _mm_min_ps(c.r, _mm_min_ps(c.g, c.b));
    const __m128 d = _mm_sub_ps(mx, mn);
    const __m128 inv = _mm_div_ps(_mm_set1_ps(1.0f), d); // greys are put back at the end
    const __m128 isR = _mm_cmpeq_ps(mx, c.r);
    const __m128 isG = _mm_andnot_ps(isR, _mm_cmpeq_ps(mx, c.g));
    const __m128 six = _mm_set1_ps(6.0f);
    // h + 6: keeps the red sector's negative part positive for the wrap below.
    __m128 h = select4(isR, _mm_add_ps(_mm_mul_ps(_mm_sub_ps(c.g, c.b), inv), six),
                       select4(isG, _mm_add_ps(_mm_mul_ps(_mm_sub_ps(c.b, c.r), inv), _mm_set1_ps(8.0f)),
                               _mm_add_ps(_mm_mul_ps(_mm_sub_ps(c.r, c.g), inv), _mm_set1_ps(10.0f))));
    h = _mm_add_ps(h, shift);
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f), four = _mm_set1_ps(4.0f);
    const __m128 sixth = _mm_set1_ps(1.0f / 6.0f);
    const auto channel = [&](float n) {
        // k mod 6; a turn counted one short at a multiple of 6 still lands
        // where the trapezoid is 0, as at k = 0.
        __m128 k = _mm_add_ps(h, _mm_set1_ps(n));
        k = _mm_sub_ps(k, _mm_mul_ps(six, _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_mul_ps(k, sixth)))));
        const __m128 t = _mm_max_ps(_mm_min_ps(_mm_min_ps(k, _mm_sub_ps(four, k)), one), zero);
        return _mm_sub_ps(mx, _mm_mul_ps(d, t));
    };
    const __m128 r = channel(5.0f), g = channel(3.0f), b = channel(1.0f);
    const __m128i grey = _mm_castps_si128(_mm_cmpeq_ps(d, zero));
    const __m128i out = packRgb4(p, r, g, b);
    return _mm_or_si128(_mm_and_si128(grey, p), _mm_andnot_si128(grey, out));
}

VZ_ALWAYS_INLINE __m128i saturationFour(__m128i p, __m128 k)
{
    const Rgb4 c = unpackRgb4(p);
    const __m128 mx = _mm_max_ps(c.r, _mm_max_ps(c.g, c.b)), mn = _mm_min_ps(c.r, _mm_min_ps(c.g, c.b));
    const __m128 d = _mm_sub_ps(mx, mn), l2 = _mm_add_ps(mx, mn);
    const __m128 one = _mm_set1_ps(1.0f);
    // For greys the limit is not a number or infinite and min() keeps k.
    const __m128 limit = _mm_div_ps(_mm_min_ps(l2, _mm_sub_ps(_mm_set1_ps(510.0f), l2)), d);
    const __m128 stretch = _mm_max_ps(_mm_min_ps(limit, k), one);
    const __m128 f = select4(_mm_cmpgt_ps(k, one), stretch, k);
    const __m128 half = _mm_set1_ps(0.5f), two = _mm_set1_ps(2.0f);
    const auto channel = [&](__m128 v) {
        return _mm_mul_ps(_mm_add_ps(l2, _mm_mul_ps(f, _mm_sub_ps(_mm_mul_ps(two, v), l2))), half);
    };
    return packRgb4(p, channel(c.r), channel(c.g), channel(c.b));
}
#endif

struct HueStep
{
    explicit HueStep(float sectors)
        : shift(sectors)
#ifdef VZ_SSE2
          , shift4(_mm_set1_ps(sectors))
#endif
    {
    }
    float shift;
#ifdef VZ_SSE2
    __m128 shift4;
    VZ_ALWAYS_INLINE __m128i operator()(__m128i p) const { return hueFour(p, shift4); }
#endif
    uint32_t operator()(uint32_t p) const { return hueOne(p, shift); }
#ifdef VZ_HAVE_AVX2
    void wide(uint32_t *px, int n) const { simd::hueAvx2(px, n, shift); }
#endif
};

struct SaturationStep
{
    explicit SaturationStep(float factor)
        : k(factor)
#ifdef VZ_SSE2
          , k4(_mm_set1_ps(factor))
#endif
    {
    }
    float k;
#ifdef VZ_SSE2
    __m128 k4;
    VZ_ALWAYS_INLINE __m128i operator()(__m128i p) const { return saturationFour(p, k4); }
#endif
    uint32_t operator()(uint32_t p) const { return saturationOne(p, k); }
#ifdef VZ_HAVE_AVX2
    void wide(uint32_t *px, int n) const { simd::saturationAvx2(px, n, k); }
#endif
};

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

// acc[0..15] += add[0..15] - sub[0..15], byte counts into 16-bit counts.
inline void addBlock(uint16_t *acc, const uint8_t *add, const uint8_t *sub)
{
#ifdef VZ_SSE2
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(add));
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(sub));
    auto *lo = reinterpret_cast<__m128i *>(acc);
    auto *hi = reinterpret_cast<__m128i *>(acc + 8);
    _mm_storeu_si128(lo, _mm_sub_epi16(_mm_add_epi16(_mm_loadu_si128(lo), _mm_unpacklo_epi8(a, zero)),
                                       _mm_unpacklo_epi8(s, zero)));
    _mm_storeu_si128(hi, _mm_sub_epi16(_mm_add_epi16(_mm_loadu_si128(hi), _mm_unpackhi_epi8(a, zero)),
                                       _mm_unpackhi_epi8(s, zero)));
#else
    for (int i = 0; i < 16; ++i)
        acc[i] = uint16_t(acc[i] + add[i] - sub[i]);
#endif
}

// Counts are kept cumulative: entry i of a block of 16 is the number of
// values below bin i of that block. Adding a value to a block is then one
// vector add of a step mask, and finding the bin of a rank is one compare.
struct StepMasks
{
    alignas(16) uint8_t above[16][16] = {}; // above[k][i] = 1 when i > k
    StepMasks()
    {
        for (int k = 0; k < 16; ++k)
            for (int i = k + 1; i < 16; ++i)
                above[k][i] = 1;
    }
};
const StepMasks kSteps;

inline void addStep(uint8_t *block, int bin)
{
#ifdef VZ_SSE2
    auto *b = reinterpret_cast<__m128i *>(block);
    _mm_store_si128(b, _mm_add_epi8(_mm_load_si128(b),
                                    _mm_load_si128(reinterpret_cast<const __m128i *>(kSteps.above[bin]))));
#else
    for (int i = bin + 1; i < 16; ++i)
        ++block[i];
#endif
}

inline void removeStep(uint8_t *block, int bin)
{
#ifdef VZ_SSE2
    auto *b = reinterpret_cast<__m128i *>(block);
    _mm_store_si128(b, _mm_sub_epi8(_mm_load_si128(b),
                                    _mm_load_si128(reinterpret_cast<const __m128i *>(kSteps.above[bin]))));
#else
    for (int i = bin + 1; i < 16; ++i)
        --block[i];
#endif
}

// The last bin whose cumulative count is below `need` (bin 0 always is).
inline int lastBelow(const uint16_t *cumulative, int need)
{
#ifdef VZ_SSE2
    const __m128i n = _mm_set1_epi16(int16_t(need - 1));
    const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i *>(cumulative));
    const __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i *>(cumulative + 8));
    const uint64_t reached = uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpgt_epi16(lo, n))))
        | (uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpgt_epi16(hi, n)))) << 16) | (uint64_t(1) << 32);
    return __builtin_ctzll(reached) / 2 - 1;
#else
    int bin = 1;
    while (bin < 16 && cumulative[bin] < need)
        ++bin;
    return bin - 1;
#endif
}

// Constant-time median (after Perreault and Hebert): a histogram per column
// of the window's height, slid down one row at a time, and a window histogram
// made by adding the entering column and removing the leaving one. Both are
// kept at two levels (16 coarse bins of 16 fine bins); the window keeps only
// its coarse level current and brings a fine block up to date when the
// median falls into it. The image is done in vertical strips so that the
// column histograms of a strip stay in the cache.
class MedianChannel
{
public:
    MedianChannel(const QImage &src, QImage &dst, int step, int channel, int size)
        : m_step(step), m_w(src.width()), m_h(src.height()), m_before(size / 2), m_after((size - 1) / 2),
          m_size(size), m_rank((size * size - 1) / 2 + 1)
    {
        m_src.reserve(size_t(m_h));
        m_dst.reserve(size_t(m_h));
        for (int y = 0; y < m_h; ++y) {
            m_src.push_back(src.constScanLine(y) + channel);
            m_dst.push_back(dst.scanLine(y) + channel);
        }
        m_columns.resize(size_t(std::min(m_w, kStrip + size)) * kColumnBytes + 16);
        // The blocks are updated as whole vectors.
        m_base = m_columns.data() + (16 - reinterpret_cast<uintptr_t>(m_columns.data()) % 16) % 16;
    }

    void run()
    {
        for (int x0 = 0; x0 < m_w; x0 += kStrip)
            strip(x0, std::min(m_w, x0 + kStrip));
    }

private:
    // A column histogram: 16 fine blocks of 16, then the 16 coarse counts,
    // all cumulative. A column holds at most 20 pixels, so bytes suffice.
    static constexpr int kStrip = 512;
    static constexpr size_t kColumnBytes = 256 + 16;
    static constexpr int kStale = -1000000;

    int clampX(int x) const { return std::clamp(x, 0, m_w - 1); }
    int clampY(int y) const { return std::clamp(y, 0, m_h - 1); }

    void strip(int x0, int x1)
    {
        const int first = clampX(x0 - m_before), last = clampX(x1 - 1 + m_after);
        const int count = last - first + 1;
        // The histogram of every window column x0 - before .. x1 - 1 + after,
        // edges replicated: m_at[x - m_origin].
        m_origin = x0 - m_before;
        m_at.resize(size_t(x1 + m_after - m_origin));
        for (size_t i = 0; i < m_at.size(); ++i)
            m_at[i] = &m_base[size_t(clampX(m_origin + int(i)) - first) * kColumnBytes];

        std::fill_n(m_base, size_t(count) * kColumnBytes, uint8_t(0));
        for (int o = -m_before; o <= m_after; ++o) {
            const uint8_t *in = m_src[size_t(clampY(o))] + size_t(first) * size_t(m_step);
            for (int c = 0; c < count; ++c)
                add(&m_base[size_t(c) * kColumnBytes], in[size_t(c) * size_t(m_step)]);
        }
        for (int y = 0; y < m_h; ++y) {
            if (y > 0) {
                const uint8_t *out = m_src[size_t(clampY(y - 1 - m_before))] + size_t(first) * size_t(m_step);
                const uint8_t *in = m_src[size_t(clampY(y + m_after))] + size_t(first) * size_t(m_step);
                if (out != in) {
                    for (int c = 0; c < count; ++c) {
                        uint8_t *h = &m_base[size_t(c) * kColumnBytes];
                        remove(h, out[size_t(c) * size_t(m_step)]);
                        add(h, in[size_t(c) * size_t(m_step)]);
                    }
                }
            }
            row(y, x0, x1);
        }
    }

    static void add(uint8_t *h, uint8_t v)
    {
        addStep(h + 256, v >> 4);
        addStep(h + (v & 0xf0), v & 15);
    }
    static void remove(uint8_t *h, uint8_t v)
    {
        removeStep(h + 256, v >> 4);
        removeStep(h + (v & 0xf0), v & 15);
    }

    const uint8_t *at(int x) const { return m_at[size_t(x - m_origin)]; }

    void row(int y, int x0, int x1)
    {
        std::fill(std::begin(m_coarse), std::end(m_coarse), uint16_t(0));
        for (int o = -m_before; o <= m_after; ++o) {
            const uint8_t *c = at(x0 + o) + 256;
            for (int i = 0; i < 16; ++i)
                m_coarse[i] = uint16_t(m_coarse[i] + c[i]);
        }
        std::fill(std::begin(m_fineAt), std::end(m_fineAt), kStale);

        uint8_t *out = m_dst[size_t(y)];
        const uint8_t *const *enter = m_at.data() + (x0 + m_after - m_origin);
        const uint8_t *const *leave = m_at.data(); // column x0 - before leaves at x0 + 1
        for (int x = x0; x < x1; ++x) {
            if (x > x0)
                addBlock(m_coarse, enter[x - x0] + 256, leave[x - x0 - 1] + 256);
            const int block = lastBelow(m_coarse, m_rank);
            const int i = lastBelow(refreshFine(block, x0, x), m_rank - m_coarse[block]);
            out[size_t(x) * size_t(m_step)] = uint8_t(block * 16 + i);
        }
    }

    // The fine block of the window at column x.
    const uint16_t *refreshFine(int block, int x0, int x)
    {
        uint16_t *fine = m_fine[block];
        const int last = m_fineAt[block];
        if (last == x)
            return fine;
        const size_t offset = size_t(block) * 16;
        if (last == kStale || x - last > m_size / 2) {
            std::fill_n(fine, 16, uint16_t(0));
            for (int o = -m_before; o <= m_after; ++o) {
                const uint8_t *c = at(x + o) + offset;
                for (int i = 0; i < 16; ++i)
                    fine[i] = uint16_t(fine[i] + c[i]);
            }
        } else {
            for (int t = std::max(last + 1, x0 + 1); t <= x; ++t)
                addBlock(fine, at(t + m_after) + offset, at(t - 1 - m_before) + offset);
        }
        m_fineAt[block] = x;
        return fine;
    }

    const int m_step, m_w, m_h, m_before, m_after, m_size, m_rank;
    std::vector<const uint8_t *> m_src; // rows, already at the channel
    std::vector<uint8_t *> m_dst;
    std::vector<uint8_t> m_columns;    // the strip's column histograms
    uint8_t *m_base = nullptr;         // m_columns aligned to 16
    std::vector<const uint8_t *> m_at; // window column -> its histogram
    int m_origin = 0;
    alignas(16) uint16_t m_coarse[16] = {};
    alignas(16) uint16_t m_fine[16][16] = {};
    int m_fineAt[16] = {};
};

} // namespace

void changeHue(QImage &image, int angle)
{
    angle = std::clamp(angle, kHueMin, kHueMax);
    Layout l;
    if (angle % 360 == 0 || !prepare(image, l))
        return;
    const float shift = float(((angle % 360) + 360) % 360) / 60.0f; // in sectors, 0..6
    const HueStep step(shift);
    forEachRgbRow(image, l, [&](uint32_t *px, int n) { runRow(px, n, step); });
}

void changeSaturation(QImage &image, int value)
{
    value = std::clamp(value, kEffectMin, kEffectMax);
    Layout l;
    if (value == 0 || !prepare(image, l))
        return;
    const float k = float(1000 + value) / 1000.0f;
    const SaturationStep step(k);
    forEachRgbRow(image, l, [&](uint32_t *px, int n) { runRow(px, n, step); });
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

void sharpenImageAtScale(QImage &image, int value, double scale)
{
    if (!(scale > 0.0) || scale >= 1.0) {
        sharpenImage(image, value);
        return;
    }
    value = std::clamp(value, kEffectMin, kEffectMax);
    Layout l;
    if (value == 0 || !prepare(image, l))
        return;
    // The 5 x 5 binomial blur has a standard deviation of one pixel; on a copy
    // shrunk by `scale` the same blur is a Gaussian of `scale` pixels.
    const double sigma = scale;
    const int radius = std::max(1, int(std::ceil(3.0 * sigma)));
    std::vector<double> weight(size_t(radius) + 1);
    double total = 0.0;
    for (int i = 0; i <= radius; ++i) {
        weight[size_t(i)] = std::exp(-double(i * i) / (2.0 * sigma * sigma));
        total += i == 0 ? weight[0] : 2.0 * weight[size_t(i)];
    }
    for (double &w : weight)
        w /= total;
    const double strength = value > 0 ? 2.0 * value / 1000.0 : value / 1000.0;
    const int w = image.width(), h = image.height(), step = l.step;
    const size_t rowBytes = size_t(w) * size_t(step);
    // Rows blurred across, then each output row blurred down from them.
    std::vector<float> across(rowBytes * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint8_t *src = image.constScanLine(y);
        float *dst = across.data() + size_t(y) * rowBytes;
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < step; ++c) {
                double sum = weight[0] * src[size_t(x) * size_t(step) + size_t(c)];
                for (int i = 1; i <= radius; ++i) {
                    const int left = std::max(0, x - i), right = std::min(w - 1, x + i);
                    sum += weight[size_t(i)] * (src[size_t(left) * size_t(step) + size_t(c)]
                                                + src[size_t(right) * size_t(step) + size_t(c)]);
                }
                dst[size_t(x) * size_t(step) + size_t(c)] = float(sum);
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        uint8_t *out = image.scanLine(y);
        const float *mid = across.data() + size_t(y) * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i) {
            double blur = weight[0] * mid[i];
            for (int k = 1; k <= radius; ++k) {
                const int up = std::max(0, y - k), down = std::min(h - 1, y + k);
                blur += weight[size_t(k)] * (across[size_t(up) * rowBytes + i] + across[size_t(down) * rowBytes + i]);
            }
            const double v = out[i];
            out[i] = clamp255(int(std::lround(v + strength * (v - blur))));
        }
    }
}

void medianFilterAtScale(QImage &image, int size, double scale)
{
    size = std::clamp(size, kMedianMin, kMedianMax);
    if (!(scale > 0.0) || scale >= 1.0) {
        medianFilter(image, size);
        return;
    }
    Layout l;
    if (size == 1 || !prepare(image, l))
        return;
    // The window shrunk with the picture, 1 staying 1: between two odd sizes
    // (even windows shift the picture by half a pixel) the two results are
    // mixed, so that small sizes still show instead of rounding to nothing.
    const double scaled = 1.0 + (size - 1) * scale;
    const int lower = 1 + 2 * int((scaled - 1.0) / 2.0);
    const double t = (scaled - lower) / 2.0;
    QImage upper = image.copy();
    medianFilter(image, lower);
    medianFilter(upper, lower + 2);
    const int mix = int(std::lround(t * 256.0));
    if (mix == 0)
        return;
    const size_t rowBytes = size_t(image.width()) * size_t(l.step);
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *a = image.scanLine(y);
        const uint8_t *b = upper.constScanLine(y);
        for (size_t i = 0; i < rowBytes; ++i)
            a[i] = uint8_t((a[i] * (256 - mix) + b[i] * mix + 128) >> 8);
    }
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
    std::vector<uint8_t> row(l.step == 3 ? size_t(w) * 3 : 0);
    for (int y = 0; y < image.height(); ++y) {
        uint8_t *p = image.scanLine(y);
        if (l.step == 4) {
            auto *q = reinterpret_cast<uint32_t *>(p);
            std::reverse(q, q + w);
        } else {
            std::memcpy(row.data(), p, row.size());
#ifdef VZ_HAVE_AVX2
            if (g_wideSimd) {
                simd::reverse24Avx2(row.data(), p, w);
                continue;
            }
#endif
            const uint8_t *s = row.data() + row.size();
            for (int x = 0; x < w; ++x, p += 3) {
                s -= 3;
                p[0] = s[0];
                p[1] = s[1];
                p[2] = s[2];
            }
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

bool wideSimdAvailable()
{
    return simd::avx2Available();
}

void setWideSimdEnabled(bool on)
{
    g_wideSimd = on && simd::avx2Available();
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
