#include "Lists.h"

#include <QDir>
#include <QFile>

namespace datagen {

QStringList readLines(const QString &path)
{
    QFile f(path);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        out << line;
    }
    return out;
}

QList<Block> readBlocks(const QString &path)
{
    QFile f(path);
    QList<Block> out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    Block current;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (line.trimmed().isEmpty()) {
            if (!current.isEmpty())
                out << current;
            current.clear();
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        // A repeated key continues the value on a new line (long texts).
        if (current.contains(key))
            current[key] += QLatin1Char('\n') + value;
        else
            current.insert(key, value);
    }
    if (!current.isEmpty())
        out << current;
    return out;
}

bool writeTextFile(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &l : lines)
        bytes += l.toUtf8() + "\r\n";
    return writeBytes(path, bytes);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size() && f.flush();
}

bool freshFolder(const QString &path)
{
    QDir d(path);
    if (d.exists() && !d.removeRecursively())
        return false;
    return QDir().mkpath(path);
}

} // namespace datagen
