#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace vz {

// A plain panel filled with one colour, named for tests and the tour.
QWidget *colouredPanel(QWidget *parent, const QString &name, const QColor &colour);

} // namespace vz
