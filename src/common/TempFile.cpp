#include "common/TempFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace vz {

TempFile::TempFile(const QString &prefix, const QString &suffix)
{
    QTemporaryFile f(QDir::tempPath() + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX") + suffix);
    f.setAutoRemove(false);
    if (f.open()) {
        m_path = f.fileName();
        f.close();
    }
}

TempFile::~TempFile() { remove(); }

void TempFile::remove()
{
    if (!m_path.isEmpty()) {
        QFile::remove(m_path);
        m_path.clear();
    }
}

} // namespace vz
