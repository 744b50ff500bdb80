#pragma once

#include <QObject>

class QAbstractButton;
class QScrollArea;
class QSpinBox;
class QWidget;

namespace vz {

struct AppState;

// The Mix & Match composer's lower page "MixMatch": the button strip, the
// send button and the composition preview.
class MixMatchPage : public QObject
{
    Q_OBJECT
public:
    MixMatchPage(AppState &state, QWidget *lowerPage, QObject *parent = nullptr);

    QAbstractButton *btnClear() const { return m_btnClear; }
    QAbstractButton *btnBackSpace() const { return m_btnBackSpace; }
    QAbstractButton *btnSpace() const { return m_btnSpace; }
    QAbstractButton *btnNewLine() const { return m_btnNewLine; }
    QWidget *paintBox() const { return m_paintBox; }

public Q_SLOTS:
    void btnMixClearClick();
    void btnMixBackSpaceClick();
    void MixmatchSpace();
    void btnMixNewlineClick();

private:
    AppState &m_state;
    QAbstractButton *m_btnClear;
    QAbstractButton *m_btnBackSpace;
    QAbstractButton *m_btnSpace;
    QAbstractButton *m_btnNewLine;
    QSpinBox *m_lineSpace;
    QScrollArea *m_scroll;
    QWidget *m_paintBox;
};

} // namespace vz
