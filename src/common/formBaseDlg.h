#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QToolButton;

namespace vz {

// The common frame of the program's small dialogs: a light top panel with an
// icon and a bottom bar with OK and Cancel. It has no behaviour of its own;
// derived dialogs add controls and bind the two buttons.
class TfrmBaseDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmBaseDlg(QWidget *parent = nullptr);

    QWidget *pnlMain() const { return m_pnlMain; }
    QWidget *pnlBottom() const { return m_pnlBottom; }
    QLabel *image1() const { return m_image1; }
    QToolButton *btnOk() const { return m_btnOk; }
    QToolButton *fcImageBtn1() const { return m_fcImageBtn1; }

    // Shows the dialog modally and returns its result. While a hook is set
    // (tests), the dialog is shown without blocking and handed to the hook,
    // which answers it; a dialog the hook leaves open is cancelled.
    int runModal();
    using ModalHook = std::function<void(TfrmBaseDlg &)>;
    static void setModalHook(ModalHook hook);

private:
    QWidget *m_pnlMain;
    QWidget *m_pnlBottom;
    QLabel *m_image1;
    QToolButton *m_btnOk;
    QToolButton *m_fcImageBtn1;
};

} // namespace vz
