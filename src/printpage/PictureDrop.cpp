#include "printpage/PictureDrop.h"

#include "common/VzError.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace vz {

namespace {

const QStringList &pictureExtensions()
{
    static const QStringList exts{QStringLiteral("bmp"), QStringLiteral("dib"), QStringLiteral("jpg"),
                                  QStringLiteral("jpeg"), QStringLiteral("gif"), QStringLiteral("wmf"),
                                  QStringLiteral("emf"), QStringLiteral("png"), QStringLiteral("ico")};
    return exts;
}

const PictureMimeData *inProcess(const QMimeData *data)
{
    const auto *p = qobject_cast<const PictureMimeData *>(data);
    return p && !p->picture().isNull() ? p : nullptr;
}

} // namespace

PictureMimeData::PictureMimeData(const Picture &picture, const QString &fileName)
    : m_picture(picture)
    , m_fileName(fileName)
{
    setData(mimeType(), QByteArray());
    if (!fileName.isEmpty())
        setUrls({QUrl::fromLocalFile(fileName)});
}

QString PictureMimeData::mimeType()
{
    return QStringLiteral("application/x-vellozine-picture");
}

bool isPictureFileName(const QString &fileName)
{
    return pictureExtensions().contains(QFileInfo(fileName).suffix().toLower());
}

bool canAcceptPictures(const QMimeData *data)
{
    if (!data)
        return false;
    if (inProcess(data))
        return true;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(),
                       [](const QUrl &u) { return u.isLocalFile() && isPictureFileName(u.toLocalFile()); });
}

DroppedPictures picturesFromMimeData(const QMimeData *data)
{
    DroppedPictures result;
    if (!data)
        return result;
    if (const PictureMimeData *p = inProcess(data)) {
        result.pictures.append(p->picture());
        return result;
    }
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const QString name = QFileInfo(path).fileName();
        if (!isPictureFileName(path)) {
            result.errors.append(name + QStringLiteral(": not a picture file"));
            continue;
        }
        try {
            result.pictures.append(readPagePicture(path));
        } catch (const VzError &e) {
            result.errors.append(name + QStringLiteral(": ") + e.message());
        }
    }
    return result;
}

Picture readPagePicture(const QString &fileName)
{
    Picture picture;
    if (QFileInfo(fileName).suffix().toLower() == QLatin1String("png")) {
        QFile f(fileName);
        if (!f.open(QIODevice::ReadOnly))
            throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
        const QImage png = QImage::fromData(f.readAll(), "PNG");
        if (png.isNull())
            throw FileError(QStringLiteral("PNG image is not valid"));
        // The page holds bitmaps without transparency: see-through parts
        // become the paper's white.
        QImage onWhite(png.size(), QImage::Format_RGB32);
        onWhite.fill(Qt::white);
        QPainter p(&onWhite);
        p.drawImage(0, 0, png);
        p.end();
        picture = Picture::fromImage(onWhite);
    } else {
        picture = Picture::fromFile(fileName);
    }
    if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
        throw FileError(QStringLiteral("The picture is empty"));
    return picture;
}

QString dropErrorMessage(const QStringList &errors)
{
    return QStringLiteral("These files could not be placed:\n") + errors.join(QLatin1Char('\n'));
}

} // namespace vz
