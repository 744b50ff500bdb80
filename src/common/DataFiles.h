#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace vz {

// Whether `name` ends with "." and `extension` (given without the dot), the
// extension compared without regard to case: sets copied from Windows carry
// "X.QN" or "Images.CATALOG" as often as the lower-case forms. Every folder
// walk that looks for the program's data files matches them with this.
bool hasDataExtension(const QString &name, const QString &extension);

// Whether `name` is the data file `wanted` ("ImageSetData.qn"): the part
// before the extension as the file system compares names, the extension
// without regard to case.
bool isDataFileNamed(const QString &name, const QString &wanted);

// The files of `folder` (hidden ones left out) that are the data file
// `wanted`, the exact spelling first, then the others in listing order.
QStringList dataFilesNamed(const QString &folder, const QString &wanted);

// The set of real folders one walk has entered. enter() is true the first
// time a folder (by its canonical path) is met and false when it is met
// again through a link, or does not exist, so walks never loop.
class VisitedFolders
{
public:
    bool enter(const QString &folder);

private:
    QSet<QString> m_seen;
};

} // namespace vz
