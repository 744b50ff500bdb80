#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include <memory>

class QPainter;

namespace vz::mf {
class WmfDocument;
class EmfDocument;
}

namespace vz {

// A picture as the program's pages and clipboards hold it: a bitmap, a
// Windows metafile, an enhanced metafile, a JPEG, GIF or icon. JPEG, GIF,
// icon and metafile pictures keep their source bytes, so they are stored and
// saved unchanged. An implicitly shared value type.
class Picture
{
public:
    enum class Kind { None, Bitmap, Metafile, EnhancedMetafile, Jpeg, Gif, Icon };

    Picture() = default;

    static Picture fromImage(const QImage &bitmap);
    // Reads `bytes` as the given kind; Metafile data that is enhanced (by the
    // signature rule) becomes an enhanced metafile. Raises FileError with the
    // toolkit's message when the data cannot be read.
    static Picture fromBytes(const QByteArray &bytes, Kind kind);
    // Reads a file by the picture format its extension names; raises
    // FileError for an unknown extension or unreadable data. Unlike
    // fromBytes, a bitmap file whose pixel rows were cut short is unreadable.
    static Picture fromFile(const QString &fileName);
    static Picture fromFile(const QString &fileName, Kind kind);
    // The kind an extension (".BMP", "wmf", ...) names; None when none.
    static Kind kindForExtension(QString extension);

    Kind kind() const { return m_d ? m_d->kind : Kind::None; }
    bool isNull() const { return kind() == Kind::None; }
    bool isMetafile() const { return kind() == Kind::Metafile || kind() == Kind::EnhancedMetafile; }
    // True when both hold the very same data. The data is never changed in
    // place (setSize makes new data), so this is a cheap test that a kept
    // copy is still what a holder holds.
    bool sharesDataWith(const Picture &other) const { return m_d == other.m_d; }

    // Size in pixels; for metafiles the physical size at 96 pixels per inch
    // unless set.
    int width() const { return m_d ? m_d->size.width() : 0; }
    int height() const { return m_d ? m_d->size.height() : 0; }
    QSize size() const { return m_d ? m_d->size : QSize(); }
    // Metafiles only: setting the size in pixels also sets the physical size
    // (and the bounding box they are saved with).
    void setSize(const QSize &pixels);

    // Metafiles only: physical size (0.01 mm), units per inch, the logical
    // bounding box and the number of records.
    QSize physicalSize() const { return m_d ? m_d->physical : QSize(); }
    int unitsPerInch() const { return m_d ? m_d->unitsPerInch : 0; }
    QRectF bounds() const { return m_d ? m_d->bounds : QRectF(); }
    int recordCount() const { return m_d ? m_d->records : 0; }

    // The decoded raster of bitmaps, JPEGs, GIFs and icons.
    QImage image() const { return m_d ? m_d->image : QImage(); }
    // The bytes the picture was read from (JPEG, GIF, icon, metafiles).
    QByteArray sourceBytes() const { return m_d ? m_d->bytes : QByteArray(); }

    // Draws the picture stretched into `target`, with the painter's render
    // hints (metafiles draw with hard edges unless it asks for
    // antialiasing). Returns false when nothing could be drawn.
    bool draw(QPainter &painter, const QRectF &target) const;
    // The picture drawn on a background at `size` (its own size when empty),
    // antialiased unless asked otherwise.
    QImage render(QSize size = QSize(), const QColor &background = Qt::white, bool antialiased = true) const;

    // The picture in its own file format: bitmaps as 24-bit BMP, metafiles
    // placeable (enhanced ones as they are), the others as their bytes.
    QByteArray saveData() const;
    // Writes saveData() over `fileName` safely; raises FileError.
    void saveToFile(const QString &fileName) const;
    // "bmp", "wmf", "emf", "jpg", "gif", "ico".
    QString defaultExtension() const;

private:
    struct Data
    {
        Kind kind = Kind::None;
        QByteArray bytes;
        QImage image;
        QSize size;
        QSize physical;
        int unitsPerInch = 0;
        QRectF bounds;
        int records = 0;
        bool resized = false;
        std::shared_ptr<const mf::WmfDocument> wmf;
        std::shared_ptr<const mf::EmfDocument> emf;
    };
    std::shared_ptr<const Data> m_d;
};

} // namespace vz
