#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace vz {

// Writes `data` to a new file beside `path` and renames it over `path`, so a
// failure never loses the file that was there. Returns false on failure and
// leaves the old file untouched; `error` receives a short reason.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

// For writers that must name the file themselves (a printer writing a PDF):
// `write` is handed a new, empty file beside `path` and returns whether it
// wrote it; only then is it renamed over `path`. Otherwise, and on failure,
// the temporary file is removed and the old file stays.
bool replaceFileAtomically(const QString &path, const std::function<bool(const QString &temporaryPath)> &write,
                           QString *error = nullptr);

} // namespace vz
