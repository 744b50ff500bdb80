#pragma once

#include "common/NameValueFile.h"

#include <QString>
#include <QStringList>

namespace vz {

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

private:
    void insertCode(const QString &code);

    QStringList m_codes;
    NameValueFile m_names;
};

// The message shown when the map cannot be read; the program then ends.
inline const QString kCharactersMissingMessage = QStringLiteral("File Missing - \"characters\". Reinstall program.");

} // namespace vz
