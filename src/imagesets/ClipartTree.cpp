#include "imagesets/ClipartTree.h"

#include "common/NameValueFile.h"
#include "common/ProgramFolder.h"
#include "common/SplitFields.h"
#include "common/VzError.h"
#include "imagesets/AlphabetList.h"

#include <QCollator>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace vz {

void SetFolderMap::append(const QString &set, const QString &folder)
{
    m_entries.append(set.toLower() + QLatin1Char('=') + withTrailingSlash(folder));
}

QString SetFolderMap::folderOf(const QString &set) const
{
    for (const QString &e : m_entries) {
        const QStringList f = SplitFields(e, QLatin1Char('='));
        if (f.size() >= 2 && f[0].compare(set, Qt::CaseInsensitive) == 0)
            return f[1];
    }
    return QString();
}

QStringList scanClipartTree(const QString &tree, SetFolderMap &map, QStringList *folders)
{
    QStringList setFiles;
    FindFilesInTree(tree, QStringLiteral("qn"), setFiles);
    struct Category
    {
        QString entry;
        QString folder;
    };
    std::vector<Category> categories;
    for (const QString &path : setFiles) {
        NameValueFile data;
        if (!data.load(path))
            throw FileError(QStringLiteral("Cannot open file \"%1\".").arg(path));
        const QString folder = withTrailingSlash(QFileInfo(path).path());
        map.append(data.value(QStringLiteral("Set")), folder);
        categories.push_back({data.value(QStringLiteral("Name")) + QLatin1Char('=') + folder + QLatin1Char('=')
                                  + data.value(QStringLiteral("Description")),
                              folder});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(categories.begin(), categories.end(),
                     [&](const Category &a, const Category &b) { return collator.compare(a.entry, b.entry) < 0; });
    categories.push_back({QStringLiteral("Everything=") + withTrailingSlash(tree), withTrailingSlash(tree)});
    QStringList entries;
    if (folders)
        folders->clear();
    for (const Category &c : categories) {
        entries.append(c.entry);
        if (folders)
            folders->append(c.folder);
    }
    return entries;
}

QString categoryFolder(const QString &entry)
{
    const QStringList f = SplitFields(entry, QLatin1Char('='));
    return f.size() >= 2 ? f[1] : QString();
}

} // namespace vz
