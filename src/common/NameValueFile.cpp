#include "common/NameValueFile.h"

#include <QFile>
#include <QStringDecoder>

namespace vz {

NameValueFile::NameValueFile(QStringList lines)
    : m_lines(std::move(lines))
{
}

bool NameValueFile::load(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    setText(bytes);
    return true;
}

void NameValueFile::setText(const QByteArray &bytes)
{
    m_lines = splitLines(decode(bytes));
}

QString NameValueFile::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QStringList NameValueFile::splitLines(const QString &text)
{
    QStringList out;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        out.append(text.mid(start));
    return out;
}

QString NameValueFile::nameOf(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.left(eq);
}

bool NameValueFile::find(const QString &name, QString *value) const
{
    for (const QString &line : m_lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0) {
            if (value)
                *value = line.mid(eq + 1);
            return true;
        }
    }
    return false;
}

QString NameValueFile::value(const QString &name) const
{
    QString v;
    find(name, &v);
    return v;
}

} // namespace vz
