#include "shell/FormTour.h"

#include "common/Palette.h"
#include "common/VzError.h"
#include "platform/Registry.h"
#include "shell/AppState.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

namespace vz {

TfrmTour::TfrmTour(TourActions &actions, QWidget *parent)
    : TfrmBaseDlg(parent)
    , m_actions(actions)
{
    setObjectName(QStringLiteral("TfrmTour"));
    setWindowTitle(QStringLiteral("Quick Tour"));
    // A tool window of the main window: stays above it without blocking it.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    image1()->hide();

    m_title = new QLabel(pnlMain());
    m_title->setObjectName(QStringLiteral("lblTourTitle"));
    m_title->setAutoFillBackground(true);
    QPalette pal = m_title->palette();
    pal.setColor(QPalette::Window, palette::listBack);
    m_title->setPalette(pal);
    m_title->setGeometry(8, 8, 365, 16);

    m_text = new QTextBrowser(pnlMain());
    m_text->setObjectName(QStringLiteral("txtTour"));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setGeometry(8, 26, 209, 94);

    m_picture = new QLabel(pnlMain());
    m_picture->setObjectName(QStringLiteral("imgTour"));
    m_picture->setGeometry(228, 26, 141, 94);

    m_checkBox1 = new QCheckBox(QStringLiteral("Show this tour on startup."), pnlBottom());
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));
    m_checkBox1->setChecked(true);
    m_checkBox1->move(8, 24);
    m_checkBox1->hide();

    m_btnNext = new QToolButton(pnlBottom());
    m_btnNext->setObjectName(QStringLiteral("btnNext"));
    m_btnNext->setToolTip(QStringLiteral("Next Tour Page"));
    m_btnNext->setIcon(QIcon(QStringLiteral(":/icons/next.svg")));
    m_btnNext->setIconSize(QSize(28, 28));
    m_btnNext->setAutoRaise(true);
    m_btnNext->setGeometry(295, 5, 35, 35);
    fcImageBtn1()->move(335, 5);
    btnOk()->hide();

    connect(m_btnNext, &QToolButton::clicked, this, &TfrmTour::btnNextClick);
    connect(btnOk(), &QToolButton::clicked, this, &TfrmTour::btnOkClick);
    connect(fcImageBtn1(), &QToolButton::clicked, this, &TfrmTour::fcImageBtn1Click);
    connect(m_checkBox1, &QCheckBox::clicked, this, &TfrmTour::CheckBox1Click);
    showStep();
}

void TfrmTour::loadTour(const QString &path)
{
    m_script.loadFromFile(path);
    showStep();
}

void TfrmTour::btnNextClick()
{
    if (!m_script.next(m_actions)) {
        btnOk()->click();
        return;
    }
    showStep();
}

bool TfrmTour::event(QEvent *e)
{
    // A modal dialog that a step opens must not hide under a window that
    // stays on top: while one blocks the tour, the tour stays in line. The
    // change waits for the event loop, as Qt is still going through its
    // windows when it tells each one.
    if (e->type() == QEvent::WindowBlocked || e->type() == QEvent::WindowUnblocked) {
        m_blocked = e->type() == QEvent::WindowBlocked;
        QTimer::singleShot(0, this, &TfrmTour::followBlocking);
    }
    return TfrmBaseDlg::event(e);
}

void TfrmTour::followBlocking()
{
    const bool onTop = !m_blocked;
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool shown = isVisible();
    const QPoint at = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown) {
        move(at);
        show();
    }
}

void TfrmTour::btnOkClick() { close(); }
void TfrmTour::fcImageBtn1Click() { close(); }

void TfrmTour::CheckBox1Click()
{
    if (!m_usesSettings)
        return;
    RegistryKey reg(RegRoot::LocalMachine);
    if (!reg.openKey(kSettingsKey, true))
        return;
    // The box's own state, so ticking it again brings the tour back.
    try {
        if (reg.valueExists(QStringLiteral("RunTour")))
            reg.writeBool(QStringLiteral("RunTour"), m_checkBox1->isChecked());
    } catch (const VzError &) {
        // A store that cannot be written keeps its value; the tour goes on.
    }
}

bool TfrmTour::startupTourDecision(const QString &programFolder)
{
    RegistryKey reg(RegRoot::LocalMachine);
    if (!reg.openKey(kSettingsKey, true))
        return false;
    bool run = true;
    try {
        if (reg.valueExists(QStringLiteral("RunTour")))
            run = reg.readBool(QStringLiteral("RunTour"));
        else
            reg.writeBool(QStringLiteral("RunTour"), true);
    } catch (const VzError &) {
        // A value of another type, or a store that cannot be written.
        return false;
    }
    if (!run)
        return false;
    const QString path = programFolder + QStringLiteral("Tours/buttons.tor");
    if (!QFileInfo(path).isFile())
        return false;
    m_checkBox1->show();
    loadTour(path);
    show();
    placeAtTop();
    return true;
}

QRect TfrmTour::screenArea() const
{
    const QWidget *main = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen *screen = main ? main->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void TfrmTour::placeAtTop()
{
    const QRect area = screenArea();
    if (area.isValid())
        move(area.left() + area.width() / 2 - frameGeometry().width() / 2, area.top() + 20);
}

void TfrmTour::placeAtBottomLeft()
{
    const QRect area = screenArea();
    if (area.isValid())
        move(area.left() + 10, area.top() + area.height() - frameGeometry().height());
}

void TfrmTour::showStep()
{
    m_title->setText(m_script.title());
    m_text->setPlainText(m_script.text());
    const Picture pic = m_script.image();
    if (pic.isNull()) {
        m_picture->clear();
        return;
    }
    QPixmap pix(m_picture->size());
    pix.fill(Qt::white);
    QPainter p(&pix);
    pic.draw(p, QRectF(pix.rect()));
    p.end();
    m_picture->setPixmap(pix);
}

} // namespace vz
