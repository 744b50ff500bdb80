#include "common/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vz {

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    // Unbuffered, so a short write (a full disk, a file size limit) shows
    // here instead of being lost in a flush that commit() does not check;
    // the write after a short one tells why.
    for (qint64 done = 0; done < data.size();) {
        const qint64 n = f.write(data.constData() + done, data.size() - done);
        if (n <= 0) {
            if (error)
                *error = f.errorString();
            f.cancelWriting();
            return false;
        }
        done += n;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool replaceFileAtomically(const QString &path, const std::function<bool(const QString &temporaryPath)> &write,
                           QString *error)
{
    const QFileInfo target(path);
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!temp.open()) {
        if (error)
            *error = temp.errorString();
        return false;
    }
    const QString tempPath = temp.fileName();
    temp.close();
    // The new file gets the old one's permissions, or the usual ones.
    temp.setPermissions(target.exists() ? QFile::permissions(path)
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!write(tempPath)) {
        if (error && error->isEmpty())
            *error = QStringLiteral("the file was not written");
        return false; // the temporary file goes with `temp`
    }
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(path).constData()) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}

} // namespace vz
