#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace datagen {

// What an Open Clip Art SVG says about itself in its metadata.
struct SvgInfo
{
    QString title;         // dc:title of the work, trimmed
    QStringList keywords;  // dc:subject entries, as written
    QStringList authors;   // dc:creator agents' titles
    QString unsupported;   // first element Qt Svg cannot draw faithfully, empty when none
};

SvgInfo readSvgInfo(const QByteArray &svg);

// The display name: the title when it says something, else words of the file name.
QString pictureName(const SvgInfo &info, const QString &baseName, int maxLength);

// Search words, one per line (CR LF): keywords first, then the file name's words;
// lower-cased, each once, without authors' names and filler words, cut at a line
// boundary so the text fits maxLength characters.
QString searchWords(const SvgInfo &info, const QString &baseName, int maxLength);

// Words of a file name without its extension, split at non-letters.
QStringList fileNameWords(const QString &baseName);

// Whether any part is drawn see-through (opacity below 1). A metafile has no
// transparency, so such pictures are only stored as bitmaps.
bool usesTranslucency(const QByteArray &svg);

// Replaces every colour in SVG source by its grey, for the black-and-white tree.
QByteArray greySvg(const QByteArray &svg);

// An SVG prepared for drawing: the renderer's view box cropped to the drawing.
class SvgPicture
{
public:
    // Returns false (with reason) for unreadable or blank drawings.
    bool load(const QByteArray &svg, QString *reason);
    QRectF viewBox() const { return m_box; }
    QSize sizeForLongSide(int longSide) const;
    // On white, long side `longSide` pixels.
    QImage render(int longSide) const;
    // Onto any paint device, filling `target`.
    void renderTo(QPainter *painter, const QRectF &target) const;
    const QByteArray &source() const { return m_svg; }
    // The same drawing from other source bytes (the grey variant), same crop.
    SvgPicture withSource(const QByteArray &svg) const;

private:
    QByteArray m_svg;
    QRectF m_box;
};

// Collects what Qt Svg complains about while it lives, on this thread. A
// picture Qt Svg complains about is drawn with parts missing.
class SvgWarnings
{
public:
    SvgWarnings();
    ~SvgWarnings();
    SvgWarnings(const SvgWarnings &) = delete;
    SvgWarnings &operator=(const SvgWarnings &) = delete;
    const QStringList &messages() const { return m_messages; }
    void add(const QString &message) { m_messages << message; }
    static void install(); // once, before any rendering

private:
    QStringList m_messages;
    SvgWarnings *m_outer;
};

// Converts to 8-bit grey on white (luma), kept as RGB32 for the writers.
QImage toGrey(const QImage &image);

} // namespace datagen
