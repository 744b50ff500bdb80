#include "lettering/MixMatchPage.h"

#include "common/AlignLayout.h"
#include "common/Palette.h"
#include "shell/AppState.h"

#include <QLabel>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>

namespace vz {

namespace {
QToolButton *stripButton(QWidget *parent, const char *name, const QString &hint, const QString &text)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setText(text);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}
} // namespace

MixMatchPage::MixMatchPage(AppState &state, QWidget *lowerPage, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    auto *layout = new AlignLayout(lowerPage);
    auto *panel = new QWidget(lowerPage);
    panel->setObjectName(QStringLiteral("pnlMixPreview"));
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, palette::mainBlue);
    panel->setPalette(pal);
    layout->addWidget(panel, Align::Client);
    auto *inner = new AlignLayout(panel);
    inner->setContentsMargins(2, 2, 2, 2);

    auto *strip = new QWidget(panel);
    strip->setObjectName(QStringLiteral("pnlmixbuttons"));
    strip->setAutoFillBackground(true);
    QPalette sp = strip->palette();
    sp.setColor(QPalette::Window, palette::toolbar);
    strip->setPalette(sp);
    inner->addWidget(strip, Align::Top, QRect(0, 0, 0, 24));
    m_btnClear = stripButton(strip, "btnClear", QStringLiteral("Clear all letters"), tr("Clear"));
    m_btnBackSpace = stripButton(strip, "btnBackSpace", QStringLiteral("Remove the last Letter."), tr("Back"));
    m_btnSpace = stripButton(strip, "btnSpace", QStringLiteral("Add a space."), tr("Space"));
    m_btnNewLine = stripButton(strip, "btnMixMatchNewLine", QStringLiteral("Add a New Line (Enter)"), tr("New Line"));
    m_btnClear->setGeometry(2, 3, 75, 18);
    m_btnBackSpace->setGeometry(76, 3, 75, 18);
    m_btnSpace->setGeometry(149, 3, 75, 18);
    m_btnNewLine->setGeometry(227, 3, 75, 18);
    auto *label = new QLabel(QStringLiteral("Line space:"), strip);
    label->setGeometry(319, 5, 66, 16);
    m_lineSpace = new QSpinBox(strip);
    m_lineSpace->setObjectName(QStringLiteral("SpinEditLineSpace"));
    m_lineSpace->setRange(0, 150);
    m_lineSpace->setValue(30);
    m_lineSpace->setGeometry(386, 1, 46, 22);

    auto *send = new QToolButton(panel);
    send->setObjectName(QStringLiteral("btnSendMixToClip"));
    send->setToolTip(QStringLiteral("Add the image at the right to the clipboard to the left."));
    send->setArrowType(Qt::LeftArrow);
    inner->addWidget(send, Align::Left, QRect(0, 0, 17, 80));

    m_scroll = new QScrollArea(panel);
    m_scroll->setObjectName(QStringLiteral("ScrollMixMatch"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_paintBox = new QWidget;
    m_paintBox->setObjectName(QStringLiteral("PaintBoxMixMatch"));
    m_paintBox->setAutoFillBackground(true);
    QPalette wp = m_paintBox->palette();
    wp.setColor(QPalette::Window, Qt::white);
    m_paintBox->setPalette(wp);
    m_scroll->setPalette(wp);
    m_paintBox->setMinimumHeight(54);
    m_scroll->setWidget(m_paintBox);
    m_scroll->setWidgetResizable(true);
    inner->addWidget(m_scroll, Align::Client);

    connect(m_btnClear, &QToolButton::clicked, this, &MixMatchPage::btnMixClearClick);
    connect(m_btnBackSpace, &QToolButton::clicked, this, &MixMatchPage::btnMixBackSpaceClick);
    connect(m_btnSpace, &QToolButton::clicked, this, &MixMatchPage::MixmatchSpace);
    connect(m_btnNewLine, &QToolButton::clicked, this, &MixMatchPage::btnMixNewlineClick);
}

// The composition itself comes with the lettering renderers.
void MixMatchPage::btnMixClearClick() {}
void MixMatchPage::btnMixBackSpaceClick() {}
void MixMatchPage::MixmatchSpace() {}
void MixMatchPage::btnMixNewlineClick() { ++m_state.mixLineCount; }

} // namespace vz
