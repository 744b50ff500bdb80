#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;

namespace vz {

// One facade for every message box, file dialog, font and printer dialog and
// the beep. Production shows Qt's dialogs; a test installs a DialogResponder
// that records every request and answers with scripted values.

enum class MsgIcon { Information, Confirmation, Warning, Error };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel, OKRetry };
enum class MsgResult { OK, Cancel, Yes, No, Retry };

struct DialogRequest
{
    enum Kind { Message, OpenFile, SaveFile, Font, Printer, Beep };
    Kind kind = Message;
    QString text;     // message text, or the dialog caption
    MsgIcon icon = MsgIcon::Information;
    MsgButtons buttons = MsgButtons::OK;
    QString folder;   // file dialogs: starting folder
    QString filter;   // file dialogs: name filter
};

class DialogResponder
{
public:
    DialogResponder();  // installs itself
    ~DialogResponder(); // uninstalls
    DialogResponder(const DialogResponder &) = delete;
    DialogResponder &operator=(const DialogResponder &) = delete;

    // Answers, taken in order; when the queue is empty a message box answers
    // with its first button (OK or Yes), a file dialog is cancelled (empty
    // name), the font and printer dialogs are cancelled.
    void queueResult(MsgResult r) { m_results.append(r); }
    void queueFileName(const QString &name) { m_fileNames.append(name); }
    void queueFont(const QFont &font) { queueFont(font, QColor()); }
    // An invalid colour leaves the caller's colour as it was.
    void queueFont(const QFont &font, const QColor &colour)
    {
        m_fonts.append(font);
        m_fontColours.append(colour);
    }
    void queuePrinterAccepted(bool accepted) { m_printer.append(accepted); }

    const QList<DialogRequest> &requests() const { return m_requests; }
    QStringList messages() const; // texts of the message boxes, in order
    int beeps() const;
    void clear() { m_requests.clear(); }

    // Queues and records, used by the dialog functions.
    QList<DialogRequest> m_requests;
    QList<MsgResult> m_results;
    QStringList m_fileNames;
    QList<QFont> m_fonts;
    QList<QColor> m_fontColours;
    QList<bool> m_printer;
};

namespace dialogs {

MsgResult message(const QString &text, MsgIcon icon, MsgButtons buttons, QWidget *parent = nullptr);
inline void information(const QString &text, QWidget *parent = nullptr) { message(text, MsgIcon::Information, MsgButtons::OK, parent); }
inline void error(const QString &text, QWidget *parent = nullptr) { message(text, MsgIcon::Error, MsgButtons::OK, parent); }

// Empty result when cancelled.
QString openFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter = nullptr);
QString saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter = nullptr);
bool chooseFont(QFont &font, QWidget *parent = nullptr);
// The font dialog with a row of the 16 basic colours beside it.
bool chooseFont(QFont &font, QColor &colour, QWidget *parent = nullptr);
bool printerSetup(QPrinter *printer, QWidget *parent = nullptr);
void beep();

} // namespace dialogs
} // namespace vz
