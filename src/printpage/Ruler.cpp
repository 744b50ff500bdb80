#include "printpage/Ruler.h"

#include <QPainter>

#include <cmath>

namespace vz {

Ruler::Ruler(Qt::Orientation orientation, QWidget *parent)
    : QWidget(parent)
    , m_orientation(orientation)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Ruler::setStart(double inches)
{
    if (inches == m_start)
        return;
    m_start = inches;
    update();
}

void Ruler::setUnitSize(double pixelsPerInch)
{
    if (!(pixelsPerInch > 0) || pixelsPerInch == m_unit)
        return;
    m_unit = pixelsPerInch;
    update();
}

void Ruler::setTickSizes(int big, int middle, int small)
{
    m_big = big;
    m_middle = middle;
    m_small = small;
    update();
}

void Ruler::setColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

void Ruler::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_colour);
    const bool horizontal = m_orientation == Qt::Horizontal;
    const int length = horizontal ? width() : height();
    const int breadth = horizontal ? height() : width();
    if (!(m_unit > 0) || length <= 0)
        return;
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(9);
    p.setFont(f);
    p.setPen(Qt::black);
    // A tick every eighth of an inch: whole inches big, halves middle, the rest small.
    const double step = m_unit / 8.0;
    const long first = long(std::floor(m_start * 8.0));
    const long last = long(std::ceil((m_start + length / m_unit) * 8.0));
    for (long i = first; i <= last; ++i) {
        const double pos = (i / 8.0 - m_start) * m_unit;
        const int at = int(std::lround(pos));
        int percent = m_small;
        if (i % 8 == 0)
            percent = m_big;
        else if (i % 4 == 0)
            percent = m_middle;
        else if (step < 3)
            continue; // too dense to show
        if (percent <= 0)
            continue;
        const int tick = breadth * percent / 100;
        if (horizontal)
            p.drawLine(at, breadth - tick, at, breadth - 1);
        else
            p.drawLine(breadth - tick, at, breadth - 1, at);
        if (i % 8 == 0 && i != 0) {
            const QString text = QString::number(std::abs(i / 8));
            if (horizontal) {
                p.drawText(QRect(at - 20, 0, 40, breadth - tick), Qt::AlignHCenter | Qt::AlignTop, text);
            } else {
                p.save();
                p.translate(0, at);
                p.rotate(-90);
                p.drawText(QRect(-20, 0, 40, breadth - tick), Qt::AlignHCenter | Qt::AlignTop, text);
                p.restore();
            }
        }
    }
}

} // namespace vz
