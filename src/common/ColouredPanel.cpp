#include "common/ColouredPanel.h"

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

} // namespace vz
