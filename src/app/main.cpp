// Vellozine Ririraz: decorative lettering and clip-art.

#include "common/VzApplication.h"
#include "shell/formVZMain.h"

int main(int argc, char **argv)
{
    vz::VzApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vellozine Ririraz"));
    app.setOrganizationName(QStringLiteral("Corvanta"));

    vz::TfrmVZMain window(app.arguments().mid(1));
    if (window.terminateRequested())
        return 1;
    window.show();
    return app.exec();
}
