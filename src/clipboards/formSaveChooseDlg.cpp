#include "clipboards/formSaveChooseDlg.h"

#include "common/Dialogs.h"

#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace vz {

QStringList TfrmSaveChooseDlg::choiceTexts()
{
    return {QStringLiteral("Save a page layout."), QStringLiteral("Save a selected image as a file.")};
}

TfrmSaveChooseDlg::TfrmSaveChooseDlg(QWidget *parent)
    : TfrmBaseDlg(parent)
{
    setObjectName(QStringLiteral("TfrmSaveChooseDlg"));
    setWindowTitle(QStringLiteral("Save ?"));
    image1()->setPixmap(QIcon(QStringLiteral(":/icons/save.svg")).pixmap(35, 35));
    const QStringList texts = choiceTexts();
    m_rbLayout = new QRadioButton(texts.at(kLayout), pnlMain());
    m_rbLayout->setObjectName(QStringLiteral("RadioButton1"));
    m_rbLayout->move(86, 33);
    m_rbLayout->setChecked(true);
    m_rbImage = new QRadioButton(texts.at(kImage), pnlMain());
    m_rbImage->setObjectName(QStringLiteral("RadioButton2"));
    m_rbImage->move(86, 75);
    connect(btnOk(), &QToolButton::clicked, this, &QDialog::accept);
    connect(fcImageBtn1(), &QToolButton::clicked, this, &QDialog::reject);
}

TfrmSaveChooseDlg::Choice TfrmSaveChooseDlg::choice() const { return m_rbImage->isChecked() ? kImage : kLayout; }

int TfrmSaveChooseDlg::ask(QWidget *parent)
{
    return dialogs::choose(QStringLiteral("Save ?"), choiceTexts(), [parent] {
        TfrmSaveChooseDlg dlg(parent);
        return dlg.runModal() == QDialog::Accepted ? int(dlg.choice()) : -1;
    });
}

} // namespace vz
