#pragma once

#include "metafile/ByteReader.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <QTransform>

#include <memory>
#include <variant>

namespace vz::mf {

class EmfDocument;
class WmfDocument;

// The objects of the EMF+ object table, decoded from their records.
namespace emfplus {

enum ObjectType { ObjInvalid = 0, ObjBrush, ObjPen, ObjPath, ObjRegion, ObjImage, ObjFont, ObjStringFormat,
                  ObjImageAttributes, ObjCustomLineCap };

struct Brush
{
    QBrush brush{Qt::black};
    // Hatches keep to the device grid whatever the transform.
    bool deviceAligned = false;
};

// A line end drawn by us (arrow and other anchors; adjustable arrow caps).
struct LineEnd
{
    enum Shape { None, Arrow, Round, Square, Diamond } shape = None;
    double width = 0, height = 0; // in pen widths
    bool filled = true;
};

struct Pen
{
    QPen pen{Qt::black};
    Brush brush;
    double width = 1;
    int unit = 0;
    LineEnd start, end;
};

struct Region
{
    bool infinite = false;
    QPainterPath path; // world coordinates
};

struct Image
{
    QImage bitmap;
    std::shared_ptr<const EmfDocument> emf;
    std::shared_ptr<const WmfDocument> wmf;
    QRectF bounds; // the image's own coordinates (pixels)
    bool isNull() const { return bitmap.isNull() && !emf && !wmf; }
};

struct Font
{
    double emSize = 12;
    int unit = 0;
    int style = 0; // 1 bold, 2 italic, 4 underline, 8 strikeout
    QString family;
};

struct StringFormat
{
    quint32 flags = 0;
    int align = 0, lineAlign = 0;
    double leading = 1.0 / 6, trailing = 1.0 / 6; // em
};
enum : quint32 { FormatRightToLeft = 0x1, FormatVertical = 0x2, FormatNoWrap = 0x1000, FormatLineLimit = 0x2000,
                 FormatNoClip = 0x4000 };

struct ImageAttributes
{
    int wrap = 0;
    QColor clamp;
};

using Object = std::variant<std::monostate, Brush, Pen, QPainterPath, Region, Image, Font, StringFormat,
                            ImageAttributes>;

// Decodes an object of the given type from its data; std::monostate when the
// data does not hold one.
Object readObject(int type, const ByteReader &data);

Brush readBrush(const ByteReader &p, bool *ok);
bool readPath(const ByteReader &p, QPainterPath &path);
Image readImage(const ByteReader &p);

// Region arithmetic, also for clipping: `mode` is a combine mode (1 intersect,
// 2 union, 3 xor, 4 exclude, 5 complement, anything else replaces).
Region combineRegions(const Region &a, const Region &b, int mode);

// A hatch style's 8 x 8 tile.
QImage hatchTile(int style, const QColor &fore, const QColor &back);

// Limits on what a record may make us allocate.
constexpr qint64 kMaxImagePixels = 64ll * 1024 * 1024;
// A few bytes of PNG or GIF can claim any size: compressed images get less.
constexpr qint64 kMaxCompressedPixels = 16ll * 1024 * 1024;
constexpr int kMaxImageSide = 32767;

} // namespace emfplus

} // namespace vz::mf
