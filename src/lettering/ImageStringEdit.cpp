#include "lettering/ImageStringEdit.h"

#include "common/Dialogs.h"

#include <QKeyEvent>

#include <algorithm>

namespace vz {

TImageStringEdit::TImageStringEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

bool TImageStringEdit::allows(QChar c) const
{
    if (c == QLatin1Char(' '))
        return true;
    if (!m_allowed || c.unicode() > 255)
        return false;
    return std::binary_search(m_allowed->cbegin(), m_allowed->cend(), QString::number(c.unicode()));
}

void TImageStringEdit::keyPressEvent(QKeyEvent *e)
{
    const QString typed = e->text();
    const bool isCharacter = typed.size() == 1 && typed.at(0).isPrint()
                             && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (!isCharacter || e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    const QChar c = typed.at(0);
    if (!allows(c)) {
        dialogs::beep();
        e->accept();
        return;
    }
    if (text().size() > kMaxChars - 1) {
        dialogs::beep();
        dialogs::message(kTextTooLongMessage, MsgIcon::Information, MsgButtons::OK, this);
        e->accept();
        return;
    }
    if (m_capitals && c.toUpper() != c) {
        QKeyEvent upper(e->type(), e->key(), e->modifiers(), QString(c.toUpper()), e->isAutoRepeat(), ushort(e->count()));
        QLineEdit::keyPressEvent(&upper);
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TImageStringEdit::keyReleaseEvent(QKeyEvent *e)
{
    QLineEdit::keyReleaseEvent(e);
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat())
        Q_EMIT enterReleased();
}

} // namespace vz
