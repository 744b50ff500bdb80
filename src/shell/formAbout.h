#pragma once

#include "common/formBaseDlg.h"

class QLabel;
class QRadioButton;

namespace vz {

// "About VZ Ririraz": the version in use and a way to the update page.
class TfrmAbout : public TfrmBaseDlg
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);

    QString shownVersion() const;
    // Hands an address or a file to the desktop; when that fails the user
    // is told `Cannot open "PATH".`. Also the quick tour's opener.
    static bool openAddress(const QString &address, QWidget *parent);

public Q_SLOTS:
    void FormShow();
    void btnOkClick();
    void fcImageBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_version;
    QRadioButton *m_rbUpdate;
};

} // namespace vz
