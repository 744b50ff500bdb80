#include "shell/TourScript.h"

#include "common/VzError.h"

#include <QFile>

namespace vz {

namespace {
enum Field { Title, Text, Method1, Method2, Method3, Code1, Code2, Code3, MethodText, Image };

// A tour is at most a few megabytes of pictures; anything far larger is not one.
constexpr qint64 kMaxTourFileSize = 256 * 1024 * 1024;
} // namespace

TourScript::TourScript()
    : m_table({FieldDef::text(QStringLiteral("TourTitle"), 120), FieldDef::text(QStringLiteral("TourText"), 500),
               FieldDef::text(QStringLiteral("TourMethod"), 120), FieldDef::text(QStringLiteral("TourMethod2"), 120),
               FieldDef::text(QStringLiteral("TourMethod3"), 120),
               FieldDef::fixed(QStringLiteral("TourMethodint"), FieldType::Integer),
               FieldDef::fixed(QStringLiteral("TourMethodint2"), FieldType::Integer),
               FieldDef::fixed(QStringLiteral("TourMethodint3"), FieldType::Integer),
               FieldDef::text(QStringLiteral("TourMeathodText"), 500),
               FieldDef::blob(QStringLiteral("TourImage"), FieldType::Graphic)})
{
}

void TourScript::loadFromBytes(const QByteArray &bytes)
{
    m_table.clear();
    m_table.loadFromBytes(bytes);
    m_current = 0;
    m_pastEnd = false;
}

void TourScript::loadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxTourFileSize) {
        loadFromBytes(QByteArray());
        return;
    }
    loadFromBytes(file.readAll());
}

QString TourScript::field(int index) const
{
    return m_current < stepCount() ? m_table.text(m_current, index) : QString();
}

QString TourScript::title() const { return field(Title); }
QString TourScript::text() const { return field(Text); }
QString TourScript::methodText() const { return field(MethodText); }

int TourScript::code(int which) const
{
    if (which < 0 || which > 2 || m_current >= stepCount())
        return 0;
    return int(m_table.integer(m_current, Code1 + which));
}

Picture TourScript::image() const
{
    if (m_current >= stepCount())
        return {};
    const QByteArray bytes = m_table.blob(m_current, Image);
    if (bytes.isEmpty())
        return {};
    try {
        return Picture::fromBytes(bytes, Picture::Kind::Bitmap);
    } catch (const VzError &) {
        return {};
    }
}

bool TourScript::next(TourActions &actions)
{
    if (m_pastEnd || stepCount() == 0)
        return false;
    if (m_current + 1 < stepCount())
        ++m_current;
    else
        m_pastEnd = true;
    for (int which = 0; which < 3; ++which) {
        // Read just before it runs: code 32 changes the step the rest come from.
        const int c = code(which);
        switch (c) {
        case 0:
        case 29:
            break;
        case 32:
            m_current = 0;
            m_pastEnd = false;
            break;
        default:
            if (c >= 1 && c <= 35)
                actions.perform(c, methodText());
            else
                actions.missTyped(c);
        }
    }
    return true;
}

} // namespace vz
