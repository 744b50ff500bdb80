#pragma once

#include <QApplication>

#include <functional>

namespace vz {

// The application object. Errors of the program's own family (and any other
// standard exception) that no handler caught are shown in an error box, and
// the program goes on.
class VzApplication : public QApplication
{
    Q_OBJECT
public:
    VzApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // The application's default error report.
    static void reportError(const QString &text);
};

// Runs `step` under the application's error report: an error of the
// program's family or any other standard exception is reported as
// VzApplication::notify reports it, and false is returned; the caller goes on.
// Start-up runs each of its steps this way, so one failing step does not end
// the program before its window exists.
bool runReported(const std::function<void()> &step);

} // namespace vz
