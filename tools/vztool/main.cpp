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
    // The words as given: the application object takes Qt's own options
    // (-style, -platform, ...) out of argv, and commands have options of
    // the same names.
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    std::unique_ptr<QCoreApplication> app;
    if (gui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (first.isEmpty() || first == QLatin1String("--help") || first == QLatin1String("-h")
        || first == QLatin1String("help")) {
        printHelp();
        return first.isEmpty() ? 2 : 0;
    }
    const QString name = first;
    for (const Command &c : commands())
        if (c.name == name)
            return c.run(args);
    err(QStringLiteral("vztool: unknown command \"%1\" (try vztool --help)").arg(name));
    return 2;
}
