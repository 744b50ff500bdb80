#include "shell/formHelpDlg.h"

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "platform/ShellOpen.h"
#include "shell/formAbout.h"

#include <QFileInfo>
#include <QRadioButton>
#include <QToolButton>

namespace vz {

TfrmHelpDlg::TfrmHelpDlg(QWidget *parent)
    : TfrmBaseDlg(parent)
{
    setObjectName(QStringLiteral("TfrmHelpDlg"));
    setWindowTitle(QStringLiteral("Help?"));
    m_rbHelpFile = new QRadioButton(QStringLiteral("View the help file."), pnlMain());
    m_rbHelpFile->setObjectName(QStringLiteral("rbHelpFile"));
    m_rbHelpFile->move(86, 33);
    m_rbHelpFile->setChecked(true);
    m_rbAbout = new QRadioButton(QStringLiteral("View the VZ Ririraz about information."), pnlMain());
    m_rbAbout->setObjectName(QStringLiteral("rbAbout"));
    m_rbAbout->move(86, 75);
    connect(btnOk(), &QToolButton::clicked, this, &TfrmHelpDlg::ok);
    connect(fcImageBtn1(), &QToolButton::clicked, this, &TfrmHelpDlg::cansel);
}

void TfrmHelpDlg::ok()
{
    if (m_rbAbout->isChecked()) {
        TfrmAbout about(parentWidget());
        about.runModal();
    } else {
        const QString page = programFolder() + QStringLiteral("Help/default.html");
        // A missing page is told, not handed to the desktop to fail quietly.
        if (QFileInfo(page).isFile())
            TfrmAbout::openAddress(page, this);
        else
            dialogs::error(QStringLiteral("Cannot open \"%1\".").arg(page), this);
    }
    accept();
}

void TfrmHelpDlg::cansel() { reject(); }

} // namespace vz
