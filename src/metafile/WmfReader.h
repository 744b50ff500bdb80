#pragma once

#include "metafile/ByteReader.h"
#include "metafile/Placeable.h"

#include <QByteArray>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace vz::mf {

// WMF record functions the reader and player know by name.
namespace wmf {
enum Function : quint16 {
    EOF_ = 0x0000,
    SAVEDC = 0x001E,
    REALIZEPALETTE = 0x0035,
    CREATEPALETTE = 0x00F7,
    SETBKMODE = 0x0102,
    SETMAPMODE = 0x0103,
    SETROP2 = 0x0104,
    SETRELABS = 0x0105,
    SETPOLYFILLMODE = 0x0106,
    SETSTRETCHBLTMODE = 0x0107,
    SETTEXTCHAREXTRA = 0x0108,
    RESTOREDC = 0x0127,
    INVERTREGION = 0x012A,
    PAINTREGION = 0x012B,
    SELECTCLIPREGION = 0x012C,
    SELECTOBJECT = 0x012D,
    SETTEXTALIGN = 0x012E,
    DIBCREATEPATTERNBRUSH = 0x0142,
    DELETEOBJECT = 0x01F0,
    CREATEPATTERNBRUSH = 0x01F9,
    SETBKCOLOR = 0x0201,
    SETTEXTCOLOR = 0x0209,
    SETTEXTJUSTIFICATION = 0x020A,
    SETWINDOWORG = 0x020B,
    SETWINDOWEXT = 0x020C,
    SETVIEWPORTORG = 0x020D,
    SETVIEWPORTEXT = 0x020E,
    OFFSETWINDOWORG = 0x020F,
    OFFSETVIEWPORTORG = 0x0211,
    LINETO = 0x0213,
    MOVETO = 0x0214,
    OFFSETCLIPRGN = 0x0220,
    FILLREGION = 0x0228,
    SETMAPPERFLAGS = 0x0231,
    SELECTPALETTE = 0x0234,
    CREATEPENINDIRECT = 0x02FA,
    CREATEFONTINDIRECT = 0x02FB,
    CREATEBRUSHINDIRECT = 0x02FC,
    POLYGON = 0x0324,
    POLYLINE = 0x0325,
    SCALEWINDOWEXT = 0x0410,
    SCALEVIEWPORTEXT = 0x0412,
    EXCLUDECLIPRECT = 0x0415,
    INTERSECTCLIPRECT = 0x0416,
    ELLIPSE = 0x0418,
    FLOODFILL = 0x0419,
    RECTANGLE = 0x041B,
    SETPIXEL = 0x041F,
    FRAMEREGION = 0x0429,
    TEXTOUT = 0x0521,
    POLYPOLYGON = 0x0538,
    EXTFLOODFILL = 0x0548,
    ROUNDRECT = 0x061C,
    PATBLT = 0x061D,
    ESCAPE = 0x0626,
    CREATEREGION = 0x06FF,
    ARC = 0x0817,
    PIE = 0x081A,
    CHORD = 0x0830,
    BITBLT = 0x0922,
    DIBBITBLT = 0x0940,
    EXTTEXTOUT = 0x0A32,
    STRETCHBLT = 0x0B23,
    DIBSTRETCHBLT = 0x0B41,
    SETDIBTODEV = 0x0D33,
    STRETCHDIB = 0x0F43,
};
} // namespace wmf

struct WmfRecord
{
    quint16 function = 0;
    qsizetype offset = 0; // of the parameters, in the file's bytes
    qsizetype size = 0;   // of the parameters, in bytes
};

// A Windows metafile split into records, every record checked to lie inside
// the data. Holds its bytes (implicitly shared).
class WmfDocument
{
public:
    // Reads placeable or plain WMF data. A record with a size below 3 words
    // or reaching past the end ends the records. Returns nothing (and sets
    // `error`) when the data is not a Windows metafile at all.
    static std::optional<WmfDocument> parse(const QByteArray &bytes, QString *error = nullptr);

    const QByteArray &bytes() const { return m_bytes; }
    ByteReader params(const WmfRecord &r) const { return ByteReader(m_bytes).sub(r.offset, r.size); }
    const std::vector<WmfRecord> &records() const { return m_records; }

    bool isPlaceable() const { return m_placeable.has_value(); }
    const std::optional<PlaceableHeader> &placeableHeader() const { return m_placeable; }
    bool checksumValid() const { return m_placeable && m_placeable->checksumValid(); }
    // Units per inch: the header's (0 counts as 96), 96 without a header.
    int unitsPerInch() const { return m_unitsPerInch; }
    // The logical rectangle the picture occupies: the placeable bounding
    // box, else the window the records set up, else the extent of what they
    // draw.
    QRectF frame() const { return m_frame; }
    int objectCount() const { return m_objectCount; }
    // Physical size in hundredths of a millimetre and size in pixels at 96
    // pixels per inch.
    QSize physicalSize() const;
    QSize pixelSize() const;
    // The records as a placeable metafile: the original bytes when they had
    // a header, else a header made from the frame.
    QByteArray placeableBytes() const;

private:
    void findFrame();

    QByteArray m_bytes;
    std::optional<PlaceableHeader> m_placeable;
    qsizetype m_metaStart = 0;
    int m_unitsPerInch = 96;
    QRectF m_frame;
    int m_objectCount = 0;
    std::vector<WmfRecord> m_records;
};

} // namespace vz::mf
