#include "shell/formAbout.h"

#include "common/Dialogs.h"
#include "platform/ShellOpen.h"
#include "shell/AppState.h"

#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace vz {

TfrmAbout::TfrmAbout(QWidget *parent)
    : TfrmBaseDlg(parent)
{
    setObjectName(QStringLiteral("TfrmAbout"));
    setWindowTitle(QStringLiteral("About VZ Ririraz"));
    setFixedSize(381, 177);
    image1()->setPixmap(QIcon(QStringLiteral(":/icons/app.svg")).pixmap(35, 35));
    image1()->move(17, 10);

    auto *thanks = new QLabel(QStringLiteral("Thank you for using VZ Ririraz"), pnlMain());
    thanks->setObjectName(QStringLiteral("lblThanks"));
    QFont bold = thanks->font();
    bold.setBold(true);
    bold.setPointSize(12);
    thanks->setFont(bold);
    thanks->setAlignment(Qt::AlignCenter);
    thanks->setWordWrap(true);
    thanks->setGeometry(59, 16, 263, 36);

    auto *using_ = new QLabel(QStringLiteral("Your are currently using version number:"), pnlMain());
    using_->move(29, 54);
    m_version = new QLabel(pnlMain());
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setGeometry(224, 54, 140, 16);

    m_rbUpdate = new QRadioButton(QStringLiteral("Check ") + kUpdatePage + QStringLiteral(" for an update"), pnlMain());
    m_rbUpdate->setObjectName(QStringLiteral("rbUpdate"));
    m_rbUpdate->move(29, 84);
    QPalette pal = m_rbUpdate->palette();
    pal.setColor(QPalette::WindowText, QColor(0x12, 0x18, 0xFE));
    m_rbUpdate->setPalette(pal);

    connect(btnOk(), &QToolButton::clicked, this, &TfrmAbout::btnOkClick);
    connect(fcImageBtn1(), &QToolButton::clicked, this, &TfrmAbout::fcImageBtn1Click);
}

bool TfrmAbout::openAddress(const QString &address, QWidget *parent)
{
    if (shellOpen(address))
        return true;
    dialogs::error(QStringLiteral("Cannot open \"%1\".").arg(address), parent);
    return false;
}

QString TfrmAbout::shownVersion() const { return m_version->text(); }

void TfrmAbout::showEvent(QShowEvent *event)
{
    FormShow();
    TfrmBaseDlg::showEvent(event);
}

void TfrmAbout::FormShow() { m_version->setText(versionText()); }

void TfrmAbout::btnOkClick()
{
    if (m_rbUpdate->isChecked())
        openAddress(kUpdatePage, this);
    accept();
}

void TfrmAbout::fcImageBtn1Click() { reject(); }

} // namespace vz
