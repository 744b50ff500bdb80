#pragma once

#include <QWidget>

namespace vz {

// A thin bar placed by an AlignLayout next to an aligned control; dragging it
// changes that control's width (or height), as the original splitters did.
class Splitter : public QWidget
{
    Q_OBJECT
public:
    explicit Splitter(Qt::Orientation orientation, QWidget *parent = nullptr);
    void setMinimumExtent(int v) { m_minExtent = v; }

Q_SIGNALS:
    void moved(int newExtent);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    Qt::Orientation m_orientation;
    QWidget *m_target = nullptr;
    int m_startExtent = 0;
    QPoint m_startPos;
    int m_minExtent = 30;
};

} // namespace vz
