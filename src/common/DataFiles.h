#pragma once

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

} // namespace vz
