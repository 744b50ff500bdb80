#pragma once

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QRawFont>
#include <QString>

class QPainter;

namespace datagen {

// How an alphabet's letters are dressed.
struct LetterStyle
{
    QString look;            // gradient, pattern, rainbow, tile, extrude, halo, solid
    QList<QColor> colours;   // the look's colours, first the main fill
    QColor outline;          // invalid: no outline
    double outlineWidth = 0; // pixels
    QColor shadow;           // invalid: no shadow
    int shadowOffset = 0;    // pixels, down and right
    QString pattern;         // stripes, checks, dots (look "pattern")
};

// One letter's shape at the alphabet's size, positioned for its image.
struct LetterShape
{
    QPainterPath path;  // glyph outline, baseline at y = baseline
    int width = 0;      // image width
    int index = 0;      // position in the alphabet, for looks that vary per letter
};

// Lays out glyphs of one font so that every letter image has the same height
// and a shared baseline.
class LetterFont
{
public:
    bool load(const QString &fontFile, int imageHeight, const LetterStyle &style);
    bool hasGlyph(QChar c) const;
    LetterShape shape(QChar c, int index) const;
    int height() const { return m_height; }

private:
    QRawFont m_font;
    int m_height = 0;
    double m_baseline = 0;
    int m_margin = 0;
};

// Paints the letter with its style onto a painter whose device is `width` x
// `height` and already white. Vector devices get only solid brushes and pens
// when `vectorSafe` is set.
void paintLetter(QPainter &p, const LetterShape &shape, int height, const LetterStyle &style, bool vectorSafe);

} // namespace datagen
