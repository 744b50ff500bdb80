#pragma once

#include "imagesets/MemTable.h"

#include <QWidget>

class QLabel;
class QTextBrowser;
class QToolButton;

namespace vz {

// The tips box of the lower strip: a label, "Prior tip" and "Next tip", and
// the current tip in a read-only box on a disabled white panel (the tip takes
// no mouse or keyboard input). The tips table `dxTip` is loaded once, from
// "tips.dat", and cycles in file order.
class TipsPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TipsPanel(QWidget *parent = nullptr);

    MemTable &dxTip() { return m_table; }
    // Loads the tips from `path` when the table holds none yet. A missing or
    // unreadable file leaves the table empty, without a message.
    void loadTipsOnce(const QString &path);

    // Index of the tip shown, or -1 when there is none.
    int current() const { return m_current; }
    QString currentText() const;

public Q_SLOTS:
    // Next tip, from the last back to the first.
    void advance();
    // Previous tip, from the first round to the last.
    void retreat();

Q_SIGNALS:
    // One of the tip buttons was pressed (the owner stops the rotation).
    void tipButtonPressed();

private:
    void showCurrent();

    MemTable m_table;
    int m_current = -1;
    QToolButton *m_btnPriorTip;
    QToolButton *m_btnNexTip;
    QTextBrowser *m_txtTips;
};

} // namespace vz
