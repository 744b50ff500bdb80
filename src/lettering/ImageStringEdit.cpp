#include "lettering/ImageStringEdit.h"

#include "common/Dialogs.h"

#include <QKeyEvent>

#include <algorithm>

namespace vz {

QChar capitalInLatin1(QChar c)
{
    const QChar upper = c.toUpper();
    return upper.unicode() <= 255 ? upper : c;
}

QString capitalsInLatin1(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = capitalInLatin1(c);
    return out;
}

TImageStringEdit::TImageStringEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void TImageStringEdit::setCapitals(bool on)
{
    m_capitals = on;
    if (!on)
        return;
    const QString upper = capitalsInLatin1(text());
    if (upper != text()) {
        const int cursor = cursorPosition();
        setText(upper);
        setCursorPosition(cursor);
    }
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
    if (m_capitals && capitalInLatin1(c) != c) {
        QKeyEvent upper(e->type(), e->key(), e->modifiers(), QString(capitalInLatin1(c)), e->isAutoRepeat(),
                        ushort(e->count()));
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
