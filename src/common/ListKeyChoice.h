#pragma once

#include <QObject>

class QListWidget;

namespace vz {

// Tells when the user moves the current row of a list with the keyboard
// (arrows, page keys, typing a name) and when Enter is pressed on a row, so
// a keyboard choice can load what a click loads. Rows set from code are not
// reported.
class ListKeyChoice : public QObject
{
    Q_OBJECT
public:
    explicit ListKeyChoice(QListWidget *list);

Q_SIGNALS:
    void rowChosenByKey(int row);
    void enterPressed(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *m_list;
    bool m_keyDown = false; // a key press is being handled by the list
};

} // namespace vz
