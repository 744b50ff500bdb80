// Metafiles through vzcore's WMF generator, and pictures read back with the
// program's own picture type.
#include "Writers.h"

#include "common/VzError.h"
#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"

#include <QImage>
#include <QPainter>

namespace datagen {

QByteArray makeWmf(QSize size, const std::function<void(QPainter &)> &draw)
{
    vz::mf::WmfGenerator wmf;
    wmf.setSize(size);
    QPainter p(&wmf);
    draw(p);
    p.end();
    return wmf.data();
}

QImage pictureAsImage(const QString &file)
{
    try {
        return vz::Picture::fromFile(file).render();
    } catch (const vz::VzError &) {
        return QImage();
    }
}

} // namespace datagen
