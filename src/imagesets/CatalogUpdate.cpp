#include "imagesets/CatalogUpdate.h"

#include "common/AtomicFile.h"
#include "common/ProgramFolder.h"
#include "common/VzError.h"
#include "imagesets/AlphabetList.h"
#include "imagesets/ThumbnailTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vz {

namespace {

CatalogFileOps &fileOps()
{
    static CatalogFileOps ops;
    return ops;
}

} // namespace

void setCatalogFileOps(CatalogFileOps ops) { fileOps() = std::move(ops); }

bool catalogWriteFile(const QString &path, const QByteArray &data, QString *error)
{
    if (fileOps().write)
        return fileOps().write(path, data, error);
    return writeFileAtomically(path, data, error);
}

bool catalogRemoveFile(const QString &path, QString *error)
{
    if (fileOps().remove)
        return fileOps().remove(path, error);
    QFile f(path);
    if (f.remove())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

bool isReplaceMarker(const QString &path)
{
    return QFileInfo(path).fileName().toUpper() == QLatin1String("REPLACE.CATALOG");
}

QStringList findReplaceMarkers(const QString &programFolderIn)
{
    const QString root = withTrailingSlash(programFolderIn);
    const QString alphabets = root + QStringLiteral("Alphabets/");
    QStringList catalogs;
    FindFilesInTree(root, QStringLiteral("catalog"), catalogs);
    QStringList markers;
    for (const QString &path : catalogs)
        if (isReplaceMarker(path) && path.startsWith(alphabets))
            markers.append(path);
    return markers;
}

CatalogUpdateResult runCatalogUpdate(const QString &programFolder, ThumbnailData &work,
                                     const CatalogUpdateCallbacks &cb, const RebuildWait &wait, int limit)
{
    CatalogUpdateResult result;
    for (const QString &marker : findReplaceMarkers(programFolder)) {
        ++result.markers;
        if (limit > 0 && result.rebuilt >= limit) {
            result.stoppedAtLimit = true;
            if (cb.restart) {
                if (cb.label)
                    cb.label(kRestartLabel);
                result.restartAsked = cb.restart();
            }
            break;
        }
        const QString folder = QFileInfo(marker).absolutePath() + QLatin1Char('/');
        try {
            RebuildLetterCatalog(folder, work, wait);
            QString why;
            if (!catalogRemoveFile(marker, &why))
                throw FileError(QStringLiteral("Cannot delete file \"%1\". %2").arg(marker, why));
        } catch (const VzError &e) {
            ++result.failed;
            if (cb.failed)
                cb.failed(folder, e.message());
            continue;
        }
        ++result.rebuilt;
        if (cb.rebuilt)
            cb.rebuilt(folder);
    }
    return result;
}

} // namespace vz
