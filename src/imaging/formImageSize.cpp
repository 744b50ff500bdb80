#include "imaging/formImageSize.h"

#include "common/AlignLayout.h"
#include "common/Dialogs.h"
#include "common/Palette.h"
#include "common/Rounding.h"
#include "common/ScaleForm.h"
#include "common/SmallWidgets.h"
#include "imaging/ImageSizeTarget.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <optional>

static void initImageSizeResources()
{
    // The OK and Cancel pictures are the preview window's.
    static const bool done = [] {
        Q_INIT_RESOURCE(enlarge);
        return true;
    }();
    (void)done;
}

namespace vz {

namespace {

// Page pixels beyond this are not placed; typed values are held to it.
constexpr int kMaxPagePixels = 32767;
// Programmatic follows of a follow stop here, so two constrained fields
// always settle.
constexpr int kMaxFollowDepth = 4;

// A finite number with "." as the decimal point, blanks around allowed.
std::optional<double> numberIn(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Inches held to what the page can place on that axis.
double clampInches(double inches, int ppi)
{
    const double limit = ppi > 0 ? double(kMaxPagePixels) / ppi : double(kMaxPagePixels);
    return std::clamp(inches, -limit, limit);
}

int pagePixels(double inches, int ppi)
{
    return std::clamp(roundHalfEven(clampInches(inches, ppi) * ppi), -kMaxPagePixels, kMaxPagePixels);
}

QLineEdit *field(QWidget *parent, const char *name, int y)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(112, y, 81, 21);
    return e;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &text, int y)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(205, y + 1, 145, 19);
    return c;
}

void label(QWidget *parent, const QString &text, int y)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(14, y + 2, 94, 17);
}

QToolButton *imageButton(QWidget *parent, const char *name, const char *hint, const char *icon, int x)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setIcon(QIcon(QStringLiteral(":/enlarge/%1.svg").arg(QLatin1String(icon))));
    b->setIconSize(QSize(28, 28));
    b->setAutoRaise(true);
    b->setGeometry(x, 4, 35, 35);
    return b;
}

} // namespace

TfrmImageSize::TfrmImageSize(QWidget *parent)
    : QDialog(parent)
{
    initImageSizeResources();
    setObjectName(QStringLiteral("frmImageSize"));
    setWindowTitle(QStringLiteral("Image Size Dialog"));
    setModal(true);
    resize(378, 216);

    // The dialog's 8-pixel blue border around the two panels.
    auto *outerLayout = new AlignLayout(this);
    QWidget *outer = colouredPanel(this, QStringLiteral("pnlBorder"), palette::mainBlue);
    outerLayout->addWidget(outer, Align::Client);
    auto *layout = new AlignLayout(outer);
    layout->setContentsMargins(8, 8, 8, 8);
    QWidget *lower = colouredPanel(outer, QStringLiteral("pnlButtons"), palette::sidePanel);
    layout->addWidget(lower, Align::Bottom, QRect(0, 0, 0, 43));
    QWidget *upper = colouredPanel(outer, QStringLiteral("pnlMeasures"), palette::toolbar);
    layout->addWidget(upper, Align::Client);

    auto *caption = new QLabel(QStringLiteral("Measurements given in inches"), upper);
    caption->setGeometry(14, 6, 300, 17);
    label(upper, QStringLiteral("Image Height:"), 30);
    label(upper, QStringLiteral("Image Width:"), 60);
    label(upper, QStringLiteral("Object Top:"), 90);
    label(upper, QStringLiteral("Object Left:"), 120);
    m_height = field(upper, "edtHeight", 30);
    m_width = field(upper, "edtWidth", 60);
    m_top = field(upper, "edtTop", 90);
    m_left = field(upper, "edtLeft", 120);
    m_heightConstrained = checkBox(upper, "chkHeightConstrained", QStringLiteral("Constrained"), 30);
    m_widthConstrained = checkBox(upper, "chkWidthConstrained", QStringLiteral("Constrained"), 60);
    m_centerVertically = checkBox(upper, "chkCenterVertically", QStringLiteral("Center Vertically"), 90);
    m_centerHorizontally = checkBox(upper, "chkCenterHorizontally", QStringLiteral("Center Horizontally"), 120);
    m_widthConstrained->setChecked(true);

    QToolButton *ok = imageButton(lower, "btnOK", "OK", "ok", 262);
    QToolButton *cancel = imageButton(lower, "btnCancel", "Cancel", "cancel", 310);
    connect(ok, &QToolButton::clicked, this, &TfrmImageSize::btnOKClick);
    connect(cancel, &QToolButton::clicked, this, &QDialog::reject);

    connect(m_height, &QLineEdit::textChanged, this, &TfrmImageSize::HeightChange);
    connect(m_width, &QLineEdit::textChanged, this, &TfrmImageSize::WidthChange);
    connect(m_heightConstrained, &QCheckBox::clicked, this, &TfrmImageSize::updateEnabled);
    connect(m_widthConstrained, &QCheckBox::clicked, this, &TfrmImageSize::updateEnabled);
    connect(m_centerVertically, &QCheckBox::clicked, this, &TfrmImageSize::applyVerticalCentring);
    connect(m_centerHorizontally, &QCheckBox::clicked, this, &TfrmImageSize::applyHorizontalCentring);
    updateEnabled();

    ScaleFormToScreen(this, screenDpiOf(this));
}

QString TfrmImageSize::heightText() const { return m_height->text(); }
QString TfrmImageSize::widthText() const { return m_width->text(); }
QString TfrmImageSize::topText() const { return m_top->text(); }
QString TfrmImageSize::leftText() const { return m_left->text(); }

void TfrmImageSize::frameChanged()
{
    if (!m_target || !m_target->hasSelection()) {
        clearFields();
        return;
    }
    const QRect frame = m_target->frameRect();
    const FrameMeasures m = measuresFromFrame(frame);
    const int px = m_target->ppiX(), py = m_target->ppiY();
    if (px <= 0 || py <= 0) {
        clearFields();
        return;
    }
    // The page's readout, not typing: no following or centring.
    m_filling = true;
    m_height->setText(formatInches(double(m.h) / py));
    m_width->setText(formatInches(double(m.w) / px));
    m_top->setText(formatInches(double(m.y) / py));
    m_left->setText(formatInches(double(m.x) / px));
    m_filling = false;
    m_filledFrame = frame;
    m_filled[0] = m_height->text();
    m_filled[1] = m_width->text();
    m_filled[2] = m_left->text();
    m_filled[3] = m_top->text();
    m_hasFilled = true;
}

void TfrmImageSize::clearFields()
{
    m_filling = true;
    m_height->clear();
    m_width->clear();
    m_top->clear();
    m_left->clear();
    m_filling = false;
    m_hasFilled = false;
}

void TfrmImageSize::showEvent(QShowEvent *e)
{
    // Ratios as the fields read now; an object 0 wide or high has none and
    // following then changes nothing.
    const auto h = numberIn(m_height->text());
    const auto w = numberIn(m_width->text());
    m_ratiosDefined = h && w && *h != 0.0 && *w != 0.0;
    m_widthPerHeight = m_ratiosDefined ? *w / *h : 0.0;
    m_heightPerWidth = m_ratiosDefined ? *h / *w : 0.0;
    updateEnabled();
    applyVerticalCentring();
    applyHorizontalCentring();
    if (!e->spontaneous()) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(e);
}

void TfrmImageSize::updateEnabled()
{
    m_height->setEnabled(!m_heightConstrained->isChecked());
    m_width->setEnabled(!m_widthConstrained->isChecked());
}

void TfrmImageSize::setField(QLineEdit *f, double inches)
{
    const QString text = formatInches(inches);
    if (f->text() != text)
        f->setText(text);
}

void TfrmImageSize::HeightChange()
{
    if (m_filling || m_followDepth >= kMaxFollowDepth || !m_target)
        return;
    ++m_followDepth;
    if (m_widthConstrained->isChecked() && m_ratiosDefined && !m_width->text().isEmpty()) {
        if (const auto h = numberIn(m_height->text()))
            setField(m_width, clampInches(clampInches(*h, m_target->ppiY()) * m_widthPerHeight, m_target->ppiX()));
    }
    applyVerticalCentring();
    applyHorizontalCentring();
    --m_followDepth;
}

void TfrmImageSize::WidthChange()
{
    if (m_filling || m_followDepth >= kMaxFollowDepth || !m_target)
        return;
    ++m_followDepth;
    if (m_heightConstrained->isChecked() && m_ratiosDefined && !m_height->text().isEmpty()) {
        if (const auto w = numberIn(m_width->text()))
            setField(m_height, clampInches(clampInches(*w, m_target->ppiX()) * m_heightPerWidth, m_target->ppiY()));
    }
    applyVerticalCentring();
    applyHorizontalCentring();
    --m_followDepth;
}

void TfrmImageSize::applyVerticalCentring()
{
    m_top->setEnabled(!m_centerVertically->isChecked());
    if (!m_centerVertically->isChecked() || !m_target || m_width->text().isEmpty() || m_target->ppiY() <= 0)
        return;
    if (const auto h = numberIn(m_height->text())) {
        const int ppi = m_target->ppiY();
        setField(m_top, clampInches(m_target->pageSize().height() / 2.0 / ppi - clampInches(*h, ppi) / 2.0, ppi));
    }
}

void TfrmImageSize::applyHorizontalCentring()
{
    m_left->setEnabled(!m_centerHorizontally->isChecked());
    if (!m_centerHorizontally->isChecked() || !m_target || m_height->text().isEmpty() || m_target->ppiX() <= 0)
        return;
    if (const auto w = numberIn(m_width->text())) {
        const int ppi = m_target->ppiX();
        setField(m_left, clampInches(m_target->pageSize().width() / 2.0 / ppi - clampInches(*w, ppi) / 2.0, ppi));
    }
}

void TfrmImageSize::btnOKClick()
{
    if (m_target && m_target->hasSelection()) {
        const QRect before = m_target->frameRect();
        QRect frame = before;
        const int px = m_target->ppiX(), py = m_target->ppiY();
        // A field still holding what the page filled in gives back the
        // exact pixels it was measured from, whatever the pixels per inch.
        const bool filled = m_hasFilled && m_filledFrame == before;
        QLineEdit *const fields[4] = {m_height, m_width, m_left, m_top};
        for (int i = 0; i < 4; ++i) {
            const QString text = fields[i]->text();
            int value = 0; // the frame's new height, width, left or top
            if (filled && text == m_filled[i]) {
                const int own[4] = {before.height(), before.width(), before.left(), before.top()};
                value = own[i];
            } else {
                const auto v = numberIn(text);
                if (!v) {
                    dialogs::message(QStringLiteral("You must type in numbers."), MsgIcon::Confirmation, MsgButtons::OK, this);
                    break;
                }
                const int pixels = pagePixels(*v, i == 0 || i == 3 ? py : px);
                // An object is never less than 0 pixels high or wide.
                value = i < 2 ? std::max(0, pixels) + kFrameExtra : pixels - kFrameInset;
            }
            switch (i) {
            case 0: frame.setHeight(value); break;
            case 1: frame.setWidth(value); break;
            case 2: frame.moveLeft(value); break;
            case 3: frame.moveTop(value); break;
            }
        }
        if (frame != before)
            m_target->setFrameRect(frame);
    }
    m_centerVertically->setChecked(false);
    m_centerHorizontally->setChecked(false);
    m_top->setEnabled(true);
    m_left->setEnabled(true);
    accept();
}

} // namespace vz
