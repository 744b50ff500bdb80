#include "common/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>

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
    }
    return QString();
}

} // namespace

MsgResult message(const QString &text, MsgIcon icon, MsgButtons buttons, QWidget *parent)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Message;
        req.text = text;
        req.icon = icon;
        req.buttons = buttons;
        r->m_requests.append(req);
        if (!r->m_results.isEmpty())
            return r->m_results.takeFirst();
        return firstButton(buttons);
    }

    QMessageBox box(parent);
    box.setWindowTitle(captionFor(icon));
    box.setText(text);
    switch (icon) {
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Confirmation: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
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
                          const QString &filter, QString *selectedFilter)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = save ? DialogRequest::SaveFile : DialogRequest::OpenFile;
        req.text = caption;
        req.folder = folder;
        req.filter = filter;
        r->m_requests.append(req);
        return r->m_fileNames.isEmpty() ? QString() : r->m_fileNames.takeFirst();
    }
    return save ? QFileDialog::getSaveFileName(parent, caption, folder, filter, selectedFilter)
                : QFileDialog::getOpenFileName(parent, caption, folder, filter, selectedFilter);
}

QString openFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter)
{
    return fileDialog(false, parent, caption, folder, filter, selectedFilter);
}

QString saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter)
{
    return fileDialog(true, parent, caption, folder, filter, selectedFilter);
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
        return true;
    }
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = f;
    return ok;
}

bool printerSetup(QPrinter *printer, QWidget *parent)
{
    if (DialogResponder *r = g_responder) {
        DialogRequest req;
        req.kind = DialogRequest::Printer;
        r->m_requests.append(req);
        return !r->m_printer.isEmpty() && r->m_printer.takeFirst();
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

} // namespace dialogs
} // namespace vz
