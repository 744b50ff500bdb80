#include "shell/TipsPanel.h"

#include "common/AlignLayout.h"
#include "common/Palette.h"
#include "common/SmallWidgets.h"

#include <QFile>
#include <QLabel>
#include <QTextBrowser>
#include <QToolButton>

namespace vz {

namespace {
// A tips file is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxTipsFileSize = 16 * 1024 * 1024;

QToolButton *tipButton(QWidget *parent, const char *name, const char *hint, Qt::ArrowType arrow)
{
    auto *btn = new QToolButton(parent);
    btn->setObjectName(QLatin1String(name));
    btn->setToolTip(QLatin1String(hint));
    btn->setArrowType(arrow);
    btn->setAutoRaise(true);
    btn->setFocusPolicy(Qt::NoFocus);
    return btn;
}
} // namespace

TipsPanel::TipsPanel(QWidget *parent)
    : QWidget(parent)
    , m_table({FieldDef::text(QStringLiteral("Tips"), 800)})
{
    setObjectName(QStringLiteral("TipsPanel"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::sidePanel);
    setPalette(pal);

    auto *layout = new AlignLayout(this);
    // Shown as written: a label shows "&" as is, so the caption's doubled
    // ampersand is one here.
    auto *label = new QLabel(QStringLiteral("Tips & Hints"), this);
    label->setObjectName(QStringLiteral("lblTips"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label, Align::None, QRect(22, 1, 76, 16));

    m_btnPriorTip = tipButton(this, "btnPriorTip", "Prior tip", Qt::LeftArrow);
    layout->addWidget(m_btnPriorTip, Align::None, QRect(3, 3, 17, 12));
    m_btnNexTip = tipButton(this, "btnNexTip", "Next tip", Qt::RightArrow);
    layout->addWidget(m_btnNexTip, Align::None, QRect(99, 3, 17, 12));

    auto *white = colouredPanel(this, QStringLiteral("pnlTipText"), Qt::white);
    white->setEnabled(false);
    layout->addWidget(white, Align::None, QRect(3, 18, 114, 96), AnchorsAll);
    auto *whiteLayout = new AlignLayout(white);
    m_txtTips = new QTextBrowser(white);
    m_txtTips->setObjectName(QStringLiteral("txtTips"));
    m_txtTips->setReadOnly(true);
    m_txtTips->setFrameShape(QFrame::NoFrame);
    m_txtTips->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtTips->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The disabled panel must not grey the tip out.
    QPalette textPal = m_txtTips->palette();
    textPal.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    textPal.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
    m_txtTips->setPalette(textPal);
    whiteLayout->addWidget(m_txtTips, Align::Client);

    connect(m_btnNexTip, &QToolButton::clicked, this, [this] {
        Q_EMIT tipButtonPressed();
        advance();
    });
    connect(m_btnPriorTip, &QToolButton::clicked, this, [this] {
        Q_EMIT tipButtonPressed();
        retreat();
    });
}

void TipsPanel::loadTipsOnce(const QString &path)
{
    if (m_table.recordCount() > 0)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxTipsFileSize)
        return;
    m_table.loadFromBytes(file.readAll());
    m_current = m_table.recordCount() > 0 ? 0 : -1;
    showCurrent();
}

QString TipsPanel::currentText() const
{
    return m_current < 0 ? QString() : m_table.text(m_current, 0);
}

void TipsPanel::advance()
{
    const int n = m_table.recordCount();
    if (n == 0)
        return;
    m_current = (m_current + 1) % n;
    showCurrent();
}

void TipsPanel::retreat()
{
    const int n = m_table.recordCount();
    if (n == 0)
        return;
    m_current = m_current <= 0 ? n - 1 : m_current - 1;
    showCurrent();
}

void TipsPanel::showCurrent()
{
    // Tips are plain text, shown unchanged.
    m_txtTips->setPlainText(currentText());
}

} // namespace vz
