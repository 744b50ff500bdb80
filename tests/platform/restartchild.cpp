// A small program for the restart test: it logs each run (working folder and
// arguments) to FOLDER/runs.txt and asks for one restart on its first run,
// ending as the program does.

#include "platform/Restart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return 2;
    QFile log(args.first() + QStringLiteral("/runs.txt"));
    const bool first = !log.exists();
    if (!log.open(QIODevice::Append))
        return 3;
    log.write((QDir::currentPath() + QLatin1Char('\t') + args.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
    log.close();
    if (first)
        vz::requestRestart(args);
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int code = app.exec();
    if (vz::restartRequested()) {
        QString why;
        if (!vz::startProgramAgain(&why)) {
            std::fprintf(stderr, "cannot start again: %s\n", qPrintable(why));
            return 1;
        }
    }
    return code;
}
