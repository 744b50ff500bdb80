#include "imaging/ImageLoader.h"

#include "common/VzError.h"

#include <QFileInfo>
#include <QPainter>

namespace vz {

void LoadImageAsBitmap(const QString &fileName, QImage &bitmap)
{
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    Picture pic;
    if (ext == QLatin1String("TMP") || ext == QLatin1String("MSK1") || ext == QLatin1String("MSK2"))
        pic = Picture::fromFile(fileName, Picture::Kind::Bitmap);
    else
        pic = Picture::fromFile(fileName);

    switch (pic.kind()) {
    case Picture::Kind::Bitmap:
        bitmap = pic.image();
        break;
    case Picture::Kind::Jpeg:
    case Picture::Kind::Gif: {
        QImage white(pic.size(), QImage::Format_RGB32);
        white.fill(Qt::white);
        QPainter p(&white);
        p.drawImage(0, 0, pic.image());
        p.end();
        bitmap = white;
        break;
    }
    default:
        break; // metafiles and icons do not become bitmaps
    }
}

Picture LetterPicture(const QString &fileName)
{
    try {
        if (QFileInfo(fileName).suffix().toUpper() == QLatin1String("WMF")) {
            const Picture pic = Picture::fromFile(fileName, Picture::Kind::Metafile);
            return pic;
        }
        QImage bitmap;
        LoadImageAsBitmap(fileName, bitmap);
        return bitmap.isNull() ? Picture() : Picture::fromImage(bitmap);
    } catch (const VzError &) {
        return Picture();
    }
}

} // namespace vz
