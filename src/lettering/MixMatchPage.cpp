#include "lettering/MixMatchPage.h"

#include "common/AlignLayout.h"
#include "common/SmallWidgets.h"
#include "common/Palette.h"
#include "imaging/PictureView.h"
#include "common/ProgramFolder.h"
#include "common/Rounding.h"
#include "common/SplitFields.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"
#include "imagesets/ThumbnailGrid.h"
#include "lettering/AlphabetPage.h"
#include "lettering/WordRenderer.h"
#include "shell/AppState.h"

#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

namespace vz {

namespace {

constexpr int kPreviewHeight = 54;

} // namespace

MixMatchPage::MixMatchPage(AppState &state, AlphabetPage &alphabets, QWidget *lowerPage, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_alphabets(alphabets)
{
    auto *layout = new AlignLayout(lowerPage);
    m_panel = new QWidget(lowerPage);
    m_panel->setObjectName(QStringLiteral("pnlMixPreview"));
    m_panel->setAutoFillBackground(true);
    QPalette pal = m_panel->palette();
    pal.setColor(QPalette::Window, palette::mainBlue);
    m_panel->setPalette(pal);
    layout->addWidget(m_panel, Align::Client);
    auto *inner = new AlignLayout(m_panel);
    inner->setContentsMargins(2, 2, 2, 2);

    auto *strip = new QWidget(m_panel);
    strip->setObjectName(QStringLiteral("pnlmixbuttons"));
    strip->setAutoFillBackground(true);
    QPalette sp = strip->palette();
    sp.setColor(QPalette::Window, palette::toolbar);
    strip->setPalette(sp);
    inner->addWidget(strip, Align::Top, QRect(0, 0, 0, 24));
    m_btnClear = textButton(strip, "btnClear", QStringLiteral("Clear all letters"), tr("Clear"));
    m_btnBackSpace = textButton(strip, "btnBackSpace", QStringLiteral("Remove the last Letter."), tr("Back"));
    m_btnSpace = textButton(strip, "btnSpace", QStringLiteral("Add a space."), tr("Space"));
    m_btnNewLine = textButton(strip, "btnMixMatchNewLine", QStringLiteral("Add a New Line (Enter)"), tr("New Line"));
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

    auto *send = new QToolButton(m_panel);
    send->setObjectName(QStringLiteral("btnSendMixToClip"));
    send->setToolTip(QStringLiteral("Add the image at the right to the clipboard to the left."));
    send->setArrowType(Qt::LeftArrow);
    send->setFocusPolicy(Qt::NoFocus);
    inner->addWidget(send, Align::Left, QRect(0, 0, 17, 80));

    m_scroll = new QScrollArea(m_panel);
    m_scroll->setObjectName(QStringLiteral("ScrollMixMatch"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->horizontalScrollBar()->setSingleStep(30);
    QPalette white = m_scroll->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_scroll->setPalette(white);
    m_scroll->setAutoFillBackground(true);
    auto *canvas = new QWidget;
    canvas->setPalette(white);
    canvas->setAutoFillBackground(true);
    m_paintBox = new PictureView(canvas);
    m_paintBox->setObjectName(QStringLiteral("PaintBoxMixMatch"));
    m_paintBox->setGeometry(0, 11, 0, kPreviewHeight);
    m_scroll->setWidget(canvas);
    m_scroll->setWidgetResizable(false);
    canvas->resize(0, kPreviewHeight + 11);
    inner->addWidget(m_scroll, Align::Client);

    connect(m_btnClear, &QAbstractButton::clicked, this, &MixMatchPage::btnMixClearClick);
    connect(m_btnBackSpace, &QAbstractButton::clicked, this, &MixMatchPage::btnMixBackSpaceClick);
    connect(m_btnSpace, &QAbstractButton::clicked, this, &MixMatchPage::MixmatchSpace);
    connect(m_btnNewLine, &QAbstractButton::clicked, this, &MixMatchPage::btnMixNewlineClick);
    connect(m_lineSpace, &QSpinBox::valueChanged, this, &MixMatchPage::PaintClip);
    connect(send, &QAbstractButton::clicked, this, &MixMatchPage::SendMixToClip);
    connect(m_paintBox, &PictureView::clicked, this, &MixMatchPage::SendToEffects);
    // The white box around the preview opens it too, also while it is 0 wide.
    m_scrollViewport = m_scroll->viewport();
    m_scrollViewport->installEventFilter(this);
}

bool MixMatchPage::eventFilter(QObject *watched, QEvent *event)
{
    // Types first: filtered events also come while the widgets are taken down.
    if (event->type() == QEvent::MouseButtonRelease && watched == m_scrollViewport) {
        const auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton && m_scrollViewport->rect().contains(me->position().toPoint())) {
            SendToEffects();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QWidget *MixMatchPage::paintBox() const { return m_paintBox; }
int MixMatchPage::lineSpace() const { return m_lineSpace->value(); }

QString MixMatchPage::letterPath(int position) const
{
    const QListWidget *list = m_alphabets.listAlpha();
    const int row = list->currentRow();
    const QString folder = withTrailingSlash(SplitFields(m_alphabets.entries().value(row)).value(2));
    return folder + m_alphabets.letters().fileName(position);
}

void MixMatchPage::DBAlphaGridMousedown(int index)
{
    if (index < m_alphabets.letters().count()) {
        WaitCursor wait;
        m_entries.append(letterPath(index));
        PaintClip();
    }
    PaintClip();
    // Scroll on when the letters, spread over the lines, outgrow the panel.
    const double n = m_entries.size();
    const double k = m_state.mixLineCount;
    if (n / k * 55.0 > m_panel->width()) {
        QScrollBar *sb = m_scroll->horizontalScrollBar();
        sb->setValue(sb->value() + 60);
    }
}

void MixMatchPage::btnMixClearClick()
{
    m_entries.clear();
    PaintClip();
}

void MixMatchPage::btnMixBackSpaceClick()
{
    if (!m_entries.isEmpty()) {
        m_entries.removeLast();
        PaintClip();
    }
}

void MixMatchPage::MixmatchSpace()
{
    const int n = m_alphabets.letters().count();
    if (n == 0)
        return;
    WaitCursor wait;
    // The alphabet's space is whichever thumbnail sorts last.
    m_entries.append(letterPath(n - 1));
    PaintClip();
}

void MixMatchPage::btnMixNewlineClick()
{
    m_entries.append(kNewLine);
    m_scroll->horizontalScrollBar()->setValue(0);
    ++m_state.mixLineCount;
    PaintClip();
}

void MixMatchPage::PaintClip()
{
    WaitCursor wait;
    QImage picture;
    if (!m_entries.isEmpty()) {
        try {
            picture = renderCompositionBitmap(m_entries, lineSpace());
        } catch (const VzError &) {
            // An entry that cannot be read leaves the preview empty, quietly.
            picture = QImage();
        }
    }
    if (picture.isNull() || picture.width() == 0) {
        m_paintBox->clear();
        m_paintBox->resize(0, kPreviewHeight);
        m_scroll->widget()->resize(0, kPreviewHeight + 11);
        return;
    }
    const double factor = double(kPreviewHeight) / double(picture.height());
    m_paintBox->setImage(picture);
    m_paintBox->resize(picture.width(), kPreviewHeight);
    m_paintBox->setTargetRect(QRect(0, 0, roundHalfEven(picture.width() * factor), kPreviewHeight));
    m_scroll->widget()->resize(picture.width(), kPreviewHeight + 11);
    const bool fits = m_paintBox->width() < m_scroll->viewport()->width();
    m_paintBox->move(0, fits ? 11 : 2);
}

void MixMatchPage::renderTo(const QString &fileName) const
{
    if (!m_entries.isEmpty())
        RenderComposition(m_entries, lineSpace(), false, fileName);
}

bool MixMatchPage::drawsSomething() const
{
    return !m_entries.isEmpty() && !renderCompositionBitmap(m_entries, lineSpace()).isNull();
}

void MixMatchPage::SendMixToClip()
{
    if (m_entries.isEmpty())
        return;
    WaitCursor wait;
    // Line breaks only (with a small line space) make no picture: nothing to send.
    if (drawsSomething() && sendToClipboard)
        sendToClipboard();
}

void MixMatchPage::SendToEffects()
{
    if (m_entries.isEmpty())
        return;
    WaitCursor wait;
    if (drawsSomething() && openPreview)
        openPreview();
}

} // namespace vz
