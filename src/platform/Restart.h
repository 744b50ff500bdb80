#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace vz {

// A request to start the program again once it has ended (a catalog update
// that has more to do). The request is kept until the process ends.
void requestRestart(const QStringList &arguments);
bool restartRequested();
QStringList restartArguments();
// For tests that run several windows in one process.
void clearRestartRequest();

// Starts this program's executable again, detached, with the requested
// arguments and the current working folder. False, with the reason, when it
// cannot be started. Tests install a hook to see the start instead.
bool startProgramAgain(QString *error = nullptr);
using RestartHook = std::function<bool(const QString &program, const QStringList &arguments,
                                       const QString &workingFolder)>;
void setRestartHook(RestartHook hook);

} // namespace vz
