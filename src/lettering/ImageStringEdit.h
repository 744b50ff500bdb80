#pragma once

#include <QLineEdit>
#include <QStringList>

namespace vz {

// The typing box of the alphabet page: accepts only characters the chosen
// alphabet has a letter for (and the space), at most 30 of them. Refused keys
// beep; Backspace and Enter always pass. Pasted text is not filtered.
class TImageStringEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int kMaxChars = 30;

    explicit TImageStringEdit(QWidget *parent = nullptr);

    // The allowed codes (decimal texts, sorted), owned by the caller; none
    // until the first alphabet's letters are bound.
    void setAllowedCodes(const QStringList *codes) { m_allowed = codes; }
    // Typed characters are shown as capitals; turning this on also turns
    // the text already held into capitals.
    void setCapitals(bool on);
    bool capitals() const { return m_capitals; }

Q_SIGNALS:
    // Enter was released in the box.
    void enterReleased();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

private:
    bool allows(QChar c) const;

    const QStringList *m_allowed = nullptr;
    bool m_capitals = false;
};

// The capital of a character where it lies in 0..255, else the character
// itself: one character for one, so no "SS" for the sharp s, and the small y
// with diaeresis and the micro sign stay as they are.
QChar capitalInLatin1(QChar c);
QString capitalsInLatin1(const QString &text);

inline const QString kTextTooLongMessage = QStringLiteral("The text may not exceed 30 characters");

} // namespace vz
