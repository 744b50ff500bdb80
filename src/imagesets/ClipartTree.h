#pragma once

#include <QString>
#include <QStringList>

namespace vz {

// Where the full-size images of each clip-art set live: entries
// "set=folder/" with the set name lower-cased. Scans only append; a look-up
// takes the first entry whose set matches without regard to case.
class SetFolderMap
{
public:
    void append(const QString &set, const QString &folder);
    // The folder (with a trailing slash) of `set`, or an empty text.
    QString folderOf(const QString &set) const;
    const QStringList &entries() const { return m_entries; }

private:
    QStringList m_entries;
};

// Scans a clip-art tree ("Images/Color" or "Images/BW") for set data files
// (".qn"): appends their sets to `map` and returns the category entries
// "Name=folder/=Description", sorted, followed by "Everything=" and the tree
// folder. Raises FileError when a set data file cannot be read. `folders`,
// when given, receives each entry's folder: an entry whose Description is
// empty ends in "=", which then stays part of its folder field.
QStringList scanClipartTree(const QString &tree, SetFolderMap &map, QStringList *folders = nullptr);

// The folder part of a category entry.
QString categoryFolder(const QString &entry);

} // namespace vz
