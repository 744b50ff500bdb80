#include "common/formBaseDlg.h"

#include "common/AlignLayout.h"
#include "common/ModalHook.h"
#include "common/Palette.h"
#include "common/SmallWidgets.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QToolButton>

namespace vz {

namespace {
TfrmBaseDlg::ModalHook &modalHook()
{
    static TfrmBaseDlg::ModalHook hook;
    return hook;
}

QToolButton *imageButton(QWidget *parent, const char *name, const char *hint, const char *icon)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setIcon(QIcon(QStringLiteral(":/enlarge/%1.svg").arg(QLatin1String(icon))));
    b->setIconSize(QSize(28, 28));
    b->setAutoRaise(true);
    return b;
}
} // namespace

TfrmBaseDlg::TfrmBaseDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmBaseDlg"));
    setFixedSize(381, 178);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::mainBlue);
    setPalette(pal);

    auto *layout = new AlignLayout(this);
    m_pnlMain = colouredPanel(this, QStringLiteral("pnlMain"), palette::toolbar);
    layout->addWidget(m_pnlMain, Align::None, QRect(0, 0, 381, 126));
    m_image1 = new QLabel(m_pnlMain);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(QIcon(QStringLiteral(":/icons/help.svg")).pixmap(35, 35));
    m_image1->setGeometry(20, 12, 35, 35);

    m_pnlBottom = colouredPanel(this, QStringLiteral("pnlBottom"), palette::sidePanel);
    layout->addWidget(m_pnlBottom, Align::Bottom, QRect(0, 0, 0, 44));
    m_btnOk = imageButton(m_pnlBottom, "btnOk", "OK", "ok");
    m_btnOk->setGeometry(298, 5, 35, 35);
    m_fcImageBtn1 = imageButton(m_pnlBottom, "fcImageBtn1", "Cancel", "cancel");
    m_fcImageBtn1->setGeometry(342, 5, 35, 35);

    // Centred on the desktop.
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

int TfrmBaseDlg::runModal()
{
    return runModalDialog(*this, modalHook());
}

void TfrmBaseDlg::setModalHook(ModalHook hook) { modalHook() = std::move(hook); }

} // namespace vz
