#include "clipboards/ChooseDlg.h"

#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace vz {

TChooseDlg::TChooseDlg(QWidget *parent, const QString &title, const QString &icon, const QStringList &texts)
    : TfrmBaseDlg(parent)
{
    setWindowTitle(title);
    image1()->setPixmap(QIcon(icon).pixmap(35, 35));
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

TChooseDlg::Choice TChooseDlg::choice() const { return m_rbImage->isChecked() ? kImage : kLayout; }

} // namespace vz
