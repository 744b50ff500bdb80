#include "Command.h"

#include "common/AtomicFile.h"
#include "common/VzError.h"
#include "imagesets/LetterThumbnail.h"
#include "imaging/FastImage.h"

using namespace vztool;

namespace {

int runThumbnail(const QStringList &argsIn)
{
    QStringList args = argsIn;
    int side = vz::kThumbnailSide;
    const qsizetype at = args.indexOf(QStringLiteral("--size"));
    if (at >= 0) {
        bool ok = false;
        side = args.value(at + 1).toInt(&ok);
        if (!ok || side < 1 || side > 4096) {
            err(QStringLiteral("vztool thumbnail: --size needs a number from 1 to 4096"));
            return 2;
        }
        args.remove(at, 2);
    }
    if (args.size() != 2) {
        err(QStringLiteral("usage: vztool thumbnail IMAGE OUT.bmp [--size N]"));
        return 2;
    }
    try {
        const QByteArray bmp = vz::bmp24Bytes(vz::MakeLetterThumbnail(args[0], side));
        QString why;
        if (!vz::writeFileAtomically(args[1], bmp, &why))
            throw vz::FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(args[1], why));
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    return 0;
}

Registration reg({QStringLiteral("thumbnail"), QStringLiteral("thumbnail IMAGE OUT.bmp [--size N]"),
                  QStringLiteral("write the letter thumbnail of IMAGE (side N, default 55) as a 24-bit BMP"),
                  runThumbnail});

} // namespace
