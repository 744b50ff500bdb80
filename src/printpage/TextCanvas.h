#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <QStringView>

#include <array>

class QPainter;

namespace vz {

// The drawing surface the text layout measures and draws on. Heights and
// widths are whole pixels, as a text extent gives them.
class TextCanvas
{
public:
    virtual ~TextCanvas() = default;

    // Height of `text` in the current font (the font's cell height).
    virtual int textHeight(QStringView text) const = 0;
    // Width of `text` in the current font.
    virtual int textWidth(QStringView text) const = 0;
    // A quick estimate of textWidth, used only to guess where a line breaks
    // before the guess is confirmed with textWidth. Defaults to the exact one.
    virtual double estimateWidth(QStringView text) const { return textWidth(text); }
    // Draws `text` with the top of its character cells at `top`.
    virtual void drawText(int x, int top, QStringView text) = 0;
    // Outlines `polygon` with the current pen and no fill.
    virtual void outlinePolygon(const QPolygon &polygon) = 0;
};

// A canvas over a QPainter, using the painter's font. Text is drawn in the
// text colour, outlines with the outline pen.
class PainterTextCanvas : public TextCanvas
{
public:
    explicit PainterTextCanvas(QPainter *painter);

    void setTextColor(const QColor &color) { m_textColor = color; }
    void setOutlinePen(const QPen &pen) { m_outlinePen = pen; }
    // Characters Windows-1252 cannot hold become filled glyph outlines, so a
    // metafile (which stores ANSI text) still shows them.
    void setOutlineNonAnsi(bool on) { m_outlineNonAnsi = on; }
    // Call after changing the painter's font.
    void fontChanged();

    int textHeight(QStringView text) const override;
    int textWidth(QStringView text) const override;
    double estimateWidth(QStringView text) const override;
    void drawText(int x, int top, QStringView text) override;
    void outlinePolygon(const QPolygon &polygon) override;

private:
    double charAdvance(QChar c) const;

    QPainter *m_painter;
    QFont m_font;
    QColor m_textColor = Qt::black;
    QPen m_outlinePen{Qt::black, 0};
    bool m_outlineNonAnsi = false;
    mutable std::array<float, 256> m_latinAdvance{}; // < 0: not measured yet
};

// A canvas with fixed metrics for tests: every character is `charWidth`
// pixels wide and every text `height` high. It records what is drawn.
class FixedTextCanvas : public TextCanvas
{
public:
    struct DrawnText
    {
        int x = 0;
        int top = 0;
        QString text;
        friend bool operator==(const DrawnText &, const DrawnText &) = default;
    };

    explicit FixedTextCanvas(int charWidth = 10, int height = 20)
        : m_charWidth(charWidth), m_height(height)
    {
    }

    void setHeight(int height) { m_height = height; }
    void setCharWidth(int width) { m_charWidth = width; }

    int textHeight(QStringView text) const override { return text.isEmpty() ? 0 : m_height; }
    int textWidth(QStringView text) const override
    {
        ++m_widthCalls;
        return int(text.size()) * m_charWidth;
    }
    double estimateWidth(QStringView text) const override { return double(text.size()) * m_charWidth; }
    void drawText(int x, int top, QStringView text) override { m_drawn.append({x, top, text.toString()}); }
    void outlinePolygon(const QPolygon &polygon) override { m_outlines.append(polygon); }

    const QList<DrawnText> &drawn() const { return m_drawn; }
    const QList<QPolygon> &outlines() const { return m_outlines; }
    // How many times textWidth was asked (the layout keeps this small).
    int widthCalls() const { return m_widthCalls; }

private:
    int m_charWidth;
    int m_height;
    QList<DrawnText> m_drawn;
    QList<QPolygon> m_outlines;
    mutable int m_widthCalls = 0;
};

} // namespace vz
