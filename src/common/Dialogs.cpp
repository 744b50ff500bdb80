#include "common/Dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QToolButton>
#include <QVBoxLayout>

namespace vz {

namespace {
DialogResponder *g_responder = nullptr;
}

DialogResponder::DialogResponder() { g_responder = this; }
DialogResponder::~DialogResponder()
{
    if (g_responder == this)
        g_responder = nullptr;
}

QStringList DialogResponder::messages() const
{
    QStringList out;
    for (const DialogRequest &r : m_requests)
        if (r.kind == DialogRequest::Message)
            out.append(r.text);
    return out;
}

int DialogResponder::beeps() const
{
    int n = 0;
    for (const DialogRequest &r : m_requests)
        n += r.kind == DialogRequest::Beep;
    return n;
}

namespace dialogs {

namespace {

MsgResult firstButton(MsgButtons b)
{
    switch (b) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgResult::Yes;
    default:
        return MsgResult::OK;
    }
}

QString captionFor(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information: return QStringLiteral("Information");
    case MsgIcon::Confirmation: return QStringLiteral("Confirm");
    case MsgIcon::Warning: return QStringLiteral("Warning");
    case MsgIcon::Error: return QStringLiteral("Error");
    case MsgIcon::None: return QString();
    }
    return QString();
}

} // namespace

MsgResult message(const QString &text, MsgIcon icon, MsgButtons buttons, QWidget *parent, const QString &caption)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Message;
        req.text = text;
        req.caption = caption;
        req.icon = icon;
        req.buttons = buttons;
        r->m_requests.append(req);
        if (!r->m_results.isEmpty())
            return r->m_results.takeFirst();
        return firstButton(buttons);
    }

    QMessageBox box(parent);
    box.setWindowTitle(caption.isEmpty() ? captionFor(icon) : caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Confirmation: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case MsgButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MsgButtons::OKRetry: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Retry); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgResult::OK;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Retry: return MsgResult::Retry;
    default: return MsgResult::Cancel;
    }
}

static QString fileDialog(bool save, QWidget *parent, const QString &caption, const QString &folder,
                          const QString &filter, QString *selectedFilter, const SaveFileOptions &options = {})
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = save ? DialogRequest::SaveFile : DialogRequest::OpenFile;
        req.text = caption;
        req.folder = folder;
        req.filter = filter;
        req.defaultSuffix = options.defaultSuffix;
        req.overwriteQuestion = options.overwriteQuestion;
        r->m_requests.append(req);
        QString name = r->m_fileNames.isEmpty() ? QString() : r->m_fileNames.takeFirst();
        // The dialog adds its default suffix to a name that has none.
        if (save && !name.isEmpty() && !options.defaultSuffix.isEmpty() && QFileInfo(name).suffix().isEmpty())
            name += QLatin1Char('.') + options.defaultSuffix;
        return name;
    }
    if (!save)
        return QFileDialog::getOpenFileName(parent, caption, folder, filter, selectedFilter);
    QFileDialog dlg(parent, caption, folder, filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !options.overwriteQuestion);
    if (!options.defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(options.defaultSuffix);
    if (selectedFilter && !selectedFilter->isEmpty())
        dlg.selectNameFilter(*selectedFilter);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dlg.selectedNameFilter();
    return dlg.selectedFiles().constFirst();
}

QString openFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter)
{
    return fileDialog(false, parent, caption, folder, filter, selectedFilter);
}

QString saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter)
{
    return fileDialog(true, parent, caption, folder, filter, selectedFilter);
}

QString saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter,
                     QString *selectedFilter, const SaveFileOptions &options)
{
    return fileDialog(true, parent, caption, folder, filter, selectedFilter, options);
}

bool chooseFont(QFont &font, QWidget *parent)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Font;
        r->m_requests.append(req);
        if (r->m_fonts.isEmpty())
            return false;
        font = r->m_fonts.takeFirst();
        if (!r->m_fontColours.isEmpty())
            r->m_fontColours.removeFirst();
        return true;
    }
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = f;
    return ok;
}

namespace {

// The 16 colours of the classic basic palette, in its order.
constexpr QRgb kBasicColours[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// A font dialog without buttons of its own, a colour row and OK / Cancel.
class FontColourDialog : public QDialog
{
public:
    FontColourDialog(const QFont &font, const QColor &colour, QWidget *parent)
        : QDialog(parent)
        , m_colour(colour)
    {
        setObjectName(QStringLiteral("FontColourDialog"));
        setWindowTitle(QStringLiteral("Font"));
        auto *v = new QVBoxLayout(this);
        m_fonts = new QFontDialog(font, this);
        m_fonts->setOption(QFontDialog::NoButtons, true);
        m_fonts->setWindowFlags(Qt::Widget);
        v->addWidget(m_fonts);
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Colour:"), this));
        auto *group = new QButtonGroup(this);
        for (int i = 0; i < 16; ++i) {
            const QRgb rgb = kBasicColours[i];
            auto *b = new QToolButton(this);
            b->setObjectName(QStringLiteral("colour%1").arg(i));
            const QColor c = QColor::fromRgb(rgb);
            b->setCheckable(true);
            b->setFixedSize(20, 20);
            b->setStyleSheet(QStringLiteral("QToolButton { background: %1; border: 1px solid gray; }"
                                            "QToolButton:checked { border: 2px solid black; }")
                                 .arg(c.name()));
            b->setChecked(c.rgb() == colour.rgb());
            group->addButton(b);
            connect(b, &QToolButton::clicked, this, [this, c] { m_colour = c; });
            row->addWidget(b);
        }
        row->addStretch(1);
        v->addLayout(row);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        v->addWidget(buttons);
    }
    QFont font() const { return m_fonts->currentFont(); }
    QColor colour() const { return m_colour; }

private:
    QFontDialog *m_fonts = nullptr;
    QColor m_colour;
};

} // namespace

bool chooseFont(QFont &font, QColor &colour, QWidget *parent)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Font;
        r->m_requests.append(req);
        if (r->m_fonts.isEmpty())
            return false;
        font = r->m_fonts.takeFirst();
        const QColor c = r->m_fontColours.isEmpty() ? QColor() : r->m_fontColours.takeFirst();
        if (c.isValid())
            colour = c;
        return true;
    }
    FontColourDialog dlg(font, colour, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    font = dlg.font();
    colour = dlg.colour();
    return true;
}

bool printerSetup(QPrinter *printer, QWidget *parent)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Printer;
        r->m_requests.append(req);
        return !r->m_printer.isEmpty() && r->m_printer.takeFirst()(printer);
    }
    QPrintDialog dlg(printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

void beep()
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Beep;
        r->m_requests.append(req);
        return;
    }
    QApplication::beep();
}

int choose(const QString &caption, const QStringList &choices, const std::function<int()> &show)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Choice;
        req.text = caption;
        req.choices = choices;
        r->m_requests.append(req);
        const int index = r->m_choices.isEmpty() ? -1 : r->m_choices.takeFirst();
        return index >= 0 && index < choices.size() ? index : -1;
    }
    return show ? show() : -1;
}

} // namespace dialogs
} // namespace vz
