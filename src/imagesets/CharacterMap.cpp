#include "imagesets/CharacterMap.h"

#include "imagesets/Letters.h"

#include <QFile>

#include <algorithm>

namespace vz {

bool CharacterMap::load(const QString &path)
{
    NameValueFile file;
    if (!file.load(path)) {
        m_codes.clear();
        m_letters.clear();
        m_names = NameValueFile();
        return false;
    }
    return loadLines(file.lines());
}

bool CharacterMap::loadLines(const QStringList &lines)
{
    m_codes.clear();
    m_letters.clear();
    m_names = NameValueFile(lines);
    for (const QString &line : lines) {
        const QString value = m_names.value(NameValueFile::nameOf(line));
        if (value.isEmpty()) {
            m_codes.clear();
            m_letters.clear();
            m_names = NameValueFile();
            return false;
        }
        // The character's code is its byte value in the program's 8-bit set.
        const ushort u = value.at(0).unicode();
        if (u > 255) {
            m_codes.clear();
            m_letters.clear();
            m_names = NameValueFile();
            return false;
        }
        insertCode(QString::number(u));
    }
    insertCode(QStringLiteral("32"));
    return true;
}

bool CharacterMap::contains(const QString &code) const
{
    return std::binary_search(m_codes.cbegin(), m_codes.cend(), code);
}

void CharacterMap::insertCode(const QString &code)
{
    auto it = std::lower_bound(m_codes.begin(), m_codes.end(), code);
    if (it == m_codes.end() || *it != code) {
        m_letters.insert(m_letters.begin() + (it - m_codes.begin()), nullptr);
        m_codes.insert(it, code);
    }
}

TCompleteLetter *CharacterMap::letter(const QString &code) const
{
    const auto it = std::lower_bound(m_codes.cbegin(), m_codes.cend(), code);
    if (it == m_codes.cend() || *it != code)
        return nullptr;
    return m_letters[it - m_codes.cbegin()].get();
}

bool CharacterMap::attachLetter(const QString &code, std::shared_ptr<TCompleteLetter> letter)
{
    const auto it = std::lower_bound(m_codes.cbegin(), m_codes.cend(), code);
    if (it == m_codes.cend() || *it != code)
        return false;
    m_letters[it - m_codes.cbegin()] = std::move(letter);
    return true;
}

void CharacterMap::releaseLetters()
{
    for (auto &l : m_letters)
        l.reset();
}

} // namespace vz
