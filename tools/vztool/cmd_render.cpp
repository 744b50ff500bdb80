#include "Command.h"

#include "common/VzError.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/Letters.h"
#include "lettering/WordRenderer.h"

#include <QFileInfo>

using namespace vztool;

namespace {

int usage()
{
    err(QStringLiteral("usage: vztool render word --characters FILE --alphabet FOLDER [--kind bitmap|metafile] TEXT OUT\n"
                       "       vztool render mix [--line-space N] OUT ENTRY..."));
    return 2;
}

int renderWord(QStringList args)
{
    QString characters, alphabet, kind = QStringLiteral("bitmap");
    QStringList rest;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if ((a == QLatin1String("--characters") || a == QLatin1String("--alphabet") || a == QLatin1String("--kind"))
            && !args.isEmpty()) {
            (a == QLatin1String("--characters") ? characters : a == QLatin1String("--alphabet") ? alphabet : kind) = args.takeFirst();
        } else {
            rest << a;
        }
    }
    if (characters.isEmpty() || alphabet.isEmpty() || rest.size() != 2
        || (kind != QLatin1String("bitmap") && kind != QLatin1String("metafile")))
        return usage();
    vz::CharacterMap map;
    if (!map.load(characters)) {
        err(vz::kCharactersMissingMessage);
        return 1;
    }
    QStringList allowed;
    vz::LoadAlphabetLetters(map, vz::letterFiles(alphabet), allowed);
    const QString outFile = QFileInfo(rest[1]).absoluteFilePath();
    if (!QFileInfo(QFileInfo(outFile).absolutePath()).isDir()) {
        err(QStringLiteral("vztool: the folder of %1 does not exist").arg(rest[1]));
        return 1;
    }
    // Nothing drawn is a failure, and OUT is not touched: an older file of
    // that name stays as it was, so only the exit status tells.
    if (!vz::typedWordDraws(rest[0], map)) {
        err(QStringLiteral("vztool: the text draws nothing with this alphabet; %1 not written").arg(rest[1]));
        return 1;
    }
    vz::RenderTypedWord(rest[0], map, kind == QLatin1String("metafile") ? vz::WordKind::Metafile : vz::WordKind::Bitmap,
                        false, outFile);
    return 0;
}

int renderMix(QStringList args)
{
    int lineSpace = 30;
    if (args.size() >= 2 && args.first() == QLatin1String("--line-space")) {
        bool ok = false;
        lineSpace = args.at(1).toInt(&ok);
        if (!ok || lineSpace < 0 || lineSpace > 150) {
            err(QStringLiteral("vztool: the line space is a number from 0 to 150"));
            return 2;
        }
        args = args.mid(2);
    }
    if (args.size() < 2)
        return usage();
    const QString outFile = QFileInfo(args.takeFirst()).absoluteFilePath();
    QStringList entries;
    for (const QString &e : std::as_const(args))
        entries << (e == vz::kNewLine ? e : QFileInfo(e).absoluteFilePath());
    // A null picture was not written: OUT stays as it was.
    if (vz::RenderComposition(entries, lineSpace, false, outFile).isNull()) {
        err(QStringLiteral("vztool: the composition draws nothing; %1 not written").arg(outFile));
        return 1;
    }
    return 0;
}

int runRender(const QStringList &args)
{
    try {
        if (!args.isEmpty() && args.first() == QLatin1String("word"))
            return renderWord(args.mid(1));
        if (!args.isEmpty() && args.first() == QLatin1String("mix"))
            return renderMix(args.mid(1));
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    return usage();
}

Registration reg({QStringLiteral("render"),
                  QStringLiteral("render word --characters FILE --alphabet FOLDER [--kind bitmap|metafile] TEXT OUT | "
                                 "render mix [--line-space N] OUT ENTRY..."),
                  QStringLiteral("render a typed word with an alphabet's letters (BMP or WMF), or a Mix & Match "
                                 "composition (each ENTRY an image or NewLine) into a BMP; when nothing draws, "
                                 "exits 1 and leaves OUT untouched"),
                  runRender});

} // namespace
