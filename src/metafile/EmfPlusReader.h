#pragma once

#include "metafile/EmfReader.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <vector>

namespace vz::mf {

namespace emfplus {
// Record types (the 0x40xx range).
namespace rec {
enum : quint16 {
    Header = 0x4001, EndOfFile, Comment, GetDC, MultiFormatStart, MultiFormatSection, MultiFormatEnd, Object, Clear,
    FillRects, DrawRects, FillPolygon, DrawLines, FillEllipse, DrawEllipse, FillPie, DrawPie, DrawArc, FillRegion,
    FillPath, DrawPath, FillClosedCurve, DrawClosedCurve, DrawCurve, DrawBeziers, DrawImage, DrawImagePoints,
    DrawString, SetRenderingOrigin, SetAntiAliasMode, SetTextRenderingHint, SetTextContrast, SetInterpolationMode,
    SetPixelOffsetMode, SetCompositingMode, SetCompositingQuality, Save, Restore, BeginContainer,
    BeginContainerNoParams, EndContainer, SetWorldTransform, ResetWorldTransform, MultiplyWorldTransform,
    TranslateWorldTransform, ScaleWorldTransform, RotateWorldTransform, SetPageTransform, ResetClip, SetClipRect,
    SetClipPath, SetClipRegion, OffsetClip, DrawDriverString, StrokeFillPath,
};
} // namespace rec
// Record flags shared by the drawing records.
enum : quint16 {
    FlagSolidColor = 0x8000, // the brush id is an inline ARGB colour
    FlagCompressed = 0x4000, // 16-bit integer coordinates
    FlagClosedOrWinding = 0x2000,
    FlagRelative = 0x0800, // relative points (EmfPlusPointR)
};
// Units of measure.
enum Unit { UnitWorld = 0, UnitDisplay, UnitPixel, UnitPoint, UnitInch, UnitDocument, UnitMillimeter };
constexpr quint32 kCommentSignature = 0x2B464D45; // "EMF+"
constexpr quint32 kVersionSignature = 0xDBC01;
constexpr int kObjectSlots = 64;
} // namespace emfplus

// How a file carries EMF+ drawing.
enum class EmfPlusKind { None, Dual, Only };

struct EmfPlusRecord
{
    quint16 type = 0;
    quint16 flags = 0;
    qsizetype offset = 0; // of the record data, in the document's bytes
    qsizetype size = 0;   // data bytes
    int emfIndex = 0;     // the EMF comment record that holds it
};

// The EMF+ records of an enhanced metafile, found in its comments and
// checked to lie inside them.
class EmfPlusStream
{
public:
    static EmfPlusStream scan(const EmfDocument &doc);

    EmfPlusKind kind() const { return m_kind; }
    // Whether the EMF+ drawing is the picture: an EMF+-only file always; a
    // dual file when its EMF+ part reads up to its first drawing record.
    bool playable() const { return m_playable; }
    double dpiX() const { return m_dpiX; }
    double dpiY() const { return m_dpiY; }
    const std::vector<EmfPlusRecord> &records() const { return m_records; }

private:
    EmfPlusKind m_kind = EmfPlusKind::None;
    bool m_playable = false;
    double m_dpiX = 96, m_dpiY = 96;
    std::vector<EmfPlusRecord> m_records;
};

// The EMF+ kind of a document (for reports): None, Dual or Only.
EmfPlusKind emfPlusKind(const EmfDocument &doc);

// Helpers over record data shared by the objects and the player.
namespace emfplus {

QColor argb(quint32 v);
QColor argbAt(const ByteReader &p, qsizetype at);
QRectF rectF(const ByteReader &p, qsizetype at);
// A rectangle in the record's encoding (16-bit when compressed); `at` moves past it.
QRectF readRect(const ByteReader &p, qsizetype &at, bool compressed);
QTransform matrix(const ByteReader &p, qsizetype at);
// `count` points at `at` in the encoding the flags choose: floats, 16-bit
// integers or relative steps. An empty polygon when they do not fit; `at`
// moves past them.
QPolygonF readPoints(const ByteReader &p, qsizetype &at, quint32 count, bool compressed, bool relative);
// Pixels per unit at the given resolution (World and Display count as pixels).
double unitToPixels(int unit, double dpi);

} // namespace emfplus

} // namespace vz::mf
