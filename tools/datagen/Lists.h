#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace datagen {

using Block = QMap<QString, QString>;

// key=value blocks separated by blank lines; "#" starts a comment line.
QList<Block> readBlocks(const QString &path);
// Non-empty lines that are not comments.
QStringList readLines(const QString &path);

// Writes text with CR LF line ends, as the program's own data files have them.
bool writeTextFile(const QString &path, const QStringList &lines);
bool writeBytes(const QString &path, const QByteArray &bytes);

// Removes a folder the generator owns and creates it anew.
bool freshFolder(const QString &path);

} // namespace datagen
