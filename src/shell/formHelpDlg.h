#pragma once

#include "common/formBaseDlg.h"

class QRadioButton;

namespace vz {

// "Help?": opens the help page or the about box.
class TfrmHelpDlg : public TfrmBaseDlg
{
    Q_OBJECT
public:
    explicit TfrmHelpDlg(QWidget *parent = nullptr);

public Q_SLOTS:
    void ok();
    void cansel();

private:
    QRadioButton *m_rbHelpFile;
    QRadioButton *m_rbAbout;
};

} // namespace vz
