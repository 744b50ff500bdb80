#include "common/ProgramFolder.h"

#include <QCoreApplication>

namespace vz {

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString withTrailingSlash(const QString &folder)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return withTrailingSlash(QCoreApplication::applicationDirPath());
}

void setProgramFolder(const QString &folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : withTrailingSlash(folder);
}

} // namespace vz
