#include "enhancements/EnhancementList.h"

#include "common/AtomicFile.h"
#include "common/DataFiles.h"
#include "common/ProgramFolder.h"
#include "common/SplitFields.h"
#include "enhancements/EnhancementDescriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace vz {

ListRead readEnhancementList(const QString &path, QStringList *entries, QString *error)
{
    entries->clear();
    if (!QFileInfo::exists(path))
        return ListRead::Missing;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return ListRead::Unreadable;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = f.errorString();
        return ListRead::Unreadable;
    }
    for (const QString &line : enhancementLines(bytes))
        if (!line.isEmpty())
            entries->append(line);
    return ListRead::Ok;
}

QByteArray encodeEnhancementList(const QStringList &entries)
{
    QByteArray out;
    for (const QString &entry : entries) {
        out += entry.toUtf8();
        out += "\r\n";
    }
    return out;
}

bool writeEnhancementList(const QString &path, const QStringList &entries, QString *error)
{
    return writeFileAtomically(path, encodeEnhancementList(entries), error);
}

qsizetype findSameEnhancement(const QStringList &entries, const QString &entry)
{
    const QStringList wanted = SplitFields(entry);
    if (wanted.size() < 4)
        return -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString &e = entries.at(i);
        // Cheap test on the library field before cutting the whole entry.
        if (!e.startsWith(wanted.at(0)) || e.size() <= wanted.at(0).size() || e.at(wanted.at(0).size()) != QLatin1Char('='))
            continue;
        const QStringList fields = SplitFields(e);
        if (fields.size() >= 4 && fields.at(3) == wanted.at(3))
            return i;
    }
    return -1;
}

QStringList findDescriptors(const QString &folder)
{
    QStringList found;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort))
        if (hasDataExtension(name, kDescriptorExtension))
            found.append(name);
    std::sort(found.begin(), found.end());
    return found;
}

bool moveToInstalled(const QString &folder, const QString &fileName)
{
    const QString dir = withTrailingSlash(folder);
    const QString installed = dir + kInstalledFolder;
    if (!QFileInfo(installed).isDir() && !QDir().mkpath(installed))
        return false;
    // rename(2) replaces a file of that name in one step, so the older
    // descriptor goes and the new one is never lost in between.
    const QByteArray from = QFile::encodeName(dir + fileName);
    const QByteArray to = QFile::encodeName(installed + QLatin1Char('/') + fileName);
    if (QFileInfo(installed + QLatin1Char('/') + fileName).isDir())
        return false;
    return std::rename(from.constData(), to.constData()) == 0;
}

} // namespace vz
