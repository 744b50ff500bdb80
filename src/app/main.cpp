// Vellozine Ririraz: decorative lettering and clip-art.

#include "common/VzApplication.h"
#include "platform/Restart.h"
#include "shell/formVZMain.h"

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    vz::VzApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vellozine Ririraz"));
    app.setOrganizationName(QStringLiteral("Corvanta"));
    // Ties the windows to the menu entry (vellozine.desktop) and its icon.
    app.setDesktopFileName(QStringLiteral("vellozine"));

    int code = 0;
    {
        auto window = std::make_unique<vz::TfrmVZMain>(app.arguments().mid(1));
        if (window->terminateRequested())
            return 1;
        window->show();
        code = app.exec();
    }
    // A catalog update with more to do asked for a fresh start; its markers
    // and the settings flag stay, so a failed start loses nothing.
    if (vz::restartRequested()) {
        QString why;
        if (!vz::startProgramAgain(&why)) {
            std::fprintf(stderr, "vellozine: cannot start again: %s\n", qPrintable(why));
            return 1;
        }
    }
    return code;
}
