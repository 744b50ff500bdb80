#pragma once

#include <QByteArray>
#include <QString>

namespace vz {

// Writes `data` to a new file beside `path` and renames it over `path`, so a
// failure never loses the file that was there. Returns false on failure and
// leaves the old file untouched; `error` receives a short reason.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

} // namespace vz
