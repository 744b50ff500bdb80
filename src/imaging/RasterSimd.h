#pragma once

#include <cstdint>

// The wide-vector (AVX2) loops of the raster effects. They live in a file of
// their own, built for AVX2, and run only after the processor was asked;
// RasterEffects.cpp decides. Each gives the same pixels as the SSE2 and plain
// loops. Pixels are 0xffRRGGBB words unless said otherwise.
namespace vz::simd {

// True when this build has the AVX2 loops and the processor runs them.
bool avx2Available();

// Hue rotation by `shift` sectors of 60 degrees (0..6), n pixels in place.
void hueAvx2(uint32_t *px, int n, float shift);
// Saturation scaled by k, n pixels in place.
void saturationAvx2(uint32_t *px, int n, float k);

// Three-byte pixels (R G B, or B G R when `bgr`) to and from 0xffRRGGBB words.
void widen24Avx2(const uint8_t *src, uint32_t *dst, int n, bool bgr);
void narrow24Avx2(const uint32_t *src, uint8_t *dst, int n, bool bgr);

// Mirrors a row of n three-byte pixels from src into dst (no overlap).
void reverse24Avx2(const uint8_t *src, uint8_t *dst, int n);

} // namespace vz::simd
