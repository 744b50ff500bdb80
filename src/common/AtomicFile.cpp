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
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    if (f.write(data) != data.size()) {
        if (error)
            *error = f.errorString();
        f.cancelWriting();
        return false;
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
