#include "shell/Startup.h"

#include "common/ProgramFolder.h"
#include "platform/Registry.h"
#include "shell/AppState.h"

#include <QFileInfo>

namespace vz {

namespace {
QString g_versionText;
}

QString versionText() { return g_versionText; }
void setVersionText(const QString &text) { g_versionText = text; }

StartupSettings readStartupSettings(const QStringList &args, const QString &programFolder)
{
    StartupSettings out;
    QString folder;
    if (!args.isEmpty() && args.first() == QLatin1String("local")) {
        folder = programFolder;
    } else {
        out.usedRegistry = true;
        try {
            RegistryKey reg(RegRoot::LocalMachine);
            if (reg.openKey(kSettingsKey, true)) {
                if (reg.valueExists(QStringLiteral("ImageDir"))) {
                    folder = reg.readString(QStringLiteral("ImageDir"));
                } else {
                    folder = programFolder;
                    reg.writeString(QStringLiteral("ImageDir"), programFolder);
                }
                if (reg.valueExists(QStringLiteral("VersionNum"))) {
                    out.versionText = reg.readString(QStringLiteral("VersionNum"));
                    if (out.versionText != kProgramVersion) {
                        reg.writeString(QStringLiteral("VersionNum"), kProgramVersion);
                        out.versionText = kProgramVersion;
                    }
                } else {
                    reg.writeString(QStringLiteral("VersionNum"), kProgramVersion);
                    out.versionText = kProgramVersion;
                }
            } else {
                folder.clear();
            }
        } catch (const VzError &) {
            // The registry work ends here; the image folder is the program folder.
            folder.clear();
        }
        if (folder.isEmpty())
            folder = programFolder;
    }
    folder = withTrailingSlash(folder);
    if (!QFileInfo(folder).isDir())
        folder = programFolder;
    out.imageFolder = folder;
    return out;
}

} // namespace vz
