#pragma once

#include <QString>

namespace vz {

// The folder of the running executable, ending with "/". Every data file and
// folder of the program is found below it. Tests may point it elsewhere.
QString programFolder();
void setProgramFolder(const QString &folder);

// Appends "/" to a folder path that does not end with one.
QString withTrailingSlash(const QString &folder);

} // namespace vz
