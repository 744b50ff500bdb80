#pragma once

#include <QByteArray>
#include <QImage>

#include <vector>

namespace vz {

// A 24-bit bitmap, pixels blue-green-red, rows top-down, each row padded to
// a multiple of 4 bytes. Rows are reached through scanLine().
class FastBmp
{
public:
    FastBmp() = default;
    FastBmp(int width, int height);
    // Any image, converted to 24 bits (alpha dropped, as the system's bitmap
    // loader does).
    static FastBmp fromImage(const QImage &image);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    bool isNull() const { return m_image.isNull(); }
    int rowSize() const { return ((width() * 3 + 3) / 4) * 4; }
    uchar *scanLine(int y) { return m_image.scanLine(y); }
    const uchar *scanLine(int y) const { return m_image.constScanLine(y); }
    const QImage &image() const { return m_image; }

    // Copies the bitmap 1:1 onto `target` (any 24/32-bit format) with its
    // top-left corner at (x, y), clipped.
    void draw(QImage &target, int x, int y) const;

private:
    QImage m_image; // Format_BGR888: the bytes are the bitmap's rows
};

// One destination pixel's sources along one axis: index and weight.
struct Contributor
{
    int index;
    float weight;
};
struct ContributorList
{
    std::vector<Contributor> items;
};

float lanczos3(float x);
// The scale factor of an axis from `src` to `dst` pixels.
float resampleScale(int src, int dst);
// The contributor windows of each destination pixel along one axis, with
// the support 3 and the Lanczos-3 filter, mirrored at the edges and clamped
// into the source.
std::vector<ContributorList> lanczosContributors(int src, int dst);

// Scales with the Lanczos-3 filter in two passes (horizontal, then
// vertical), single precision, unnormalised weights, each pass rounding to
// bytes. Raises ImageError for an empty source or destination.
FastBmp Resample(const FastBmp &src, int newWidth, int newHeight);
// The same for any image, read as 24 bits (alpha dropped) without first
// copying it into a fast bitmap.
FastBmp resampleImage(const QImage &image, int newWidth, int newHeight);

// A 24-bit BMP file of an image (alpha dropped).
QByteArray bmp24Bytes(const QImage &image);

} // namespace vz
