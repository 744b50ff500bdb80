#include "printpage/TPolyTextLines.h"

#include "common/Rounding.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace vz {

namespace {

constexpr char16_t kSpace = u' ';
constexpr char16_t kCR = u'\r';
constexpr char16_t kLF = u'\n';

// Blanks and control characters, which are trimmed from both ends of a line.
bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

QString trimmedLine(QStringView s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && isBlank(s[a]))
        ++a;
    while (b > a && isBlank(s[b - 1]))
        --b;
    return s.mid(a, b - a).toString();
}

qsizetype skipSpaces(QStringView t, qsizetype i)
{
    while (i < t.size() && t[i] == kSpace)
        ++i;
    return i;
}

int clampInt(qint64 v)
{
    return int(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}

} // namespace

// ---------------------------------------------------------------- TPolyTextLine

TPolyTextLine::TPolyTextLine(TextCanvas *canvas, int right, int left, int top)
    : m_left(left), m_right(right), m_top(top), m_canvas(canvas)
{
}

QString TPolyTextLine::Fill(const QString &text)
{
    return text.mid(fillFrom(text));
}

qsizetype TPolyTextLine::fillFrom(QStringView t)
{
    m_text.clear();
    m_textWidth = -1;
    const qsizetype n = t.size();
    if (n == 0 || !m_canvas)
        return 0;
    const int lineWidth = width();

    // The words of the line's candidates: each ends at a space, a CR or the
    // end of the text; `closed` once the last one ends the line for good.
    struct Word
    {
        qsizetype start;
        qsizetype end;
        double guess; // estimated width of t[0, end)
        int fits;     // -1 not measured, 0 too wide, 1 fits
        int width;    // measured width of t[0, end) when fits >= 0
    };
    std::vector<Word> words;
    bool closed = false;
    auto nextWord = [&]() {
        const qsizetype from = words.empty() ? 0 : words.back().end;
        const qsizetype g = words.empty() ? 0 : skipSpaces(t, from);
        qsizetype e = g;
        while (e < n && t[e] != kSpace && t[e] != kCR)
            ++e;
        const double before = words.empty() ? 0.0 : words.back().guess;
        words.push_back({g, e, before + m_canvas->estimateWidth(t.mid(from, e - from)), -1, 0});
        if (e >= n || t[e] == kCR || skipSpaces(t, e) >= n)
            closed = true;
    };
    auto fits = [&](size_t j) {
        Word &w = words[j];
        if (w.fits < 0) {
            w.width = m_canvas->textWidth(t.left(w.end));
            w.fits = w.width <= lineWidth ? 1 : 0;
        }
        return w.fits == 1;
    };
    // The line's text is usually exactly a measured prefix: keep its width
    // for drawing.
    auto keepWidth = [&](size_t j) {
        if (m_text.size() == words[j].end && words[j].fits == 1)
            m_textWidth = words[j].width;
    };

    // Guess the break from the estimates, then confirm it exactly: the word
    // that ends the line fits and the next one does not. This finds what
    // measuring after every word finds, with about two measurements.
    nextWord();
    while (!closed && words.back().guess <= lineWidth)
        nextWord();
    size_t j = words.size() - 1;
    if (j > 0 && words[j].guess > lineWidth)
        --j;
    std::optional<size_t> tooWide;
    if (fits(j)) {
        while (!(closed && j + 1 == words.size())) {
            if (j + 1 == words.size())
                nextWord();
            if (!fits(j + 1)) {
                tooWide = j + 1;
                break;
            }
            ++j;
        }
    } else {
        while (j > 0 && !fits(j - 1))
            --j;
        tooWide = j;
    }

    qsizetype i; // where the rest of the text starts
    if (!tooWide) {
        const qsizetype e = words[j].end;
        if (e < n && t[e] == kCR)
            i = e + 1 < n && t[e + 1] == kLF ? e + 2 : e + 1; // a lone CR skips only itself
        else
            i = skipSpaces(t, e);
        m_text = trimmedLine(t.left(i));
        keepWidth(j);
        return i;
    }

    const Word &w = words[*tooWide];
    m_text = trimmedLine(t.left(w.start));
    if (!m_text.isEmpty()) {
        keepWidth(*tooWide - 1);
        return w.start;
    }

    // A word wider than the whole line: break it after its last character
    // that fits, keeping at least one (and never half a surrogate pair).
    const QStringView word = t.mid(w.start, w.end - w.start);
    if (word.isEmpty()) // blanks alone overflowed the line; the CR starts the next one
        return w.start;
    auto boundary = [&](qsizetype m) { // m characters, moved off a pair's middle
        if (m > 0 && m < word.size() && word[m - 1].isHighSurrogate() && word[m].isLowSurrogate())
            ++m;
        return m;
    };
    qsizetype lo = boundary(1); // always taken
    qsizetype hi = word.size();
    // Leading blanks may have been what overflowed.
    if (m_canvas->textWidth(word) <= lineWidth)
        lo = hi;
    while (lo < hi) {
        qsizetype mid = boundary(lo + (hi - lo) / 2);
        if (mid <= lo)
            mid = boundary(lo + 1);
        if (mid >= hi)
            break;
        if (m_canvas->textWidth(word.left(mid)) <= lineWidth)
            lo = mid;
        else
            hi = mid;
    }
    m_text = word.left(lo).toString();
    return w.start + lo;
}

int TPolyTextLine::textWidth() const
{
    return m_textWidth >= 0 ? m_textWidth : m_canvas->textWidth(m_text);
}

void TPolyTextLine::Draw(int dx, int dy) const
{
    if (m_text.isEmpty() || !m_canvas)
        return;
    int x;
    switch (m_alignment) {
    case 0: x = m_left + dx; break;
    case 1: x = m_right + dx - textWidth(); break;
    default: x = m_left + dx + idiv(width() - textWidth(), 2); break;
    }
    m_canvas->drawText(x, m_top + dy, m_text);
}

// --------------------------------------------------------------- TPolyTextLines

TPolyTextLines::TPolyTextLines(TextCanvas *canvas, const QPolygon &polygon)
    : m_canvas(canvas)
{
    SetPolygon(polygon);
    m_lineHeight = canvas ? canvas->textHeight(u"kg") : 0;
}

void TPolyTextLines::SetPolygon(const QPolygon &polygon)
{
    m_polygon = polygon;
    if (polygon.isEmpty()) {
        m_minX = m_minY = m_maxX = m_maxY = 0;
        return;
    }
    m_minX = m_maxX = polygon.first().x();
    m_minY = m_maxY = polygon.first().y();
    for (const QPoint &p : polygon) {
        m_minX = std::min(m_minX, p.x());
        m_maxX = std::max(m_maxX, p.x());
        m_minY = std::min(m_minY, p.y());
        m_maxY = std::max(m_maxY, p.y());
    }
}

void TPolyTextLines::SetAlignment(int alignment)
{
    m_alignment = alignment;
    for (TPolyTextLine &line : m_lines)
        line.setAlignment(alignment);
}

void TPolyTextLines::SetText(const QString &text)
{
    m_text = text;
    Layout();
}

void TPolyTextLines::SetCanvas(TextCanvas *canvas)
{
    m_canvas = canvas;
    for (TPolyTextLine &line : m_lines)
        line.setCanvas(canvas);
    Layout();
}

std::vector<TPolyTextLines::Span> TPolyTextLines::spansAt(int y) const
{
    std::vector<Span> spans;
    const qsizetype n = m_polygon.size();
    if (n < 3)
        return spans;
    // A point (x, y) crosses an edge when y is in the edge's half-open y
    // range and x lies strictly left of the edge there. For whole x that is
    // x < ceil(crossing), so the crossings' ceilings bound the inside runs.
    std::vector<qint64> cuts;
    for (qsizetype i = 0, j = n - 1; i < n; j = i++) {
        const QPoint &pi = m_polygon[i];
        const QPoint &pj = m_polygon[j];
        if ((pi.y() > y) != (pj.y() > y)) {
            const double xe = double(pj.x() - pi.x()) * (double(y) - pi.y()) / (double(pj.y()) - pi.y()) + pi.x();
            cuts.push_back(qint64(std::ceil(xe)));
        }
    }
    std::sort(cuts.begin(), cuts.end());
    const size_t m = cuts.size();
    // Left of every cut the count of crossings is all of them (even for a
    // closed outline), so the walk starts outside.
    bool inside = m % 2 == 1;
    qint64 start = INT_MIN;
    size_t k = 0;
    while (k < m) {
        const qint64 at = cuts[k];
        while (k < m && cuts[k] == at)
            ++k;
        const bool now = (m - k) % 2 == 1;
        if (now != inside) {
            if (now)
                start = at;
            else
                spans.push_back({clampInt(start), clampInt(at)});
            inside = now;
        }
    }
    return spans;
}

void TPolyTextLines::Layout()
{
    m_lines.clear();
    m_rowCount = 0;
    if (!m_canvas)
        return;
    const int h = m_canvas->textHeight(u"kg");
    m_lineHeight = h;
    const qint64 s = roundHalfEven64(double(h) * m_lineSpacing / 100.0);
    const qint64 pitch = h + s;
    // A pitch below one pixel (no font height, negative spacing) has no rows.
    if (pitch < 1 || m_polygon.size() < 3)
        return;
    const qint64 rows = (qint64(m_maxY) - m_minY) / pitch;
    m_rowCount = clampInt(rows);
    const qint64 limit = qint64(m_maxX) + 5;
    // The page starts at x = 0; a polygon reaching left of it is searched
    // from its own left.
    const qint64 firstX = std::min(0, m_minX);

    auto spanFrom = [limit](const std::vector<Span> &spans, qint64 x) -> std::optional<Span> {
        for (const Span &sp : spans)
            if (sp.end > x) {
                const qint64 start = std::max<qint64>(sp.start, x);
                if (start > limit)
                    return std::nullopt;
                return Span{int(start), sp.end};
            }
        return std::nullopt;
    };

    QStringView rest = m_text;
    for (qint64 k = 0; k < rows && !rest.isEmpty(); ++k) {
        const qint64 y1 = m_minY + pitch * k + s;
        const qint64 y2 = y1 + h;
        if (y1 < INT_MIN || y2 > INT_MAX)
            continue;
        const std::vector<Span> top = spansAt(int(y1));
        const std::vector<Span> bottom = spansAt(int(y2));
        qint64 x = firstX;
        // Once the text is used up the rows would hold only empty lines;
        // stopping keeps a huge box (say from a damaged file) cheap.
        while (!rest.isEmpty()) {
            const std::optional<Span> a = spanFrom(top, x);
            const std::optional<Span> b = spanFrom(bottom, x);
            if (!a || !b)
                break;
            const qint64 l = std::max(a->start, b->start);
            const qint64 r = std::min(a->end, b->end);
            x = r;
            if (l + m_margin < r - m_margin) {
                TPolyTextLine line(m_canvas, clampInt(r - m_margin), clampInt(l + m_margin), int(y1));
                line.setAlignment(m_alignment);
                rest = rest.mid(line.fillFrom(rest));
                m_lines.push_back(std::move(line));
            }
        }
    }
}

void TPolyTextLines::Draw(bool shifted, bool border) const
{
    const int dx = shifted ? 5 - m_minX : 0;
    const int dy = shifted ? 5 - m_minY : 0;
    for (const TPolyTextLine &line : m_lines)
        line.Draw(dx, dy);
    if (border && m_canvas && m_polygon.size() >= 3)
        m_canvas->outlinePolygon(m_polygon.translated(dx, dy));
}

} // namespace vz
