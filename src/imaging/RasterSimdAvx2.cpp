// Built with -mavx2 and called only on processors that have it. Nothing here
// may come from a header that other files also compile (an inline function
// built here could be the copy the linker keeps for everyone), so this file
// includes the intrinsics and fixed-width integers only, and keeps its
// helpers file-local.
//
// Every loop repeats its SSE2 counterpart in RasterEffects.cpp operation by
// operation (no fused multiply-add), so both give the same pixels.

#include "imaging/RasterSimd.h"

#include <immintrin.h>

namespace vz::simd {

namespace {

inline __m256 select8(__m256 mask, __m256 a, __m256 b)
{
    return _mm256_or_ps(_mm256_and_ps(mask, a), _mm256_andnot_ps(mask, b));
}

struct Rgb8
{
    __m256 r, g, b;
};

inline Rgb8 unpack8(__m256i p)
{
    const __m256i m = _mm256_set1_epi32(0xff);
    return {_mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(p, 16), m)),
            _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(p, 8), m)),
            _mm256_cvtepi32_ps(_mm256_and_si256(p, m))};
}

inline __m256i pack8(__m256i p, __m256 r, __m256 g, __m256 b)
{
    const __m256 lo = _mm256_setzero_ps(), hi = _mm256_set1_ps(255.0f);
    const auto c = [&](__m256 v) { return _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(v, lo), hi)); };
    return _mm256_or_si256(_mm256_and_si256(p, _mm256_set1_epi32(int(0xff000000u))),
                           _mm256_or_si256(_mm256_slli_epi32(c(r), 16),
                                           _mm256_or_si256(_mm256_slli_epi32(c(g), 8), c(b))));
}

inline __m256i hue8(__m256i p, __m256 shift)
{
    const Rgb8 c = unpack8(p);
    const __m256 mx = _mm256_max_ps(c.r, _mm256_max_ps(c.g, c.b)), mn = _mm256_min_ps(c.r, _mm256_min_ps(c.g, c.b));
    const __m256 d = _mm256_sub_ps(mx, mn);
    const __m256 inv = _mm256_div_ps(_mm256_set1_ps(1.0f), d);
    const __m256 isR = _mm256_cmp_ps(mx, c.r, _CMP_EQ_OQ);
    const __m256 isG = _mm256_andnot_ps(isR, _mm256_cmp_ps(mx, c.g, _CMP_EQ_OQ));
    const __m256 six = _mm256_set1_ps(6.0f);
    __m256 h = select8(isR, _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(c.g, c.b), inv), six),
                       select8(isG, _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(c.b, c.r), inv), _mm256_set1_ps(8.0f)),
                               _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(c.r, c.g), inv), _mm256_set1_ps(10.0f))));
    h = _mm256_add_ps(h, shift);
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f), four = _mm256_set1_ps(4.0f);
    const __m256 sixth = _mm256_set1_ps(1.0f / 6.0f);
    const auto channel = [&](float n) {
        __m256 k = _mm256_add_ps(h, _mm256_set1_ps(n));
        k = _mm256_sub_ps(k, _mm256_mul_ps(six, _mm256_cvtepi32_ps(_mm256_cvttps_epi32(_mm256_mul_ps(k, sixth)))));
        const __m256 t = _mm256_max_ps(_mm256_min_ps(_mm256_min_ps(k, _mm256_sub_ps(four, k)), one), zero);
        return _mm256_sub_ps(mx, _mm256_mul_ps(d, t));
    };
    const __m256 r = channel(5.0f), g = channel(3.0f), b = channel(1.0f);
    const __m256i grey = _mm256_castps_si256(_mm256_cmp_ps(d, zero, _CMP_EQ_OQ));
    const __m256i out = pack8(p, r, g, b);
    return _mm256_or_si256(_mm256_and_si256(grey, p), _mm256_andnot_si256(grey, out));
}

inline __m256i saturation8(__m256i p, __m256 k)
{
    const Rgb8 c = unpack8(p);
    const __m256 mx = _mm256_max_ps(c.r, _mm256_max_ps(c.g, c.b)), mn = _mm256_min_ps(c.r, _mm256_min_ps(c.g, c.b));
    const __m256 d = _mm256_sub_ps(mx, mn), l2 = _mm256_add_ps(mx, mn);
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 limit = _mm256_div_ps(_mm256_min_ps(l2, _mm256_sub_ps(_mm256_set1_ps(510.0f), l2)), d);
    const __m256 stretch = _mm256_max_ps(_mm256_min_ps(limit, k), one);
    const __m256 f = select8(_mm256_cmp_ps(k, one, _CMP_GT_OQ), stretch, k);
    const __m256 half = _mm256_set1_ps(0.5f), two = _mm256_set1_ps(2.0f);
    const auto channel = [&](__m256 v) {
        return _mm256_mul_ps(_mm256_add_ps(l2, _mm256_mul_ps(f, _mm256_sub_ps(_mm256_mul_ps(two, v), l2))), half);
    };
    return pack8(p, channel(c.r), channel(c.g), channel(c.b));
}

// Eight pixels at a time; the last ones through a buffer padded with black,
// which both effects leave alone.
template<class Step>
inline void run8(uint32_t *px, int n, const Step &step)
{
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        auto *q = reinterpret_cast<__m256i *>(px + x);
        _mm256_storeu_si256(q, step(_mm256_loadu_si256(q)));
    }
    if (x < n) {
        alignas(32) uint32_t tail[8];
        for (int i = 0; i < 8; ++i)
            tail[i] = x + i < n ? px[x + i] : 0xff000000u;
        auto *q = reinterpret_cast<__m256i *>(tail);
        _mm256_store_si256(q, step(_mm256_load_si256(q)));
        for (int i = 0; x + i < n; ++i)
            px[x + i] = tail[i];
    }
}

} // namespace

void hueAvx2(uint32_t *px, int n, float shift)
{
    const __m256 s = _mm256_set1_ps(shift);
    run8(px, n, [s](__m256i p) { return hue8(p, s); });
}

void saturationAvx2(uint32_t *px, int n, float k)
{
    const __m256 f = _mm256_set1_ps(k);
    run8(px, n, [f](__m256i p) { return saturation8(p, f); });
}

// Four pixels per shuffle. A 16-byte access covers 12 bytes of pixels and 4
// past them, so the vector loop stops while those 4 are still in the row.
void widen24Avx2(const uint8_t *src, uint32_t *dst, int n, bool bgr)
{
    const __m128i order = bgr ? _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1)
                              : _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32(int(0xff000000u));
    int x = 0;
    for (; x + 6 <= n; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x), _mm_or_si128(_mm_shuffle_epi8(in, order), alpha));
    }
    for (; x < n; ++x) {
        const uint8_t *p = src + 3 * x;
        const uint32_t r = bgr ? p[2] : p[0], b = bgr ? p[0] : p[2];
        dst[x] = 0xff000000u | r << 16 | uint32_t(p[1]) << 8 | b;
    }
}

void narrow24Avx2(const uint32_t *src, uint8_t *dst, int n, bool bgr)
{
    const __m128i order = bgr ? _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1)
                              : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    int x = 0;
    // Each store writes 4 bytes into the next pixels, which the next store
    // (or the plain loop) writes again.
    for (; x + 6 <= n; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + x));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 3 * x), _mm_shuffle_epi8(in, order));
    }
    for (; x < n; ++x) {
        const uint32_t v = src[x];
        uint8_t *p = dst + 3 * x;
        p[bgr ? 2 : 0] = uint8_t(v >> 16);
        p[1] = uint8_t(v >> 8);
        p[bgr ? 0 : 2] = uint8_t(v);
    }
}

void reverse24Avx2(const uint8_t *src, uint8_t *dst, int n)
{
    // Output pixels x..x+3 are source pixels n-1-x down to n-4-x: the 16
    // bytes ending at the end of pixel n-1-x hold them in bytes 4..15.
    const __m128i order = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, -1, -1, -1, -1);
    int x = 0;
    for (; x + 6 <= n; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 3 * (n - x) - 16));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 3 * x), _mm_shuffle_epi8(in, order));
    }
    for (; x < n; ++x) {
        const uint8_t *s = src + 3 * (n - 1 - x);
        dst[3 * x] = s[0];
        dst[3 * x + 1] = s[1];
        dst[3 * x + 2] = s[2];
    }
}

} // namespace vz::simd
