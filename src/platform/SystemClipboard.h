#pragma once

#include "imaging/Picture.h"

#include <QImage>
#include <QString>

namespace vz {

// The MIME type under which metafiles travel as placeable WMF bytes.
inline constexpr char kWmfMimeType[] = "image/x-wmf";

// The system clipboard for bitmaps, metafiles and text. A metafile goes as
// its placeable bytes together with a rendered image, so that programs that
// know no metafile can still paste it. Needs a QGuiApplication.
namespace SystemClipboard {

void putBitmap(const QImage &bitmap);
void putText(const QString &text);
// `placeable` must be a placeable WMF; the image is drawn at its own size.
void putMetafile(const QByteArray &placeable);
// A metafile picture goes as a metafile, any other as a bitmap.
void putPicture(const Picture &picture);

bool hasPicture();
bool hasText();
// The clipboard's metafile when it holds one, else its image as a bitmap;
// a null picture when it holds neither.
Picture takePicture();
QString takeText();

} // namespace SystemClipboard

// Puts a placeable metafile file on the system clipboard. Nothing happens
// when the file does not exist; a wrong key or checksum raises FileError
// "Metafile is not valid" and leaves the clipboard as it was.
void PutMetafileOnClipboard(const QString &fileName);

} // namespace vz
