#pragma once

#include <QString>
#include <QStringList>

namespace vz {

struct StartupSettings
{
    QString imageFolder;  // ends with "/"
    QString versionText;  // empty with "local"
    bool usedRegistry = false;
};

// Steps 5 and 6 of start-up: choose the image folder and read or write the
// version, from the command line arguments (without the program name) and the
// settings store. With the first argument exactly "local" the store is not
// touched.
StartupSettings readStartupSettings(const QStringList &args, const QString &programFolder);

} // namespace vz
