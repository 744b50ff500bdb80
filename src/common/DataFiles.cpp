#include "common/DataFiles.h"

#include <QDir>
#include <QFileInfo>

namespace vz {

bool hasDataExtension(const QString &name, const QString &extension)
{
    const qsizetype n = extension.size();
    if (name.size() < n + 1 || name.at(name.size() - n - 1) != QLatin1Char('.'))
        return false;
    return QStringView(name).right(n).compare(extension, Qt::CaseInsensitive) == 0;
}

bool isDataFileNamed(const QString &name, const QString &wanted)
{
    const qsizetype dot = wanted.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return name == wanted;
    if (name.size() != wanted.size() || !name.startsWith(QStringView(wanted).left(dot + 1)))
        return false;
    return hasDataExtension(name, wanted.mid(dot + 1));
}

QStringList dataFilesNamed(const QString &folder, const QString &wanted)
{
    QStringList found;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        if (name == wanted)
            found.prepend(name);
        else if (isDataFileNamed(name, wanted))
            found.append(name);
    }
    return found;
}

bool VisitedFolders::enter(const QString &folder)
{
    const QString real = QFileInfo(folder).canonicalFilePath();
    if (real.isEmpty() || m_seen.contains(real))
        return false;
    m_seen.insert(real);
    return true;
}

} // namespace vz
