#pragma once

#include "imaging/RasterEffects.h"

#include <QImage>
#include <QString>

namespace vz {

// The image control of the imaging toolkit: one bitmap or none. Effects work in
// place (their meanings are in RasterEffects.h). Every operation that needs a
// bitmap raises ImageError on an empty control; a file that cannot be read or
// written raises FileError, and the control keeps what it held.
class RasterImage
{
public:
    // Save formats and qualities the program uses.
    static constexpr int kFormatBmp24 = 6;
    static constexpr int kQualityTemporary = 2; // a temporary hand-over copy
    static constexpr int kQualityUserFile = 0;  // a file the user chose
    static constexpr int kCopyFlags = 11;

    bool isEmpty() const { return m_bitmap.isNull(); }

    // Reads a BMP or JPEG file. bitsPerPixel 0 keeps the file's depth, 24
    // converts to 24-bit; only the first page exists.
    void Load(const QString &fileName, int bitsPerPixel = 0, int page = 0, int pageCount = 1);

    // Writes a 24-bit Windows BMP. The file is written beside its name and
    // renamed over it, so a failure leaves an existing file as it was.
    void Save(const QString &fileName, int format = kFormatBmp24, int bitsPerPixel = 24,
              int quality = kQualityUserFile, int multiPage = 0) const;

    // The held bitmap, or a null image when empty.
    QImage Bitmap() const { return m_bitmap; }
    // Holds its own copy of the bitmap; a null image empties the control.
    void setBitmap(const QImage &bitmap);

    // Puts the bitmap on the system clipboard (needs a QGuiApplication).
    void Copy(int flags = kCopyFlags) const;

    void Hue(int angle);        // -360..360
    void Saturation(int value); // -1000..1000
    void Intensity(int value);  // -1000..1000
    void Contrast(int value);   // -1000..1000
    void Sharpen(int value);    // -1000..1000
    void Median(int size);      // 1..20
    void Flip();
    void Reverse();

    // Removes the bitmap: the control holds one list item at most, item 0.
    // Removing from an empty control changes nothing.
    void DeleteBitmapListItems(int first = 0, int count = 1);

private:
    void requireBitmap() const;
    void apply(Effect effect, int value);

    QImage m_bitmap;
};

} // namespace vz
