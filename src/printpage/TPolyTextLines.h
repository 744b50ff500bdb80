#pragma once

#include "printpage/TextCanvas.h"

#include <QPolygon>
#include <QRect>
#include <QString>

#include <vector>

namespace vz {

// One placed line of wrapped text: a span of a row, canvas pixels.
class TPolyTextLine
{
public:
    TPolyTextLine(TextCanvas *canvas, int right, int left, int top);

    // Takes as many words of `text` as fit the line (a line ends at CR LF)
    // and returns the rest. A word wider than the whole line is broken after
    // its last character that fits, at least one character per line.
    QString Fill(const QString &text);
    // The same, over a view: returns how many characters of `text` the line
    // took (the rest starts there), so a long text is not copied per line.
    qsizetype fillFrom(QStringView text);
    // Draws the text (if any) at the offset, placed by the alignment.
    void Draw(int dx, int dy) const;

    int left() const { return m_left; }
    int right() const { return m_right; }
    int width() const { return m_right - m_left; }
    int top() const { return m_top; }
    const QString &text() const { return m_text; }
    TextCanvas *canvas() const { return m_canvas; }
    int alignment() const { return m_alignment; }
    void setAlignment(int alignment) { m_alignment = alignment; }
    void setCanvas(TextCanvas *canvas)
    {
        m_canvas = canvas;
        m_textWidth = -1;
    }

private:
    int textWidth() const;

    int m_left;
    int m_right;
    int m_top;
    QString m_text;
    TextCanvas *m_canvas;
    int m_alignment = 2; // 0 left, 1 right, 2 centre
    int m_textWidth = -1; // the text's width when filling measured it, else -1
};

// Lays text out inside a polygon, row by row, each row cut into the spans
// that lie inside the polygon at both its top and its bottom.
class TPolyTextLines
{
public:
    TPolyTextLines(TextCanvas *canvas, const QPolygon &polygon);

    // Replaces the polygon (no new layout).
    void SetPolygon(const QPolygon &polygon);
    // Sets the alignment of the layout and of every line placed (no new layout).
    void SetAlignment(int alignment);
    // Stores the text and lays it out.
    void SetText(const QString &text);
    // Lays the text out again. Lines are placed until the text is used up
    // (the rows after it would hold empty lines only).
    void Layout();
    // Measures and draws with another canvas from now on; lays out again.
    void SetCanvas(TextCanvas *canvas);
    // Draws every line; shifted puts the polygon's top-left corner at (5, 5).
    // With border the polygon is outlined at the same offset.
    void Draw(bool shifted, bool border) const;

    const QPolygon &polygon() const { return m_polygon; }
    // Minimum and maximum of the polygon's points: left = min x, right = max x
    // (so width() = max x − min x), likewise for y.
    int minX() const { return m_minX; }
    int minY() const { return m_minY; }
    int maxX() const { return m_maxX; }
    int maxY() const { return m_maxY; }
    const QString &text() const { return m_text; }
    int lineHeight() const { return m_lineHeight; }
    int rowCount() const { return m_rowCount; }
    const std::vector<TPolyTextLine> &lines() const { return m_lines; }
    int alignment() const { return m_alignment; }
    TextCanvas *canvas() const { return m_canvas; }
    int lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(int percent) { m_lineSpacing = percent; }
    int margin() const { return m_margin; }
    void setMargin(int margin) { m_margin = margin; }

    // An inside span of one horizontal line: start included, end excluded.
    struct Span
    {
        int start = 0;
        int end = 0;
    };
    // The inside spans of the horizontal line at y, left to right, by the
    // even-odd rule over whole-pixel x (as stepping pixel by pixel finds them).
    std::vector<Span> spansAt(int y) const;

private:
    QPolygon m_polygon;
    int m_minX = 0, m_minY = 0, m_maxX = 0, m_maxY = 0;
    QString m_text;
    int m_lineHeight = 0;
    int m_rowCount = 0;
    std::vector<TPolyTextLine> m_lines;
    int m_alignment = 2;
    TextCanvas *m_canvas;
    int m_lineSpacing = 0;
    int m_margin = 5;
};

} // namespace vz
