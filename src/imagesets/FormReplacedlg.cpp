#include "imagesets/FormReplacedlg.h"

#include "common/Palette.h"
#include "common/SmallWidgets.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace vz {

namespace {

void drawFolder(QPainter &p, const QRectF &r)
{
    const QColor body(0xF0, 0xC8, 0x50);
    const QColor edge(0x90, 0x70, 0x20);
    p.setPen(QPen(edge, 1));
    p.setBrush(body.darker(110));
    QPainterPath tab;
    tab.moveTo(r.left(), r.top() + 6);
    tab.lineTo(r.left() + 4, r.top());
    tab.lineTo(r.left() + r.width() * 0.4, r.top());
    tab.lineTo(r.left() + r.width() * 0.4 + 4, r.top() + 6);
    tab.closeSubpath();
    p.drawPath(tab);
    p.setBrush(body);
    p.drawRect(r.adjusted(0, 6, 0, 0));
}

} // namespace

CopyAnimation::CopyAnimation(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("Animate1"));
    m_timer->setInterval(60);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_frame = m_frame >= kLastFrame ? 0 : m_frame + 1;
        update();
    });
}

void CopyAnimation::start()
{
    m_frame = 0;
    m_timer->start();
    update();
}

void CopyAnimation::stop() { m_timer->stop(); }
bool CopyAnimation::isRunning() const { return m_timer->isActive(); }

void CopyAnimation::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette::toolbar);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF from(14, 24, 40, 30);
    const QRectF to(width() - 54, 24, 40, 30);
    drawFolder(p, from);
    drawFolder(p, to);
    // The sheet rises out of the left folder, arcs over and drops into the right one.
    const double t = double(m_frame) / kLastFrame;
    const QPointF start = from.center() + QPointF(0, -6);
    const QPointF end = to.center() + QPointF(0, -6);
    const double x = start.x() + (end.x() - start.x()) * t;
    const double y = start.y() - 4.0 * t * (1.0 - t) * 16.0;
    p.save();
    p.translate(x, y);
    p.rotate(-20.0 + 40.0 * t);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(-7, -9, 14, 18));
    p.setPen(QPen(QColor(0x80, 0x90, 0xC0), 1));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(-4, -5 + 3.5 * i), QPointF(4, -5 + 3.5 * i));
    p.restore();
}

TfrmReplaceDlg::TfrmReplaceDlg(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmReplaceDlg"));
    setWindowTitle(QStringLiteral("Please Wait Updating"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose, false);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::mainBlue);
    setPalette(pal);
    // 350 x 147 with the window frame and caption; a border of 8 around the panel.
    setFixedSize(342, 120);

    QWidget *panel = colouredPanel(this, QStringLiteral("Panel1"), palette::sidePanel);
    panel->setGeometry(8, 8, width() - 16, height() - 16);
    m_animate = new CopyAnimation(panel);
    m_animate->setGeometry(26, 15, 272, 60);
    m_label = new QLabel(QStringLiteral("Please wait while HM Browser is being updated"), panel);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);
    m_label->setGeometry(46, 78, 246, 18);
    fitLabelHeight();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmReplaceDlg::fitLabelHeight()
{
    // The substitute fonts run wider than the original's, so a wrapped
    // second line gets the room it needs instead of being cut off.
    m_label->resize(246, qMax(18, m_label->heightForWidth(246)));
}

void TfrmReplaceDlg::setLabelText(const QString &text)
{
    m_label->setText(text);
    fitLabelHeight();
    m_label->repaint();
}

void TfrmReplaceDlg::finish()
{
    m_animate->stop();
    m_finishing = true;
    close();
    m_finishing = false;
}

void TfrmReplaceDlg::closeEvent(QCloseEvent *event)
{
    if (m_finishing)
        event->accept();
    else
        event->ignore();
}

} // namespace vz
