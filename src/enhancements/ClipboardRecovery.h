#pragma once

#include "imaging/Picture.h"

#include <QByteArray>
#include <QString>

namespace vz {

// A copy of the four clipboards kept on disk while an enhancement runs: an
// enhancement runs inside the program, so its crash ends the program, and
// the next start offers to bring the clipboards back.
//
// The folder holds one file per filled slot and an index written last, so a
// copy interrupted half way leaves the previous index (and its files) intact.
// Only slots whose content changed since the last save are written again.
class ClipboardRecovery
{
public:
    // `folder` empty: no copy is kept (the program runs without settings).
    explicit ClipboardRecovery(QString folder = QString());

    QString folder() const { return m_folder; }
    bool enabled() const { return !m_folder.isEmpty(); }
    bool exists() const;

    // Saves the clipboards, CopiedImageShown and the "Windows" thumbnail's
    // picture. False when a file could not be written.
    bool save(const Picture &windowsThumbnail);
    // Puts back what can be read (unreadable parts are skipped) and returns
    // the "Windows" thumbnail's picture, null when there was none.
    Picture restore();
    // Deletes the copy.
    void remove();

private:
    struct Saved
    {
        bool valid = false;
        qint64 rasterKey = 0;
        Picture picture; // what was written, kept so its identity can be compared
    };
    bool saveRaster(int slot, const QImage &bitmap);
    bool savePicture(int slot, const Picture &picture, const QString &name);

    QString m_folder;
    Saved m_rasters[4];
    Saved m_pictures[5]; // the four picture slots and the "Windows" thumbnail
};

} // namespace vz
