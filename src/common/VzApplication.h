#pragma once

#include <QApplication>

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

} // namespace vz
