#include "imagesets/ClipartTree.h"

#include "common/NameValueFile.h"
#include "common/ProgramFolder.h"
#include "common/SplitFields.h"
#include "common/VzError.h"
#include "imagesets/AlphabetList.h"

#include <QCollator>
#include <QFileInfo>

#include <algorithm>

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

QStringList scanClipartTree(const QString &tree, SetFolderMap &map)
{
    QStringList setFiles;
    FindFilesInTree(tree, QStringLiteral("qn"), setFiles);
    QStringList categories;
    for (const QString &path : setFiles) {
        NameValueFile data;
        if (!data.load(path))
            throw FileError(QStringLiteral("Cannot open file \"%1\".").arg(path));
        const QString folder = withTrailingSlash(QFileInfo(path).path());
        map.append(data.value(QStringLiteral("Set")), folder);
        categories.append(data.value(QStringLiteral("Name")) + QLatin1Char('=') + folder + QLatin1Char('=')
                          + data.value(QStringLiteral("Description")));
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(categories.begin(), categories.end(),
                     [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    categories.append(QStringLiteral("Everything=") + withTrailingSlash(tree));
    return categories;
}

QString categoryFolder(const QString &entry)
{
    const QStringList f = SplitFields(entry, QLatin1Char('='));
    return f.size() >= 2 ? f[1] : QString();
}

} // namespace vz
