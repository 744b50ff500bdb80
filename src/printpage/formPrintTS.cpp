#include "printpage/formPrintTS.h"

#include "common/Dialogs.h"
#include "common/ModalHook.h"
#include "common/ScaleForm.h"
#include "platform/Registry.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace vz {

namespace {

const QString kTypeValue = QStringLiteral("PrintTypeInt");
const QString kStyleValue = QStringLiteral("PrintStyleInt");

TfrmPrintTS::ModalHook &modalHook()
{
    static TfrmPrintTS::ModalHook hook;
    return hook;
}

// A missing value, and one of another type, read as "none".
int readOption(const RegistryKey &reg, const QString &name)
{
    if (!reg.valueExists(name))
        return TfrmPrintTS::kNone;
    try {
        return reg.readInteger(name);
    } catch (const RegistryError &) {
        return TfrmPrintTS::kNone;
    }
}

} // namespace

TfrmPrintTS::TfrmPrintTS(const QString &settingsKey, bool useStore, QWidget *parent)
    : QDialog(parent)
    , m_key(settingsKey)
    , m_useStore(useStore)
{
    setObjectName(QStringLiteral("frmPrintTS"));
    setWindowTitle(QStringLiteral("Printing Options"));
    resize(498, 185);
    // A window of its own: it does not take the main window's font.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);

    auto *headline = new QLabel(QStringLiteral("Printer Troubleshooting"), this);
    headline->setObjectName(QStringLiteral("lblHeadline"));
    QFont hf = headline->font();
    hf.setPixelSize(19);
    headline->setFont(hf);
    headline->setGeometry(8, 4, 482, 26);

    auto *instruction = new QLabel(
        QStringLiteral("For best printing results try each of the options one at a time. Then try combining one "
                       "option from the left and one from the right.  To open this dialog box at any time press the "
                       "Ctrl + T keys while in the print section or click the Printer Options button."),
        this);
    instruction->setObjectName(QStringLiteral("lblInstruction"));
    instruction->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    instruction->setWordWrap(true);
    instruction->setGeometry(8, 32, 482, 44);

    auto *types = new QGroupBox(QStringLiteral(" Options for printing: "), this);
    types->setObjectName(QStringLiteral("grpPrintType"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    types->setFont(arial);
    types->setGeometry(8, 80, 280, 68);
    auto *styles = new QGroupBox(QStringLiteral(" Print job size reduction "), this);
    styles->setObjectName(QStringLiteral("grpPrintStyle"));
    styles->setGeometry(296, 80, 194, 68);

    struct Box { const char *name; const char *caption; QRect rect; };
    const Box typeBoxes[4] = {
        {"chkDdb", "Use DDB's (BitBlt)", QRect(10, 18, 130, 20)},
        {"chk24Bit", "Convert to 24bit", QRect(146, 18, 128, 20)},
        {"chkStretchDib", "Use StretchDIBits", QRect(10, 42, 130, 20)},
        {"chkExcellent", "Use TExcellent", QRect(146, 42, 128, 20)},
    };
    const Box styleBoxes[3] = {
        {"chkCompress", "Compress", QRect(10, 18, 80, 20)},
        {"chkWinStretch", "WinStretch", QRect(96, 18, 92, 20)},
        {"chkSlowDown", "Slow Down Print Job", QRect(10, 42, 178, 20)},
    };
    for (int group = 0; group < 2; ++group) {
        const Box *boxes = group == 0 ? typeBoxes : styleBoxes;
        const int count = group == 0 ? 4 : 3;
        for (int tag = 0; tag < count; ++tag) {
            auto *b = new QCheckBox(QLatin1String(boxes[tag].caption), group == 0 ? types : styles);
            b->setObjectName(QLatin1String(boxes[tag].name));
            b->setProperty("tag", tag);
            b->setGeometry(boxes[tag].rect);
            connect(b, &QCheckBox::clicked, this, [this, group, tag] { boxClicked(group, tag); });
            (group == 0 ? m_types : m_styles)[tag] = b;
        }
    }

    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setGeometry(334, 154, 75, 25);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &TfrmPrintTS::btnCancelClick);
    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setGeometry(415, 154, 75, 25);
    connect(ok, &QPushButton::clicked, this, &TfrmPrintTS::btnOkClick);

    setBoxes(kTypeStretchDib, kNone);
    ScaleFormToScreen(this, screenDpiOf(this));
    // Scaled first: a fixed size would keep the design size.
    setFixedSize(size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    LoadPrintOptions();
}

void TfrmPrintTS::setModalHook(ModalHook hook) { modalHook() = std::move(hook); }

QCheckBox *TfrmPrintTS::box(int group, int tag) const
{
    if (group == 0 && tag >= 0 && tag < 4)
        return m_types[tag];
    if (group == 1 && tag >= 0 && tag < 3)
        return m_styles[tag];
    return nullptr;
}

bool TfrmPrintTS::isChecked(int group, int tag) const
{
    const QCheckBox *b = box(group, tag);
    return b && b->isChecked();
}

void TfrmPrintTS::setBoxes(int type, int style)
{
    for (QCheckBox *b : m_types)
        b->setChecked(false);
    const int typeTag = type == kTypeDdb || type == kTypeConvert24 || type == kTypeExcellent ? type : kTypeStretchDib;
    m_types[typeTag]->setChecked(true);
    for (QCheckBox *b : m_styles)
        b->setChecked(false);
    if (style >= 0 && style < 3)
        m_styles[style]->setChecked(true);
}

void TfrmPrintTS::LoadPrintOptions()
{
    // A "local" run keeps whatever the boxes say for the whole run.
    if (!m_useStore)
        return;
    int type = kNone;
    int style = kNone;
    RegistryKey reg(RegRoot::LocalMachine);
    if (reg.openKey(m_key, true)) {
        type = readOption(reg, kTypeValue);
        style = readOption(reg, kStyleValue);
        reg.closeKey();
    }
    setBoxes(type, style);
}

int TfrmPrintTS::runModal()
{
    LoadPrintOptions();
    return runModalDialog(*this, modalHook());
}

void TfrmPrintTS::boxClicked(int group, int tag)
{
    if (m_clicking != kNone)
        return;
    m_clicking = tag;
    // A click that unchecks its box leaves the group empty.
    if (group == 0) {
        for (QCheckBox *b : m_types)
            if (b->property("tag").toInt() != tag)
                b->setChecked(false);
    } else {
        for (QCheckBox *b : m_styles)
            if (b->property("tag").toInt() != tag)
                b->setChecked(false);
    }
    m_clicking = kNone;
}

int TfrmPrintTS::checkedType() const
{
    for (int tag : {kTypeExcellent, kTypeStretchDib, kTypeConvert24, kTypeDdb})
        if (m_types[tag]->isChecked())
            return tag;
    return kNone;
}

int TfrmPrintTS::checkedStyle() const
{
    for (int tag : {kStyleSlowDown, kStyleWinStretch, kStyleCompress})
        if (m_styles[tag]->isChecked())
            return tag;
    return kNone;
}

PrintType TfrmPrintTS::printType() const
{
    const int type = checkedType();
    return type == kNone ? PrintType::Banded : PrintType(type);
}

PrintStyle TfrmPrintTS::printStyle() const { return PrintStyle(checkedStyle()); }

void TfrmPrintTS::btnOkClick()
{
    int type = checkedType();
    if (type == kNone) {
        type = kTypeStretchDib;
        m_types[kTypeStretchDib]->setChecked(true);
    }
    const int style = checkedStyle();
    if (m_useStore) {
        RegistryKey reg(RegRoot::LocalMachine);
        if (reg.openKey(m_key, true)) {
            try {
                reg.writeInteger(kTypeValue, type);
                reg.writeInteger(kStyleValue, style);
            } catch (const RegistryError &e) {
                // The boxes still hold for this run; the user learns they were not kept.
                dialogs::error(e.message(), this);
            }
            reg.closeKey();
        }
    }
    accept();
}

void TfrmPrintTS::btnCancelClick() { reject(); }

} // namespace vz
