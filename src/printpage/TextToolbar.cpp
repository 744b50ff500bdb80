#include "printpage/TextToolbar.h"

#include "common/Palette.h"

#include <QButtonGroup>
#include <QFontComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>

namespace vz {

namespace {
constexpr int kButtonWidth = 23;
constexpr int kButtonHeight = 22;
constexpr int kNameWidth = 156;
// The alignment buttons stand left, centre, right; the values are the edit
// control's 0 left, 2 centre, 1 right.
constexpr int kAlignValues[3] = {0, 2, 1};
} // namespace

TextToolbar::TextToolbar(QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("ToolBar1"));
    setWindowTitle(QStringLiteral("Text Box Buttons (The gray background will not print.)"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);

    connect(button("tbNew", "New Text Box (Ctrl + B)", QStringLiteral("T+"), false), &QToolButton::clicked, this,
            &TextToolbar::newClicked);
    connect(button("tbFont", "Font Options (Ctrl + F)", QStringLiteral("F"), false), &QToolButton::clicked, this,
            &TextToolbar::fontOptionsClicked);
    m_bold = button("tbBold", "Bold", QStringLiteral("B"), true);
    m_underline = button("tbUnderline", "Underline", QStringLiteral("U"), true);
    m_italic = button("tbItalic", "Italics", QStringLiteral("I"), true);
    {
        QFont f = m_bold->font();
        f.setBold(true);
        m_bold->setFont(f);
        f = m_underline->font();
        f.setUnderline(true);
        m_underline->setFont(f);
        f = m_italic->font();
        f.setItalic(true);
        m_italic->setFont(f);
    }
    connect(m_bold, &QToolButton::clicked, this, &TextToolbar::boldClicked);
    connect(m_underline, &QToolButton::clicked, this, &TextToolbar::underlineClicked);
    connect(m_italic, &QToolButton::clicked, this, &TextToolbar::italicClicked);

    separator();
    m_fontName = new QFontComboBox(this);
    m_fontName->setObjectName(QStringLiteral("cbFontName"));
    m_fontName->setToolTip(QStringLiteral("Font Names"));
    m_fontName->setEditable(true);
    m_fontName->setFixedWidth(kNameWidth);
    // Keep whatever name is typed, installed or not.
    m_fontName->setInsertPolicy(QComboBox::NoInsert);
    m_fontName->setEditText(QStringLiteral("Arial"));
    layout()->addWidget(m_fontName);
    connect(m_fontName, &QComboBox::currentTextChanged, this, [this](const QString &name) {
        if (!name.trimmed().isEmpty())
            emit fontNameEdited(name);
    });

    separator();
    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("seFontSize"));
    m_size->setToolTip(QStringLiteral("Font Size"));
    m_size->setRange(kMinField, kMaxField);
    m_size->setValue(kInitialField);
    m_size->setFixedHeight(kButtonHeight);
    layout()->addWidget(m_size);
    // Only a value the user gave counts; an emptied field sets nothing.
    connect(m_size, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_size->cleanText().isEmpty())
            emit sizeFieldEdited(v);
    });

    separator();
    m_border = button("tbBorder", "Border on/off", QStringLiteral("[ ]"), true);
    connect(m_border, &QToolButton::clicked, this, &TextToolbar::borderClicked);

    separator();
    auto *group = new QButtonGroup(this);
    group->setExclusive(true);
    const char *names[3] = {"tbAlignLeft", "tbAlignCenter", "tbAlignRight"};
    const char *hints[3] = {"Align Left (Ctrl + L)", "Align Center (Ctrl + J)", "Align Right (Ctrl + R)"};
    const QString texts[3] = {QStringLiteral("L"), QStringLiteral("C"), QStringLiteral("R")};
    for (int i = 0; i < 3; ++i) {
        m_align[i] = button(names[i], hints[i], texts[i], true);
        group->addButton(m_align[i]);
        const int value = kAlignValues[i];
        connect(m_align[i], &QToolButton::clicked, this, [this, value] { emit alignmentClicked(value); });
    }
    m_align[0]->setChecked(true);

    connect(button("tbClose", "Close Tool bar", QStringLiteral("X"), false), &QToolButton::clicked, this,
            &TextToolbar::closeClicked);
    adjustSize();
}

QToolButton *TextToolbar::button(const char *name, const char *hint, const QString &text, bool toggle)
{
    auto *b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setText(text);
    b->setCheckable(toggle);
    b->setFixedSize(kButtonWidth, kButtonHeight);
    b->setFocusPolicy(Qt::NoFocus);
    // Styles draw tool buttons in their own colours; a style sheet keeps ours.
    b->setStyleSheet(QStringLiteral("QToolButton { background: %1; border: 1px solid %2; }"
                                    "QToolButton:checked, QToolButton:pressed { background: %2; }")
                         .arg(palette::sidePanel.name(), palette::sidePanel.darker(140).name()));
    layout()->addWidget(b);
    return b;
}

void TextToolbar::separator()
{
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedHeight(kButtonHeight);
    layout()->addWidget(line);
}

QString TextToolbar::fontName() const { return m_fontName->currentText(); }
int TextToolbar::sizeField() const { return m_size->value(); }
bool TextToolbar::bold() const { return m_bold->isChecked(); }
bool TextToolbar::italic() const { return m_italic->isChecked(); }
bool TextToolbar::underline() const { return m_underline->isChecked(); }
bool TextToolbar::border() const { return m_border->isChecked(); }

int TextToolbar::alignment() const
{
    for (int i = 0; i < 3; ++i)
        if (m_align[i]->isChecked())
            return kAlignValues[i];
    return 0;
}

void TextToolbar::setFontName(const QString &name)
{
    const QSignalBlocker block(m_fontName);
    m_fontName->setEditText(name);
}

void TextToolbar::setSizeField(int field)
{
    const QSignalBlocker block(m_size);
    m_size->setValue(std::clamp(field, kMinField, kMaxField));
}

void TextToolbar::setStyle(bool bold, bool italic, bool underline)
{
    m_bold->setChecked(bold);
    m_italic->setChecked(italic);
    m_underline->setChecked(underline);
}

void TextToolbar::setBorder(bool on) { m_border->setChecked(on); }

void TextToolbar::setAlignment(int alignment)
{
    for (int i = 0; i < 3; ++i)
        if (kAlignValues[i] == alignment)
            m_align[i]->setChecked(true);
}

} // namespace vz
