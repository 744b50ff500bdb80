#include "printpage/TextCanvas.h"

#include "metafile/AnsiText.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace vz {

namespace {

bool ansiCanHold(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    if (c.isSurrogate())
        return false;
    const QString one(c);
    return mf::decodeAnsi(mf::encodeAnsi(one).constData(), 1) == one;
}

} // namespace

PainterTextCanvas::PainterTextCanvas(QPainter *painter)
    : m_painter(painter)
{
    fontChanged();
}

void PainterTextCanvas::fontChanged()
{
    m_font = m_painter->font();
    m_latinAdvance.fill(-1.0f);
}

int PainterTextCanvas::textHeight(QStringView text) const
{
    if (text.isEmpty())
        return 0;
    // The cell height, as a text extent reports it whatever the characters.
    const QFontMetrics fm(m_font, m_painter->device());
    return fm.ascent() + fm.descent();
}

int PainterTextCanvas::textWidth(QStringView text) const
{
    if (text.isEmpty())
        return 0;
    return QFontMetrics(m_font, m_painter->device()).horizontalAdvance(text.toString());
}

double PainterTextCanvas::charAdvance(QChar c) const
{
    const char16_t u = c.unicode();
    if (u < m_latinAdvance.size()) {
        float &slot = m_latinAdvance[u];
        if (slot < 0)
            slot = float(QFontMetricsF(m_font, m_painter->device()).horizontalAdvance(c));
        return slot;
    }
    return QFontMetricsF(m_font, m_painter->device()).horizontalAdvance(c);
}

double PainterTextCanvas::estimateWidth(QStringView text) const
{
    double sum = 0;
    for (QChar c : text)
        sum += charAdvance(c);
    return sum;
}

void PainterTextCanvas::drawText(int x, int top, QStringView text)
{
    if (text.isEmpty() || m_textColor.alpha() == 0)
        return;
    const QFontMetrics fm(m_font, m_painter->device());
    const int baseline = top + fm.ascent();
    m_painter->save();
    m_painter->setFont(m_font);
    m_painter->setPen(QPen(m_textColor));
    if (!m_outlineNonAnsi) {
        m_painter->drawText(QPoint(x, baseline), text.toString());
        m_painter->restore();
        return;
    }
    // Runs of ANSI text stay text; the others are filled outlines, each run
    // placed after the advance of everything before it.
    qsizetype start = 0;
    while (start < text.size()) {
        const bool ansi = ansiCanHold(text[start]);
        qsizetype end = start + 1;
        while (end < text.size() && ansiCanHold(text[end]) == ansi)
            ++end;
        const QString run = text.mid(start, end - start).toString();
        const double runX = x + QFontMetricsF(m_font, m_painter->device()).horizontalAdvance(text.left(start).toString());
        if (ansi) {
            m_painter->drawText(QPointF(runX, baseline), run);
        } else {
            QPainterPath path;
            path.addText(QPointF(runX, baseline), QFont(m_font, m_painter->device()), run);
            m_painter->fillPath(path, m_textColor);
        }
        start = end;
    }
    m_painter->restore();
}

void PainterTextCanvas::outlinePolygon(const QPolygon &polygon)
{
    if (polygon.size() < 2)
        return;
    m_painter->save();
    m_painter->setPen(m_outlinePen);
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawPolygon(polygon);
    m_painter->restore();
}

} // namespace vz
