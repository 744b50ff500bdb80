#pragma once

#include <QColor>
#include <QString>

class QToolButton;
class QWidget;

namespace vz {

// A plain panel filled with one colour, named for tests and the tour.
QWidget *colouredPanel(QWidget *parent, const QString &name, const QColor &colour);

// A flat text button with a hint that never takes the focus from the typing
// controls.
QToolButton *textButton(QWidget *parent, const QString &name, const QString &hint, const QString &text);

} // namespace vz
