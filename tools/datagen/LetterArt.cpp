#include "LetterArt.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace datagen {

namespace {

QImage patternTile(const QString &kind, const QColor &a, const QColor &b)
{
    const int n = 12;
    QImage tile(n, n, QImage::Format_RGB32);
    tile.fill(b);
    QPainter p(&tile);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(a);
    if (kind == QLatin1String("checks")) {
        p.drawRect(0, 0, n / 2, n / 2);
        p.drawRect(n / 2, n / 2, n / 2, n / 2);
    } else if (kind == QLatin1String("dots")) {
        p.drawEllipse(QPointF(n / 4.0, n / 4.0), 2.4, 2.4);
        p.drawEllipse(QPointF(3 * n / 4.0, 3 * n / 4.0), 2.4, 2.4);
    } else { // diagonal stripes, seamless across tiles
        p.setPen(QPen(a, n / 2.8));
        for (int k = -1; k <= 2; ++k)
            p.drawLine(QPointF(k * n, 0), QPointF(k * n - n, n));
    }
    return tile;
}

// Tiles keep their last colour for the letter itself.
QColor tileAt(const LetterStyle &s, int i)
{
    if (s.colours.size() < 2)
        return QColor(Qt::darkBlue);
    return s.colours.at(i % (s.colours.size() - 1));
}

QColor colourAt(const LetterStyle &s, int i)
{
    if (s.colours.isEmpty())
        return Qt::black;
    return s.colours.at(i % s.colours.size());
}

} // namespace

bool LetterFont::load(const QString &fontFile, int imageHeight, const LetterStyle &style)
{
    m_height = imageHeight;
    m_margin = int(std::ceil(style.outlineWidth / 2.0)) + 2;
    const int extra = style.shadowOffset + (style.look == QLatin1String("extrude") ? imageHeight / 18 : 0)
                      + (style.look == QLatin1String("halo") ? imageHeight / 14 : 0);
    QRawFont probe(fontFile, 100);
    if (!probe.isValid())
        return false;
    const double unitHeight = (probe.ascent() + probe.descent()) / 100.0;
    const double room = imageHeight - 2 * m_margin - extra - (style.look == QLatin1String("tile") ? imageHeight * 0.2 : 0);
    const double pixelSize = room / unitHeight;
    m_font = QRawFont(fontFile, pixelSize);
    if (!m_font.isValid())
        return false;
    const double top = m_margin + (style.look == QLatin1String("tile") ? imageHeight * 0.1 : 0)
                       + (style.look == QLatin1String("halo") ? imageHeight / 28.0 : 0);
    m_baseline = std::round(top + m_font.ascent());
    m_margin += extra;
    return true;
}

bool LetterFont::hasGlyph(QChar c) const
{
    if (!m_font.supportsCharacter(c))
        return false;
    const QList<quint32> g = m_font.glyphIndexesForString(QString(c));
    return !g.isEmpty() && g.first() != 0;
}

LetterShape LetterFont::shape(QChar c, int index) const
{
    LetterShape s;
    s.index = index;
    const QList<quint32> glyphs = m_font.glyphIndexesForString(QString(c));
    if (glyphs.isEmpty())
        return s;
    const QList<QPointF> adv = m_font.advancesForGlyphIndexes(glyphs);
    QPainterPath path = m_font.pathForGlyph(glyphs.first());
    const double advance = adv.isEmpty() ? m_height / 3.0 : adv.first().x();
    const QRectF ink = path.boundingRect();
    const double left = ink.isEmpty() ? 0 : std::min(0.0, ink.left());
    const double right = ink.isEmpty() ? advance : std::max(advance, ink.right());
    const int pad = std::max(1, m_height / 45);
    path.translate(pad - left + m_margin / 2.0, m_baseline);
    s.path = path;
    s.width = int(std::ceil(right - left)) + 2 * pad + m_margin;
    return s;
}

void paintLetter(QPainter &p, const LetterShape &shape, int height, const LetterStyle &style, bool vectorSafe)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath &path = shape.path;
    const QRectF box = path.boundingRect();
    const QColor main = colourAt(style, style.look == QLatin1String("rainbow") ? shape.index : 0);

    if (style.look == QLatin1String("tile")) {
        const QRectF cell(1.5, 1.5, shape.width - 3.0, height - 3.0);
        if (vectorSafe) {
            p.setBrush(tileAt(style, shape.index));
        } else {
            QLinearGradient g(0, 0, 0, height);
            g.setColorAt(0, tileAt(style, shape.index).lighter(135));
            g.setColorAt(1, tileAt(style, shape.index).darker(125));
            p.setBrush(g);
        }
        p.setPen(QPen(style.outline.isValid() ? style.outline : Qt::black, 1.5));
        p.drawRoundedRect(cell, height / 8.0, height / 8.0);
    }
    if (style.look == QLatin1String("halo")) {
        // A soft halo from widening strokes of the halo colour, light to strong.
        const QColor halo = colourAt(style, 1);
        const int steps = vectorSafe ? 1 : 5;
        for (int i = steps; i >= 1; --i) {
            QColor c = halo;
            if (!vectorSafe)
                c = QColor::fromRgbF(1 - (1 - halo.redF()) * (steps - i + 1) / steps,
                                     1 - (1 - halo.greenF()) * (steps - i + 1) / steps,
                                     1 - (1 - halo.blueF()) * (steps - i + 1) / steps);
            p.setPen(QPen(c, height / 14.0 * i / steps * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(c);
            p.drawPath(path);
        }
    }
    if (style.shadow.isValid() && style.shadowOffset > 0) {
        p.setPen(style.outline.isValid() ? QPen(style.shadow, style.outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                                         : QPen(Qt::NoPen));
        p.setBrush(style.shadow);
        p.drawPath(path.translated(style.shadowOffset, style.shadowOffset));
    }
    if (style.look == QLatin1String("extrude")) {
        const int depth = std::max(2, height / 18);
        const QColor side = colourAt(style, 1);
        p.setPen(Qt::NoPen);
        for (int i = depth; i >= 1; --i) {
            p.setBrush(side.darker(100 + 40 * i / depth));
            p.drawPath(path.translated(i, i));
        }
    }

    QBrush fill(main);
    if (!vectorSafe) {
        if (style.look == QLatin1String("gradient") || style.look == QLatin1String("extrude")
            || style.look == QLatin1String("halo")) {
            QLinearGradient g(0, box.top(), 0, box.bottom());
            g.setColorAt(0, colourAt(style, 0));
            g.setColorAt(1, style.colours.size() > 2 ? colourAt(style, 2) : colourAt(style, 0).darker(160));
            if (style.look == QLatin1String("gradient") && style.colours.size() > 1 && style.colours.size() <= 2)
                g.setColorAt(1, colourAt(style, 1));
            fill = QBrush(g);
        } else if (style.look == QLatin1String("pattern")) {
            fill = QBrush(patternTile(style.pattern, colourAt(style, 0), colourAt(style, 1)));
        }
    }
    if (style.look == QLatin1String("tile"))
        fill = QBrush(style.colours.size() > 1 ? style.colours.last() : QColor(Qt::white));
    p.setBrush(fill);
    if (style.outline.isValid() && style.outlineWidth > 0)
        p.setPen(QPen(style.outline, style.outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
        p.setPen(Qt::NoPen);
    p.drawPath(path);
    if (!vectorSafe && style.look == QLatin1String("gradient")) {
        // A thin highlight along the upper half gives the fill some gloss.
        p.save();
        p.setClipPath(path);
        QLinearGradient gloss(0, box.top(), 0, box.center().y());
        gloss.setColorAt(0, QColor(255, 255, 255, 110));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(QRectF(box.left(), box.top(), box.width(), box.height() / 2), gloss);
        p.restore();
    }
}

} // namespace datagen
