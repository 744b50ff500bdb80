#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
class QPrinter;

namespace vz {

// One facade for every message box, file dialog, font and printer dialog and
// the beep. Production shows Qt's dialogs; a test installs a DialogResponder
// that records every request and answers with scripted values.

enum class MsgIcon { Information, Confirmation, Warning, Error, None };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel, OKRetry };
enum class MsgResult { OK, Cancel, Yes, No, Retry };

struct DialogRequest
{
    enum Kind { Message, OpenFile, SaveFile, Font, Printer, Beep, Choice };
    Kind kind = Message;
    QString text;     // message text, or the dialog caption
    QString caption;  // a message box's own caption (empty: the icon's)
    MsgIcon icon = MsgIcon::Information;
    MsgButtons buttons = MsgButtons::OK;
    QString folder;   // file dialogs: starting folder
    QString filter;   // file dialogs: name filter
    QString defaultSuffix;            // save dialogs
    bool overwriteQuestion = true;    // save dialogs
    QStringList choices;              // choosers
};

// How a save dialog behaves beyond its caption, folder and filter.
struct SaveFileOptions
{
    // Without a question of its own the caller asks (or doesn't) itself.
    bool overwriteQuestion = true;
    // Added to a name without a suffix, as the dialog does (no leading dot).
    QString defaultSuffix;
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
    void queuePrinterAccepted(bool accepted)
    {
        m_printer.append([accepted](QPrinter *) { return accepted; });
    }
    // A printer dialog the test answers like a user: `edit` changes the
    // printer and returns whether the dialog was accepted.
    void queuePrinterSetup(std::function<bool(QPrinter *)> edit) { m_printer.append(std::move(edit)); }
    // A chooser's answer: the index of the choice, or -1 for Cancel.
    void queueChoice(int index) { m_choices.append(index); }

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
    QList<std::function<bool(QPrinter *)>> m_printer;
    QList<int> m_choices;
};

namespace dialogs {

// `caption` replaces the icon's caption (Information, Confirm, Warning,
// Error; none for MsgIcon::None).
MsgResult message(const QString &text, MsgIcon icon, MsgButtons buttons, QWidget *parent = nullptr,
                  const QString &caption = QString());
inline void information(const QString &text, QWidget *parent = nullptr) { message(text, MsgIcon::Information, MsgButtons::OK, parent); }
inline void error(const QString &text, QWidget *parent = nullptr) { message(text, MsgIcon::Error, MsgButtons::OK, parent); }

// Empty result when cancelled.
QString openFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter = nullptr);
QString saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter, QString *selectedFilter = nullptr);
QString saveFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter,
                     QString *selectedFilter, const SaveFileOptions &options);
bool chooseFont(QFont &font, QWidget *parent = nullptr);
// The font dialog with a row of the 16 basic colours beside it.
bool chooseFont(QFont &font, QColor &colour, QWidget *parent = nullptr);
bool printerSetup(QPrinter *printer, QWidget *parent = nullptr);
void beep();

// One of the program's own choosers (which picture, which kind of file):
// `show` builds and runs the real dialog and returns the chosen index, -1
// for Cancel. Under a responder the request is recorded with its choices
// and answered from the queue (-1 when nothing is queued).
int choose(const QString &caption, const QStringList &choices, const std::function<int()> &show);

} // namespace dialogs
} // namespace vz
