#pragma once

#include "common/formBaseDlg.h"

class QRadioButton;

namespace vz {

// "Save ?": a page layout or the selected image.
class TfrmSaveChooseDlg : public TfrmBaseDlg
{
    Q_OBJECT
public:
    enum Choice { kLayout = 0, kImage = 1 };

    explicit TfrmSaveChooseDlg(QWidget *parent = nullptr);

    QRadioButton *radioButton1() const { return m_rbLayout; }
    QRadioButton *radioButton2() const { return m_rbImage; }
    // The choice the radio buttons show now.
    Choice choice() const;

    // Makes the chooser, shows it modally and frees it, through the dialogs
    // facade. Returns a Choice, or -1 for Cancel.
    static int ask(QWidget *parent);
    static QStringList choiceTexts();

private:
    QRadioButton *m_rbLayout;
    QRadioButton *m_rbImage;
};

} // namespace vz
