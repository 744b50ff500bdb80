#pragma once

#include "imagesets/LetterThumbnail.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace vz {

class ThumbnailData;

// Writing and removing the files of a catalog update. Tests replace them to
// make a write or a removal fail, which permissions cannot do for root.
struct CatalogFileOps
{
    // Replaces `path` with `data` (beside it, then renamed); false and a
    // reason on failure.
    std::function<bool(const QString &path, const QByteArray &data, QString *error)> write;
    // Removes `path`; false and a reason on failure.
    std::function<bool(const QString &path, QString *error)> remove;
};
// Members left empty are the real operations; setCatalogFileOps({}) restores both.
void setCatalogFileOps(CatalogFileOps ops);
bool catalogWriteFile(const QString &path, const QByteArray &data, QString *error);
bool catalogRemoveFile(const QString &path, QString *error);

// Whether `path` names a marker asking for its folder's letter catalog to be
// rebuilt: the file name, upper-cased, is "REPLACE.CATALOG".
bool isReplaceMarker(const QString &path);

inline const QString kRestartLabel = QStringLiteral("Please wait while VZ Ririraz restarts");

// What a run tells its caller as it goes.
struct CatalogUpdateCallbacks
{
    // A new text for the progress label.
    std::function<void(const QString &text)> label;
    std::function<void(const QString &folder)> rebuilt;
    // `error` names the file that failed.
    std::function<void(const QString &folder, const QString &error)> failed;
    // Asked at a marker beyond the run's limit: arrange for the program to
    // start again and carry on. False when that cannot be arranged. Without
    // it the run just stops there.
    std::function<bool()> restart;
};

struct CatalogUpdateResult
{
    int markers = 0;     // markers met (up to where the run stopped)
    int rebuilt = 0;     // folders rebuilt whose marker was removed
    int failed = 0;
    bool stoppedAtLimit = false;
    bool restartAsked = false;
};

// The markers of a program folder tree in the order a run takes them: the
// ".catalog" files of the folder itself first, then depth first those of its
// subfolders. Only markers inside "Alphabets/" count: a letter catalog in a
// clip-art folder would join that category's catalogs.
QStringList findReplaceMarkers(const QString &programFolder);

// Rebuilds the letter catalog of each marked folder and removes its marker,
// using `work` as the work table. A folder that fails keeps its marker (and,
// when the rebuild failed, its old catalog), is reported and not counted;
// the run goes on. At the marker after `limit` rebuilt folders the label
// turns to kRestartLabel, restart is asked and the run stops (limit 0: no
// limit).
CatalogUpdateResult runCatalogUpdate(const QString &programFolder, ThumbnailData &work,
                                     const CatalogUpdateCallbacks &callbacks, const RebuildWait &wait = {},
                                     int limit = 2);

} // namespace vz
