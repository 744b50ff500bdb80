// vztool: the command-line companion of Vellozine Ririraz.

#include "Command.h"

#include <QGuiApplication>

#include <algorithm>
#include <memory>

using namespace vztool;

static void printHelp()
{
    out(QStringLiteral("usage: vztool COMMAND [ARGS...]"));
    out(QString());
    out(QStringLiteral("commands:"));
    QList<Command> sorted = commands();
    std::sort(sorted.begin(), sorted.end(), [](const Command &a, const Command &b) { return a.usage < b.usage; });
    for (const Command &c : sorted)
        out(QStringLiteral("  %1\n      %2").arg(c.usage, c.summary));
}

int main(int argc, char **argv)
{
    // Fonts and painting need a GUI application (no window is ever shown);
    // the commands that need neither start quicker without one.
    bool gui = true;
    for (const Command &c : commands())
        if (argc > 1 && c.name == QLatin1String(argv[1]))
            gui = c.needsGui;
    std::unique_ptr<QCoreApplication> app;
    if (gui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")
        || args.first() == QLatin1String("help")) {
        printHelp();
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const Command &c : commands())
        if (c.name == name)
            return c.run(args);
    err(QStringLiteral("vztool: unknown command \"%1\" (try vztool --help)").arg(name));
    return 2;
}
