#pragma once

#include <QColor>
#include <QWidget>

namespace vz {

// An inch ruler: numbered at whole inches, with big, middle and (optionally)
// small ticks whose lengths are percentages of the ruler's breadth. `start`
// is the inch value at the ruler's left (or top) edge and `unitSize` the
// pixels per inch.
class Ruler : public QWidget
{
    Q_OBJECT
public:
    explicit Ruler(Qt::Orientation orientation, QWidget *parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }
    double start() const { return m_start; }
    void setStart(double inches);
    double unitSize() const { return m_unit; }
    void setUnitSize(double pixelsPerInch);
    // Tick lengths in percent of the breadth; 0 draws none of that kind.
    void setTickSizes(int big, int middle, int small);
    int bigTick() const { return m_big; }
    int middleTick() const { return m_middle; }
    int smallTick() const { return m_small; }
    void setColour(const QColor &colour);

    // Where the ruler draws the given inch value, in its own pixels.
    double positionOf(double inches) const { return (inches - m_start) * m_unit; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::Orientation m_orientation;
    double m_start = 0;
    double m_unit = 96;
    int m_big = 45;
    int m_middle = 35;
    int m_small = 0;
    QColor m_colour = Qt::white;
};

} // namespace vz
