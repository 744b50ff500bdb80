#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

namespace vz {

// The selection frame of the print page. Attached to one control, it stands
// 2 pixels left of and above it and 5 pixels wider and taller, on top of its
// siblings. Eight grab handles (hit within 5 pixels) resize it: corners keep
// the control's height-to-width ratio, edge middles change one side freely;
// dragging the body moves it. While dragging it only shows the band; the
// control gets its new bounds when the button is released. The arrow keys
// move the control by one pixel. Controls stay at least 5 pixels wide and
// high. Detached, it is hidden and 24 x 24.
//
// For a picture the frame takes the keyboard focus; for a text box
// (attach(..., false)) the focus and the presses inside stay with the box and
// only the frame's border answers the mouse.
class TStretchHandle : public QWidget
{
    Q_OBJECT
public:
    enum class Grip { None, Body, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };

    static constexpr int kHandleReach = 5; // a press this close to a handle grabs it
    static constexpr int kMinimumSize = 5; // smallest width and height of the control
    static constexpr int kDetachedSize = 24;

    explicit TStretchHandle(QWidget *parent = nullptr);

    // Attaches to `control`, a sibling (same parent) of the frame. A picture
    // (`takeFocus`) gives the frame the keyboard focus.
    void Attach(QWidget *control, bool takeFocus = true);
    void Detach();
    QWidget *attached() const { return m_control; }
    bool isAttached() const { return m_control != nullptr; }

    // The frame rectangle around a control's rectangle and back.
    static QRect frameFor(const QRect &control) { return control.adjusted(-2, -2, 3, 3); }
    static QRect controlFor(const QRect &frame) { return frame.adjusted(2, 2, -3, -3); }

    // The band being dragged (the frame's own geometry when not dragging).
    QRect band() const { return m_dragging ? m_band : geometry(); }
    bool isDragging() const { return m_dragging; }
    // Which grip a press at `pos` (frame coordinates) takes.
    Grip gripAt(const QPoint &pos) const;

    // Continues a press that went to the attached control as a move of the
    // body (the page's selection handler calls it after attaching).
    void beginMove(const QPoint &globalPos);

    // Gives the attached control `rect` (parent coordinates) and follows it,
    // as the size dialog does; emits boundsChanged when it differs.
    void setControlRect(const QRect &rect);
    // Takes the attached control's present bounds (it was moved from outside).
    void followControl();

Q_SIGNALS:
    // While the left button is held: the band (parent coordinates).
    void bandMoved(const QRect &band);
    // The attached control moved or changed size (release, arrow key or
    // setControlRect); `arrow` marks a move by an arrow key.
    void boundsChanged(QWidget *control, const QRect &before, const QRect &after, bool arrow);
    void attachedChanged(QWidget *control);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startDrag(Grip grip, const QPoint &globalPos);
    void dragTo(const QPoint &globalPos);
    void finishDrag();
    QRect bandFor(const QPoint &delta) const;
    void updateMask();

    QPointer<QWidget> m_control;
    bool m_textBox = false;
    bool m_dragging = false;
    Grip m_grip = Grip::None;
    QPoint m_pressGlobal;
    QRect m_startFrame;
    QRect m_band;
};

} // namespace vz
