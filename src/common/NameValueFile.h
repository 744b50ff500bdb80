#pragma once

#include <QString>
#include <QStringList>

namespace vz {

// Lines of the form name=value, as set data files and the character map use
// them. The name is the text before the first "="; nothing is trimmed; names
// compare without regard to case and the first line with a name wins. Lines
// without "=" define nothing.
class NameValueFile
{
public:
    NameValueFile() = default;
    explicit NameValueFile(QStringList lines);

    // Reads the file's lines (ending in CR, LF or CR LF). Returns false when
    // the file cannot be opened or read.
    bool load(const QString &path);
    // Splits raw bytes (Latin-1 when not valid UTF-8) into lines.
    void setText(const QByteArray &bytes);

    const QStringList &lines() const { return m_lines; }

    // The value of the first line whose name equals `name` without regard to
    // case; empty when no line has that name.
    QString value(const QString &name) const;
    // As value(), but tells whether any line defines the name.
    bool find(const QString &name, QString *value) const;

    // The name part of a line: the text before the first "="; a line without
    // "=" has the empty name.
    static QString nameOf(const QString &line);

    // Splits text into lines at CR, LF or CR LF. A final line ending does not
    // start another line.
    static QStringList splitLines(const QString &text);
    // Decodes file bytes: UTF-8 when valid, otherwise Windows-1252/Latin-1.
    static QString decode(const QByteArray &bytes);

private:
    QStringList m_lines;
};

} // namespace vz
