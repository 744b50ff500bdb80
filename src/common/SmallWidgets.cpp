#include "common/SmallWidgets.h"

#include <QToolButton>
#include <QWidget>

namespace vz {

QWidget *colouredPanel(QWidget *parent, const QString &name, const QColor &colour)
{
    auto *w = new QWidget(parent);
    w->setObjectName(name);
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    return w;
}

QToolButton *textButton(QWidget *parent, const QString &name, const QString &hint, const QString &text)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setText(text);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace vz
