#include "Command.h"

#include "common/VzError.h"
#include "imaging/Picture.h"
#include "metafile/EmfPlusReader.h"

#include <QFile>

using namespace vztool;

namespace {

QString kindName(vz::Picture::Kind k)
{
    switch (k) {
    case vz::Picture::Kind::Bitmap: return QStringLiteral("bitmap");
    case vz::Picture::Kind::Metafile: return QStringLiteral("metafile");
    case vz::Picture::Kind::EnhancedMetafile: return QStringLiteral("enhanced metafile");
    case vz::Picture::Kind::Jpeg: return QStringLiteral("jpeg");
    case vz::Picture::Kind::Gif: return QStringLiteral("gif");
    case vz::Picture::Kind::Icon: return QStringLiteral("icon");
    default: return QStringLiteral("none");
    }
}

int usage()
{
    err(QStringLiteral("usage: vztool picture info FILE\n"
                       "       vztool picture render FILE OUT.png [--width W] [--height H]"));
    return 2;
}

int info(const QString &file)
{
    const vz::Picture pic = vz::Picture::fromFile(file);
    out(QStringLiteral("kind: %1").arg(kindName(pic.kind())));
    out(QStringLiteral("size: %1 x %2 pixels").arg(pic.width()).arg(pic.height()));
    if (pic.isMetafile()) {
        const QRectF b = pic.bounds();
        out(QStringLiteral("physical size: %1 x %2 (0.01 mm)").arg(pic.physicalSize().width()).arg(pic.physicalSize().height()));
        out(QStringLiteral("units per inch: %1").arg(pic.unitsPerInch()));
        out(QStringLiteral("bounding box: %1 %2 %3 %4").arg(b.left()).arg(b.top()).arg(b.right()).arg(b.bottom()));
        out(QStringLiteral("records: %1").arg(pic.recordCount()));
        if (pic.kind() == vz::Picture::Kind::EnhancedMetafile) {
            if (const auto doc = vz::mf::EmfDocument::parse(pic.sourceBytes())) {
                const auto plus = vz::mf::emfPlusKind(*doc);
                if (plus != vz::mf::EmfPlusKind::None)
                    out(QStringLiteral("drawing: %1").arg(plus == vz::mf::EmfPlusKind::Dual ? QStringLiteral("EMF+ dual")
                                                                                          : QStringLiteral("EMF+ only")));
            }
        }
    }
    return 0;
}

int render(const QStringList &args)
{
    if (args.size() < 2)
        return usage();
    int w = 0, h = 0;
    for (int i = 2; i < args.size(); ++i) {
        bool ok = false;
        if (args[i] == QLatin1String("--width") && i + 1 < args.size())
            w = args[++i].toInt(&ok);
        else if (args[i] == QLatin1String("--height") && i + 1 < args.size())
            h = args[++i].toInt(&ok);
        if (!ok || w < 0 || h < 0 || w > 30000 || h > 30000)
            return usage();
    }
    const vz::Picture pic = vz::Picture::fromFile(args[0]);
    QSize size = pic.size();
    if (w > 0)
        size.setWidth(w);
    if (h > 0)
        size.setHeight(h);
    if (size.isEmpty()) {
        err(QStringLiteral("the picture is empty"));
        return 1;
    }
    const QImage img = pic.render(size);
    if (!img.save(args[1], "PNG")) {
        err(QStringLiteral("cannot write %1").arg(args[1]));
        return 1;
    }
    return 0;
}

int runPicture(const QStringList &args)
{
    if (args.isEmpty())
        return usage();
    try {
        if (args[0] == QLatin1String("info") && args.size() == 2)
            return info(args[1]);
        if (args[0] == QLatin1String("render"))
            return render(args.mid(1));
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    return usage();
}

Registration reg({QStringLiteral("picture"), QStringLiteral("picture info FILE | picture render FILE OUT.png [--width W] [--height H]"),
                  QStringLiteral("describe a picture file, or draw it stretched to W x H on white into a PNG"), runPicture});

} // namespace
