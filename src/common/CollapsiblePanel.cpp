#include "common/CollapsiblePanel.h"

#include "common/AlignLayout.h"
#include "common/Palette.h"

#include <QPainter>
#include <QToolButton>

namespace vz {

CollapsiblePanel::CollapsiblePanel(Qt::Edge tabEdge, QWidget *parent)
    : QWidget(parent)
    , m_tabEdge(tabEdge)
    , m_tab(new QToolButton(this))
    , m_content(new QWidget(this))
{
    m_tab->setObjectName(QStringLiteral("collapseTab"));
    m_tab->setAutoRaise(true);
    m_tab->setFocusPolicy(Qt::NoFocus);
    m_tab->setCursor(Qt::PointingHandCursor);
    m_tab->setToolTip(tr("Show or hide this panel"));
    connect(m_tab, &QToolButton::clicked, this, &CollapsiblePanel::toggle);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::sidePanel);
    setPalette(pal);
    m_content->setAutoFillBackground(false);
    place();
}

void CollapsiblePanel::setExpandedWidth(int w)
{
    m_expandedWidth = w;
    if (m_expanded)
        if (AlignLayout *l = AlignLayout::of(parentWidget()))
            l->setExtent(this, w);
}

void CollapsiblePanel::setExpanded(bool expanded)
{
    if (expanded == m_expanded)
        return;
    AlignLayout *l = AlignLayout::of(parentWidget());
    if (!expanded && l)
        m_expandedWidth = l->extent(this);
    m_expanded = expanded;
    const int w = expanded ? m_expandedWidth : kTabWidth;
    if (l)
        l->setExtent(this, w);
    else
        resize(w, height());
    m_content->setVisible(expanded);
    place();
    update();
    Q_EMIT resized(m_expanded);
}

void CollapsiblePanel::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    place();
}

void CollapsiblePanel::place()
{
    const int w = width(), h = height();
    // The arrow points the way the panel moves when clicked.
    const bool tabRight = m_tabEdge == Qt::RightEdge;
    if (tabRight) {
        m_tab->setGeometry(w - kTabWidth, 0, kTabWidth, h);
        m_tab->setArrowType(m_expanded ? Qt::LeftArrow : Qt::RightArrow);
        m_content->setGeometry(0, 0, qMax(0, w - kTabWidth), h);
    } else {
        m_tab->setGeometry(0, 0, kTabWidth, h);
        m_tab->setArrowType(m_expanded ? Qt::RightArrow : Qt::LeftArrow);
        m_content->setGeometry(kTabWidth, 0, qMax(0, w - kTabWidth), h);
    }
}

void CollapsiblePanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect tab = m_tab->geometry();
    p.fillRect(tab, palette::toolbar);
    p.setPen(palette::mainBlue);
    const int x = m_tabEdge == Qt::RightEdge ? tab.left() : tab.right();
    p.drawLine(x, 0, x, height());
}

} // namespace vz
