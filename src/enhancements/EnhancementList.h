#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vz {

// The enhancement list "DllList.txt" in the Enhancements folder: one list
// entry a line (library=  display=third=procedure), UTF-8 with CR LF.

inline const QString kEnhancementListFile = QStringLiteral("DllList.txt");
inline const QString kInstalledFolder = QStringLiteral("Installed");
// The list's only row while nothing is installed; its blank first field
// starts nothing.
inline const QString kPlaceholderEntry = QStringLiteral("  =  None Found = = ");

enum class ListRead { Ok, Missing, Unreadable };

// Reads the list's entries (blank lines are no entries). A missing file is an
// empty list; an unreadable one leaves `entries` empty and names the reason.
ListRead readEnhancementList(const QString &path, QStringList *entries, QString *error = nullptr);
QByteArray encodeEnhancementList(const QStringList &entries);
// Replaces the list file beside itself, so a failure keeps the old one.
bool writeEnhancementList(const QString &path, const QStringList &entries, QString *error = nullptr);

// The index of an entry with the same library (field 1) and entry procedure
// (field 4) as `entry`, or -1: installing such an enhancement again updates
// its row rather than adding a second one.
qsizetype findSameEnhancement(const QStringList &entries, const QString &entry);

// The descriptor files of `folder`: ordinary, non-hidden files (no folders)
// whose extension is "hmp" in any case, sorted by name. No subfolders.
QStringList findDescriptors(const QString &folder);

// Moves `folder`/`fileName` into `folder`/Installed/, creating that folder
// when missing and replacing a file of the same name there.
bool moveToInstalled(const QString &folder, const QString &fileName);

} // namespace vz
