#pragma once

#include <QStringList>

#include <functional>

// The command table of vztool. A command file registers itself with a static
// Registration object; the command receives the arguments after its name and
// returns the process exit status.
namespace vztool {

struct Command
{
    QString name;     // first word, e.g. "alphabets" or "catalog"
    QString usage;    // one line, e.g. "alphabets TREE"
    QString summary;  // one line of explanation
    std::function<int(const QStringList &args)> run;
    bool needsGui = true; // fonts or painting: start a GUI application
};

QList<Command> &commands();

struct Registration
{
    explicit Registration(Command c) { commands().append(std::move(c)); }
};

// Output helpers (UTF-8, no buffering surprises between the two streams).
void out(const QString &line);
void err(const QString &line);

} // namespace vztool
