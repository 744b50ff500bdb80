#include "common/ListKeyChoice.h"

#include <QKeyEvent>
#include <QListWidget>

namespace vz {

ListKeyChoice::ListKeyChoice(QListWidget *list)
    : QObject(list)
    , m_list(list)
{
    list->installEventFilter(this);
    connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_keyDown)
            return;
        // Only the move the key made; what its handler selects is its own affair.
        m_keyDown = false;
        Q_EMIT rowChosenByKey(row);
    });
}

bool ListKeyChoice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_list)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            m_keyDown = false;
            if (m_list->currentRow() >= 0)
                Q_EMIT enterPressed(m_list->currentRow());
            return QObject::eventFilter(watched, event);
        }
        // The list moves its current row while it handles the press, right
        // after this filter.
        m_keyDown = true;
    } else if (event->type() == QEvent::KeyRelease || event->type() == QEvent::FocusOut) {
        m_keyDown = false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vz
