#pragma once

#include <QByteArray>
#include <QRect>

#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

namespace vz {

// One device-independent bitmap held as a single packed block (40-byte info
// header, bit masks, palette, pixel rows in BMP layout) that can be scaled,
// nearest neighbour, into another TDibImage. The print page uses it to
// reduce pictures wider than the screen by an integer factor.
//
// Loading checks every header field, length and offset against the bytes
// the stream holds before anything is allocated; bad input leaves the image
// empty. Core (12-byte header) bitmaps are held in the 40-byte form, their
// 3-byte palette entries widened to 4.
class TDibImage
{
public:
    TDibImage() = default;
    TDibImage(const TDibImage &) = delete;
    TDibImage &operator=(const TDibImage &) = delete;
    TDibImage(TDibImage &&) noexcept = default;
    TDibImage &operator=(TDibImage &&) noexcept = default;

    bool isEmpty() const { return m_block.empty(); }
    // The header's width and |height|; 0 when empty.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool topDown() const { return m_topDown; }
    int bitsPerPixel() const { return m_bits; }
    uint32_t compression() const { return m_compression; }
    int paletteCount() const { return m_paletteCount; }
    // Palette entries as stored: blue, green, red, 0.
    const uint8_t *palette() const;
    // Red, green and blue masks (bit-field images only, else nullptr).
    const uint32_t *masks() const;
    // Bytes of one stored pixel row, padded to 4.
    int64_t rowSize() const { return m_rowSize; }
    // Logical row 0 is the top row whichever way the rows are stored.
    // Uncompressed images only; nullptr otherwise or out of range.
    const uint8_t *scanLine(int row) const;
    uint8_t *scanLine(int row);
    // The whole block (info header onwards).
    const std::vector<uint8_t> &block() const { return m_block; }

    // Reads one bitmap from the stream's current position: a 14-byte "BM"
    // file header and an info header, or an info header alone. On failure
    // the image is empty; the stream's position is then unspecified.
    bool LoadFromStream(QIODevice &stream);
    // A zeroed image of width x height with the source's bits per pixel,
    // compression and palette count, its masks and palette copied. Fails
    // (leaving the image empty) for sizes below 1, run-length sources and
    // bit fields at other than 16 or 32 bits.
    bool CreateLike(int width, int height, const TDibImage &source);
    // Scales srcRect of source onto dstRect of this image, each destination
    // pixel a copy of one source pixel. Between different formats the pixels
    // are converted into 24- or 32-bit destinations; other pairs, empty
    // images, empty rectangles or rectangles outside either image do nothing
    // and return false.
    bool StretchFrom(const TDibImage &source, const QRect &dstRect, const QRect &srcRect);
    bool StretchFrom(const TDibImage &source); // whole onto whole
    // Writes the 14-byte file header (when asked), then the block. An empty
    // image writes nothing and fails.
    bool SaveToStream(QIODevice &stream, bool withFileHeader = true) const;

    void clear();

private:
    std::vector<uint8_t> m_block;
    int m_width = 0;
    int m_height = 0; // |height|
    bool m_topDown = false;
    int m_bits = 0;
    uint32_t m_compression = 0;
    int m_paletteCount = 0;
    int64_t m_rowSize = 0;
    int64_t m_pixelOffset = 0; // of the pixels inside the block
    int64_t m_pixelBytes = 0;
};

// The print page's reduction: a BMP file read by TDibImage, made
// (width div factor) x (height div factor) and written back as a BMP file.
// nullopt when the resampler cannot read the file or the reduced size is
// empty; a factor below 2 gives the image back at its own size.
std::optional<QByteArray> reduceBmpFile(const QByteArray &bmpFile, int factor);

} // namespace vz
