#pragma once

#include "common/NameValueFile.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace vz {

class TCompleteLetter;

// The program-wide list of character codes that alphabets can draw, read
// once at start-up from the "characters" file: each code as its decimal text,
// kept sorted as texts and free of repeats. The space (32) is always there.
class CharacterMap
{
public:
    // Reads the file. Returns false when it is missing or unreadable, or a
    // line's name has an empty value (an empty line included); the map is
    // then left empty.
    bool load(const QString &path);
    bool loadLines(const QStringList &lines);

    const QStringList &codes() const { return m_codes; }
    bool contains(const QString &code) const;
    // The "characters" file's lines, for looking up letter names.
    const NameValueFile &names() const { return m_names; }

    static QString codeText(uchar c) { return QString::number(c); }

    // The letter of the current alphabet attached to a code, or none (also
    // for a code not in the map).
    TCompleteLetter *letter(const QString &code) const;
    // Attaches a letter to a code of the map, releasing the one before;
    // returns false (and drops the letter) when the code is not in the map.
    bool attachLetter(const QString &code, std::shared_ptr<TCompleteLetter> letter);
    // Releases and detaches every letter.
    void releaseLetters();

private:
    void insertCode(const QString &code);

    QStringList m_codes;
    // Parallel to m_codes.
    std::vector<std::shared_ptr<TCompleteLetter>> m_letters;
    NameValueFile m_names;
};

// The message shown when the map cannot be read; the program then ends.
inline const QString kCharactersMissingMessage = QStringLiteral("File Missing - \"characters\". Reinstall program.");

} // namespace vz
