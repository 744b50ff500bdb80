#include "printpage/TStretchHandle.h"

#include "common/Palette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace vz {

namespace {

constexpr int kHandleSquare = 5; // drawn size of a grab handle

bool near(const QPoint &p, int x, int y)
{
    return std::abs(p.x() - x) <= TStretchHandle::kHandleReach && std::abs(p.y() - y) <= TStretchHandle::kHandleReach;
}

bool isCorner(TStretchHandle::Grip g)
{
    using G = TStretchHandle::Grip;
    return g == G::TopLeft || g == G::TopRight || g == G::BottomRight || g == G::BottomLeft;
}

} // namespace

TStretchHandle::TStretchHandle(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("StretchHandle1"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(kDetachedSize, kDetachedSize);
    hide();
}

void TStretchHandle::Attach(QWidget *control, bool takeFocus)
{
    if (!control || control->parentWidget() != parentWidget())
        return;
    if (m_control && m_control != control)
        m_control->removeEventFilter(this);
    m_control = control;
    m_textBox = !takeFocus;
    m_dragging = false;
    control->installEventFilter(this);
    followControl();
    show();
    raise();
    if (takeFocus)
        setFocus(Qt::OtherFocusReason);
    Q_EMIT attachedChanged(control);
}

void TStretchHandle::Detach()
{
    if (m_control)
        m_control->removeEventFilter(this);
    const bool was = m_control != nullptr;
    m_control = nullptr;
    m_dragging = false;
    hide();
    clearMask();
    resize(kDetachedSize, kDetachedSize);
    if (was)
        Q_EMIT attachedChanged(nullptr);
}

void TStretchHandle::followControl()
{
    if (m_control)
        setGeometry(frameFor(m_control->geometry()));
    updateMask();
}

void TStretchHandle::updateMask()
{
    if (!m_textBox || !m_control) {
        clearMask();
        return;
    }
    // Over a text box only the border and the handles take presses.
    QRegion ring(rect());
    ring -= QRegion(rect().adjusted(2, 2, -3, -3));
    const int w = width() - 1, h = height() - 1;
    for (const QPoint &c : {QPoint(0, 0), QPoint(w / 2, 0), QPoint(w, 0), QPoint(w, h / 2), QPoint(w, h), QPoint(w / 2, h),
                            QPoint(0, h), QPoint(0, h / 2)})
        ring += QRegion(c.x() - kHandleReach, c.y() - kHandleReach, 2 * kHandleReach + 1, 2 * kHandleReach + 1) & QRegion(rect());
    setMask(ring);
}

TStretchHandle::Grip TStretchHandle::gripAt(const QPoint &p) const
{
    const int w = width() - 1, h = height() - 1;
    if (near(p, 0, 0)) return Grip::TopLeft;
    if (near(p, w, 0)) return Grip::TopRight;
    if (near(p, w, h)) return Grip::BottomRight;
    if (near(p, 0, h)) return Grip::BottomLeft;
    if (near(p, w / 2, 0)) return Grip::Top;
    if (near(p, w, h / 2)) return Grip::Right;
    if (near(p, w / 2, h)) return Grip::Bottom;
    if (near(p, 0, h / 2)) return Grip::Left;
    return rect().contains(p) ? Grip::Body : Grip::None;
}

void TStretchHandle::beginMove(const QPoint &globalPos)
{
    if (m_control)
        startDrag(Grip::Body, globalPos);
}

void TStretchHandle::setControlRect(const QRect &r)
{
    if (!m_control)
        return;
    const QRect before = m_control->geometry();
    QRect after = r;
    after.setWidth(std::max(kMinimumSize, after.width()));
    after.setHeight(std::max(kMinimumSize, after.height()));
    if (after == before)
        return;
    m_control->setGeometry(after);
    followControl();
    Q_EMIT boundsChanged(m_control, before, after, false);
}

void TStretchHandle::startDrag(Grip grip, const QPoint &globalPos)
{
    m_grip = grip;
    m_pressGlobal = globalPos;
    m_startFrame = geometry();
    m_band = m_startFrame;
    m_dragging = true;
}

QRect TStretchHandle::bandFor(const QPoint &d) const
{
    QRect f = m_startFrame;
    if (m_grip == Grip::Body)
        return f.translated(d);
    // Work on the control's rectangle so the minimum and the ratio are its own.
    QRect c = controlFor(f);
    int left = c.left(), top = c.top(), right = c.right(), bottom = c.bottom();
    switch (m_grip) {
    case Grip::TopLeft: left += d.x(); top += d.y(); break;
    case Grip::Top: top += d.y(); break;
    case Grip::TopRight: right += d.x(); top += d.y(); break;
    case Grip::Right: right += d.x(); break;
    case Grip::BottomRight: right += d.x(); bottom += d.y(); break;
    case Grip::Bottom: bottom += d.y(); break;
    case Grip::BottomLeft: left += d.x(); bottom += d.y(); break;
    case Grip::Left: left += d.x(); break;
    default: break;
    }
    int w = std::max(kMinimumSize, right - left + 1);
    int h = std::max(kMinimumSize, bottom - top + 1);
    if (isCorner(m_grip) && c.width() > 0 && c.height() > 0) {
        // The side the pointer moved more along, relative to its length, leads.
        const double ratio = double(c.height()) / c.width();
        const double fx = std::abs(double(w - c.width())) / c.width();
        const double fy = std::abs(double(h - c.height())) / c.height();
        if (fx >= fy)
            h = int(std::lround(w * ratio));
        else
            w = int(std::lround(h / ratio));
        if (h < kMinimumSize || w < kMinimumSize) {
            // Keep the ratio at the smallest size allowed.
            if (ratio >= 1) {
                w = kMinimumSize;
                h = int(std::lround(w * ratio));
            } else {
                h = kMinimumSize;
                w = int(std::lround(h / ratio));
            }
        }
    }
    // The edges opposite the grip stay where they were.
    const bool movesLeft = m_grip == Grip::TopLeft || m_grip == Grip::Left || m_grip == Grip::BottomLeft;
    const bool movesTop = m_grip == Grip::TopLeft || m_grip == Grip::Top || m_grip == Grip::TopRight;
    const int x = movesLeft ? c.right() + 1 - w : c.left();
    const int y = movesTop ? c.bottom() + 1 - h : c.top();
    return frameFor(QRect(x, y, w, h));
}

void TStretchHandle::dragTo(const QPoint &globalPos)
{
    const QRect band = bandFor(globalPos - m_pressGlobal);
    if (band == m_band)
        return;
    m_band = band;
    setGeometry(band);
    updateMask();
    Q_EMIT bandMoved(band);
}

void TStretchHandle::finishDrag()
{
    m_dragging = false;
    update(); // the band's dashed line becomes the frame again
    if (!m_control)
        return;
    const QRect before = m_control->geometry();
    const QRect after = controlFor(m_band);
    if (after != before) {
        m_control->setGeometry(after);
        followControl();
        Q_EMIT boundsChanged(m_control, before, after, false);
    } else {
        followControl();
    }
}

void TStretchHandle::mousePressEvent(QMouseEvent *e)
{
    if (!m_control) {
        e->ignore();
        return;
    }
    // A press on the border takes the focus, also from a text box.
    setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    const Grip g = gripAt(e->position().toPoint());
    if (g != Grip::None)
        startDrag(g, e->globalPosition().toPoint());
}

void TStretchHandle::mouseMoveEvent(QMouseEvent *e)
{
    if (m_dragging && (e->buttons() & Qt::LeftButton)) {
        dragTo(e->globalPosition().toPoint());
        return;
    }
    static const Qt::CursorShape shapes[] = {Qt::ArrowCursor,      Qt::SizeAllCursor, Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                             Qt::SizeBDiagCursor,  Qt::SizeHorCursor, Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                             Qt::SizeBDiagCursor,  Qt::SizeHorCursor};
    setCursor(shapes[int(gripAt(e->position().toPoint()))]);
}

void TStretchHandle::mouseReleaseEvent(QMouseEvent *e)
{
    if (m_dragging && e->button() == Qt::LeftButton) {
        dragTo(e->globalPosition().toPoint());
        finishDrag();
        return;
    }
    QWidget::mouseReleaseEvent(e);
}

bool TStretchHandle::eventFilter(QObject *watched, QEvent *event)
{
    // The press that selected the control goes on as a drag of the frame.
    if (watched == m_control && m_dragging) {
        if (event->type() == QEvent::MouseMove) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->buttons() & Qt::LeftButton)
                dragTo(me->globalPosition().toPoint());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::LeftButton) {
                dragTo(me->globalPosition().toPoint());
                finishDrag();
                return true;
            }
        }
    }
    if (watched == m_control && (event->type() == QEvent::Move || event->type() == QEvent::Resize) && !m_dragging)
        followControl();
    return QWidget::eventFilter(watched, event);
}

void TStretchHandle::keyPressEvent(QKeyEvent *e)
{
    if (!m_control || m_dragging) {
        QWidget::keyPressEvent(e);
        return;
    }
    QPoint d;
    switch (e->key()) {
    case Qt::Key_Left: d = {-1, 0}; break;
    case Qt::Key_Right: d = {1, 0}; break;
    case Qt::Key_Up: d = {0, -1}; break;
    case Qt::Key_Down: d = {0, 1}; break;
    default: QWidget::keyPressEvent(e); return;
    }
    const QRect before = m_control->geometry();
    const QRect after = before.translated(d);
    m_control->setGeometry(after);
    followControl();
    Q_EMIT boundsChanged(m_control, before, after, true);
}

void TStretchHandle::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    updateMask();
}

void TStretchHandle::paintEvent(QPaintEvent *)
{
    if (!m_control)
        return;
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    QPen pen(palette::mainBlue);
    pen.setStyle(m_dragging ? Qt::DashLine : Qt::SolidLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.setPen(palette::mainBlue);
    p.setBrush(Qt::white);
    const int w = r.width(), h = r.height(), s = kHandleSquare;
    for (const QPoint &c : {QPoint(0, 0), QPoint(w / 2, 0), QPoint(w, 0), QPoint(w, h / 2), QPoint(w, h), QPoint(w / 2, h),
                            QPoint(0, h), QPoint(0, h / 2)}) {
        const int x = std::clamp(c.x() - s / 2, 0, std::max(0, w - s + 1));
        const int y = std::clamp(c.y() - s / 2, 0, std::max(0, h - s + 1));
        p.drawRect(x, y, s - 1, s - 1);
    }
}

} // namespace vz
