#pragma once

#include "common/Dialogs.h"
#include "common/formBaseDlg.h"

class QRadioButton;

namespace vz {

// The frame of the toolbar's two choosers ("Open ?", "Save ?"): a page
// layout or an image, as two radio buttons, the first one chosen.
class TChooseDlg : public TfrmBaseDlg
{
    Q_OBJECT
public:
    enum Choice { kLayout = 0, kImage = 1 };

    QRadioButton *radioButton1() const { return m_rbLayout; }
    QRadioButton *radioButton2() const { return m_rbImage; }
    // The choice the radio buttons show now.
    Choice choice() const;

protected:
    TChooseDlg(QWidget *parent, const QString &title, const QString &icon, const QStringList &texts);

    // Makes a chooser of type D, shows it modally and frees it, through the
    // dialogs facade. Returns a Choice, or -1 for Cancel.
    template<class D>
    static int askWith(QWidget *parent)
    {
        return dialogs::choose(D::caption(), D::choiceTexts(), [parent] {
            D dlg(parent);
            return dlg.runModal() == QDialog::Accepted ? int(dlg.choice()) : -1;
        });
    }

private:
    QRadioButton *m_rbLayout;
    QRadioButton *m_rbImage;
};

} // namespace vz
