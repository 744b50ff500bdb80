#include "common/AtomicFile.h"

#include <QSaveFile>

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

} // namespace vz
