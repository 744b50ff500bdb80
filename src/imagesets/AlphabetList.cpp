#include "imagesets/AlphabetList.h"

#include "common/DataFiles.h"
#include "common/NameValueFile.h"
#include "common/ProgramFolder.h"
#include "common/VzError.h"
#include "platform/ShellOpen.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace vz {

namespace {

void scanAlphabets(const QString &folderIn, QStringList &found, VisitedFolders &visited)
{
    const QString folder = withTrailingSlash(folderIn);
    // A link back up the tree would otherwise list its alphabets again and again.
    if (!visited.enter(folder))
        return;
    const QStringList setFiles = dataFilesNamed(folder, kAlphabetSetFile);
    if (!setFiles.isEmpty()) {
        const QString setFile = folder + setFiles.first();
        NameValueFile data;
        if (!data.load(setFile))
            throw FileError(QStringLiteral("Cannot open file \"%1\".").arg(setFile));
        const QString entry = alphabetEntry(data.lines(), folder);
        if (!entry.isEmpty())
            found.append(entry);
    }
    for (const QString &sub : listSubfolders(folder))
        scanAlphabets(folder + sub, found, visited);
}

} // namespace

QString alphabetEntry(const QStringList &lines, const QString &folder)
{
    const NameValueFile data(lines);
    if (data.value(QStringLiteral("Version")) != QLatin1String("2"))
        return QString();
    const QString type = data.value(QStringLiteral("Type"));
    const bool font = type == QLatin1String("Font");
    QString e = data.value(QStringLiteral("Name")) + QLatin1Char('=') + type + QLatin1Char('=') + withTrailingSlash(folder);
    e += QLatin1Char('=') + (font ? data.value(QStringLiteral("Baser")) : QStringLiteral("@"));
    e += QLatin1Char('=') + data.value(QStringLiteral("Description"));
    const QString fill = data.value(QStringLiteral("Fill"));
    e += QLatin1Char('=') + (fill.isEmpty() ? QStringLiteral("0") : fill);
    if (font)
        e += QLatin1Char('=') + data.value(QStringLiteral("Month"));
    const QString cover = data.value(QStringLiteral("Cover"));
    e += QLatin1Char('=') + (cover.isEmpty() ? QStringLiteral("blank") : cover);
    return e;
}

QString moreAlphabetsEntry()
{
    return QStringLiteral("More...=CA=FileName=Bab=Next Stop ") + kMakerSite
        + QStringLiteral(" for more great fonts=1=Month=babybottle.bmp");
}

QStringList listSubfolders(const QString &folder)
{
    QDir dir(folder);
    return dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void LoadAlphabetList(QStringList &list, const QString &treeFolder)
{
    QStringList found;
    if (QFileInfo(treeFolder).isDir()) {
        VisitedFolders visited;
        scanAlphabets(treeFolder, found, visited);
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(found.begin(), found.end(),
                     [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    // An entry holds its folder, so only the same folder gives the same text;
    // folders differing in case ("dupA", "dupa") are two folders here, and the
    // collator, which ignores case, would take them for one.
    QStringList sorted;
    sorted.reserve(found.size());
    QSet<QString> seen;
    for (const QString &e : found) {
        if (seen.contains(e))
            continue;
        seen.insert(e);
        sorted.append(e);
    }
    list = sorted;
}

namespace {

void findFiles(const QString &folderIn, const QString &extension, QStringList &result, VisitedFolders &visited)
{
    const QString folder = withTrailingSlash(folderIn);
    if (!visited.enter(folder))
        return;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
        if (hasDataExtension(name, extension))
            result.append(folder + name);
    for (const QString &sub : listSubfolders(folder))
        findFiles(folder + sub, extension, result, visited);
}

} // namespace

void FindFilesInTree(const QString &folder, const QString &extension, QStringList &result)
{
    VisitedFolders visited;
    findFiles(folder, extension, result, visited);
}

} // namespace vz
