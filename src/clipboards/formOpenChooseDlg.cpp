#include "clipboards/formOpenChooseDlg.h"

#include "common/Dialogs.h"

#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace vz {

QStringList TfrmOpenchoosedlg::choiceTexts()
{
    return {QStringLiteral("Open a page layout."), QStringLiteral("Open an image file.")};
}

TfrmOpenchoosedlg::TfrmOpenchoosedlg(QWidget *parent)
    : TfrmBaseDlg(parent)
{
    setObjectName(QStringLiteral("TfrmOpenchoosedlg"));
    setWindowTitle(QStringLiteral("Open ?"));
    image1()->setPixmap(QIcon(QStringLiteral(":/icons/open.svg")).pixmap(35, 35));
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

TfrmOpenchoosedlg::Choice TfrmOpenchoosedlg::choice() const { return m_rbImage->isChecked() ? kImage : kLayout; }

int TfrmOpenchoosedlg::ask(QWidget *parent)
{
    return dialogs::choose(QStringLiteral("Open ?"), choiceTexts(), [parent] {
        TfrmOpenchoosedlg dlg(parent);
        return dlg.runModal() == QDialog::Accepted ? int(dlg.choice()) : -1;
    });
}

} // namespace vz
