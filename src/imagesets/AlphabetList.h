#pragma once

#include <QString>
#include <QStringList>

namespace vz {

// The name of an alphabet's set data file.
inline const QString kAlphabetSetFile = QStringLiteral("ImageSetData.qn");

// Scans `treeFolder` at any depth for alphabet folders (a set data file of
// Version "2") and replaces `list` with their entries, sorted without regard
// to case by the locale's collation; an entry whose text equals one already
// listed is dropped (texts compare exactly, as the file system compares the
// folders they name). Each real folder is
// scanned once, as by FindFilesInTree. A missing tree gives
// an empty list. A set data file that cannot be read raises FileError and
// leaves `list` untouched.
void LoadAlphabetList(QStringList &list, const QString &treeFolder);

// The entry text for one alphabet folder's set data lines, or an empty text
// when the folder is no alphabet (Version is not exactly "2").
QString alphabetEntry(const QStringList &setDataLines, const QString &folder);

// The fixed last entry of the alphabet list.
QString moreAlphabetsEntry();

// Appends the full path of every file named "*.<extension>" (the extension
// in any case) in `folder` and its subfolders; a folder's own files come
// before its subfolders'. Hidden files and folders are left out. Each real
// folder is searched once: one reached again through a link is skipped, the
// path met first in listing order is the one recorded.
void FindFilesInTree(const QString &folder, const QString &extension, QStringList &result);

// Sub-folders of `folder` in the order the program visits them (hidden ones
// left out).
QStringList listSubfolders(const QString &folder);

} // namespace vz
