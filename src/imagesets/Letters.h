#pragma once

#include "imaging/Picture.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vz {

class CharacterMap;

// One letter of the current alphabet: its image file, and its picture once
// it has been asked for.
class TCompleteLetter
{
public:
    explicit TCompleteLetter(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }
    QString fileName() const;
    bool hasPicture() const { return m_picture.has_value(); }

private:
    friend const Picture *LetterPicture(TCompleteLetter &letter);
    QString m_path;
    std::optional<Picture> m_picture;
};

// The letter's picture (a metafile for a ".WMF" file, else a bitmap),
// loaded on first use; none when the file cannot be loaded (the next call
// tries again).
const Picture *LetterPicture(TCompleteLetter &letter);

// The letter files of an alphabet folder: files directly in it (hidden ones
// too) with the extension WMF, BMP, JPG or GIF in any case, by full path,
// sorted by path without regard to case.
QStringList letterFiles(const QString &folder);

// The letter a file names: the path's last "_" field up to its first ".".
QString letterName(const QString &path);

// Binds the letter files to the map's codes through the "characters" names,
// replacing the letters bound before, and rebuilds `allowedCodes` (the codes
// with a letter, sorted as texts; the space only when a name's value is one).
void LoadAlphabetLetters(CharacterMap &map, const QStringList &letterFiles, QStringList &allowedCodes);

} // namespace vz
