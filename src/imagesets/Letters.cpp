#include "imagesets/Letters.h"

#include "common/DataFiles.h"
#include "common/ProgramFolder.h"
#include "common/SplitFields.h"
#include "imagesets/CharacterMap.h"
#include "imaging/ImageLoader.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace vz {

QString TCompleteLetter::fileName() const
{
    return QFileInfo(m_path).fileName();
}

const Picture *LetterPicture(TCompleteLetter &letter)
{
    if (!letter.m_picture) {
        Picture picture = LetterPicture(letter.m_path);
        if (picture.isNull())
            return nullptr;
        letter.m_picture = std::move(picture);
    }
    return &*letter.m_picture;
}

QStringList letterFiles(const QString &folderIn)
{
    const QString folder = withTrailingSlash(folderIn);
    QDir dir(folder);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    static const QStringList kinds = {QStringLiteral("wmf"), QStringLiteral("bmp"), QStringLiteral("jpg"),
                                      QStringLiteral("gif")};
    QStringList files;
    for (const QString &name : dir.entryList())
        if (std::any_of(kinds.begin(), kinds.end(), [&](const QString &k) { return hasDataExtension(name, k); }))
            files.append(folder + name);
    std::stable_sort(files.begin(), files.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return files;
}

QString letterName(const QString &path)
{
    const QString last = SplitFields(path, QLatin1Char('_')).constLast();
    return SplitFields(last, QLatin1Char('.')).constFirst();
}

void LoadAlphabetLetters(CharacterMap &map, const QStringList &files, QStringList &allowedCodes)
{
    allowedCodes.clear();
    map.releaseLetters();
    for (const QString &file : files) {
        const QString name = letterName(file);
        const QString value = map.names().value(name);
        if (!value.isEmpty()) {
            const ushort u = value.at(0).unicode();
            if (u > 255)
                continue;
            const QString code = QString::number(u);
            if (!map.contains(code))
                continue;
            map.attachLetter(code, std::make_shared<TCompleteLetter>(file));
            const auto it = std::lower_bound(allowedCodes.begin(), allowedCodes.end(), code);
            if (it == allowedCodes.end() || *it != code)
                allowedCodes.insert(it, code);
        } else if (name.toUpper() == QLatin1String("SPACE")) {
            map.attachLetter(QStringLiteral("32"), std::make_shared<TCompleteLetter>(file));
        }
    }
}

} // namespace vz
