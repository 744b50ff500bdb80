#pragma once

#include "imaging/Picture.h"

#include <QList>
#include <QMimeData>
#include <QString>
#include <QStringList>

namespace vz {

// A drag of one picture inside the program: the picture itself (so the
// page places exactly what the cell shows, metafiles included) and, for
// other programs, the file it came from as a URL.
class PictureMimeData : public QMimeData
{
    Q_OBJECT
public:
    PictureMimeData(const Picture &picture, const QString &fileName);

    const Picture &picture() const { return m_picture; }
    QString fileName() const { return m_fileName; }

    // Marks the in-process picture among the formats, so a drop target can
    // tell it from a plain file drag.
    static QString mimeType();

private:
    Picture m_picture;
    QString m_fileName;
};

// What a drop gives: the pictures that could be read, in order, and one
// "name: reason" line for each file that could not.
struct DroppedPictures
{
    QList<Picture> pictures;
    QStringList errors;
};

// Whether a file name has one of the picture extensions a drop and Open
// Image take (.bmp .dib .jpg .jpeg .gif .wmf .emf .png .ico, any case).
bool isPictureFileName(const QString &fileName);

// Whether the drag carries an in-process picture or at least one local
// file with a picture extension.
bool canAcceptPictures(const QMimeData *data);

// The pictures a drop carries: the in-process picture when there is one,
// otherwise every local file URL with a picture extension (others are
// skipped).
DroppedPictures picturesFromMimeData(const QMimeData *data);

// Reads a picture file as the page places it: by its extension; a PNG
// becomes a bitmap on white. Raises FileError.
Picture readPagePicture(const QString &fileName);

// The error box's text for the files that could not be placed.
QString dropErrorMessage(const QStringList &errors);

} // namespace vz
