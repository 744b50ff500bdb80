#include "Command.h"

#include "imagesets/CharacterMap.h"
#include "imagesets/Letters.h"

using namespace vztool;

namespace {

int runLetters(const QStringList &args)
{
    if (args.size() != 2) {
        err(QStringLiteral("usage: vztool letters CHARACTERS FOLDER"));
        return 2;
    }
    vz::CharacterMap map;
    if (!map.load(args[0])) {
        err(vz::kCharactersMissingMessage);
        return 1;
    }
    QStringList allowed;
    vz::LoadAlphabetLetters(map, vz::letterFiles(args[1]), allowed);
    for (const QString &code : map.codes())
        if (const vz::TCompleteLetter *letter = map.letter(code))
            out(code + QLatin1Char('\t') + letter->fileName());
    out((QStringList{QStringLiteral("allowed:")} + allowed).join(QLatin1Char(' ')));
    return 0;
}

Registration reg({QStringLiteral("letters"), QStringLiteral("letters CHARACTERS FOLDER"),
                  QStringLiteral("bind FOLDER's letter files through the map in CHARACTERS; print code and file, "
                                 "then the allowed codes"),
                  runLetters});

} // namespace
