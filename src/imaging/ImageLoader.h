#pragma once

#include "imaging/Picture.h"

#include <QImage>
#include <QString>

namespace vz {

// Loads an image file into `bitmap`. ".TMP", ".MSK1" and ".MSK2" files are
// read as BMP whatever they hold; otherwise the extension names the format
// and an unknown one raises FileError. A bitmap replaces `bitmap`; a JPEG or
// GIF is drawn at (0, 0) onto a new white bitmap of its size, which then
// replaces it; a metafile or icon leaves `bitmap` unchanged. Unreadable data
// raises FileError.
void LoadImageAsBitmap(const QString &fileName, QImage &bitmap);

// A letter's picture: a ".WMF" file is held as its metafile, any other file
// goes through LoadImageAsBitmap into a bitmap. A letter whose file cannot
// be loaded has no picture (a null Picture).
Picture LetterPicture(const QString &fileName);

} // namespace vz
