#include "platform/Restart.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace vz {

namespace {

struct RestartState
{
    bool requested = false;
    QStringList arguments;
    RestartHook hook;
};

RestartState &state()
{
    static RestartState s;
    return s;
}

} // namespace

void requestRestart(const QStringList &arguments)
{
    state().requested = true;
    state().arguments = arguments;
}

bool restartRequested() { return state().requested; }
QStringList restartArguments() { return state().arguments; }

void clearRestartRequest()
{
    state().requested = false;
    state().arguments.clear();
}

void setRestartHook(RestartHook hook) { state().hook = std::move(hook); }

bool startProgramAgain(QString *error)
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString folder = QDir::currentPath();
    if (state().hook)
        return state().hook(program, state().arguments, folder);
    QProcess process;
    process.setProgram(program);
    process.setArguments(state().arguments);
    process.setWorkingDirectory(folder);
    if (process.startDetached())
        return true;
    if (error)
        *error = process.errorString();
    return false;
}

} // namespace vz
