#include "platform/Registry.h"

#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace vz {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

QString decodeRegText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return d.decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

QString escapeString(const QString &s)
{
    QString out;
    out.reserve(s.size() + 2);
    for (QChar c : s) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// Reads a quoted string starting at `pos` (which points at the opening
// quote). Returns false on a missing closing quote.
bool readQuoted(const QString &line, qsizetype &pos, QString &out)
{
    if (pos >= line.size() || line.at(pos) != QLatin1Char('"'))
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const QChar c = line.at(pos++);
        if (c == QLatin1Char('\\')) {
            if (pos >= line.size())
                return false;
            out += line.at(pos++);
        } else if (c == QLatin1Char('"')) {
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

bool parseHexBytes(const QString &text, QByteArray &out)
{
    out.clear();
    const auto parts = QStringView(text).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QStringView p : parts) {
        p = p.trimmed();
        bool ok = false;
        const uint b = p.toUInt(&ok, 16);
        if (!ok || b > 0xFF)
            return false;
        out.append(char(b));
    }
    return true;
}

QString hexBytes(const QByteArray &bytes)
{
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        out += QStringLiteral("%1").arg(uchar(bytes.at(i)), 2, 16, QLatin1Char('0'));
    }
    return out;
}

} // namespace

bool RegistryDocument::parse(const QByteArray &bytes)
{
    m_keys.clear();
    const QString text = decodeRegText(bytes);
    QStringList rawLines = text.split(QLatin1Char('\n'));
    // Join continuation lines (hex data ending with a backslash).
    QStringList lines;
    QString pending;
    for (QString l : rawLines) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        if (!pending.isEmpty()) {
            l = pending + l.trimmed();
            pending.clear();
        }
        if (l.endsWith(QLatin1Char('\\')) && l.contains(QLatin1String("=hex"))) {
            l.chop(1);
            pending = l;
            continue;
        }
        lines.append(l);
    }
    if (!pending.isEmpty())
        lines.append(pending);

    qsizetype i = 0;
    while (i < lines.size() && lines.at(i).trimmed().isEmpty())
        ++i;
    if (i >= lines.size() || lines.at(i).trimmed() != kHeader)
        return false;
    ++i;

    RegKeyData *current = nullptr;
    for (; i < lines.size(); ++i) {
        const QString line = lines.at(i);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
            continue;
        if (t.startsWith(QLatin1Char('['))) {
            if (!t.endsWith(QLatin1Char(']')) || t.size() < 3) {
                m_keys.clear();
                return false;
            }
            current = &ensureKey(t.mid(1, t.size() - 2));
            continue;
        }
        if (!current) {
            m_keys.clear();
            return false;
        }
        RegValue v;
        qsizetype pos = 0;
        if (t.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!readQuoted(t, pos, v.name)) {
            m_keys.clear();
            return false;
        }
        if (pos >= t.size() || t.at(pos) != QLatin1Char('=')) {
            m_keys.clear();
            return false;
        }
        ++pos;
        const QString data = t.mid(pos);
        bool ok = true;
        if (data.startsWith(QLatin1Char('"'))) {
            qsizetype p = 0;
            ok = readQuoted(data, p, v.text) && p == data.size();
            v.type = RegValue::String;
        } else if (data.startsWith(QLatin1String("dword:"))) {
            const QString hex = data.mid(6);
            v.dword = hex.toUInt(&ok, 16);
            ok = ok && hex.size() == 8;
            v.type = RegValue::DWord;
        } else if (data.startsWith(QLatin1String("hex(2):"))) {
            QByteArray b;
            ok = parseHexBytes(data.mid(7), b) && b.size() % 2 == 0;
            if (ok) {
                QStringDecoder d(QStringDecoder::Utf16LE);
                QString s = d.decode(b);
                while (s.endsWith(QChar(0)))
                    s.chop(1);
                v.text = s;
                v.type = RegValue::ExpandString;
            }
        } else if (data.startsWith(QLatin1String("hex"))) {
            // Other types are kept as written, but only when they are well formed.
            static const QRegularExpression form(QStringLiteral("^hex(\\([0-9a-fA-F]{1,8}\\))?:(.*)$"));
            const QRegularExpressionMatch m = form.match(data);
            QByteArray bytes;
            ok = m.hasMatch() && parseHexBytes(m.captured(2), bytes);
            v.type = RegValue::Other;
            v.raw = data;
        } else if (data == QLatin1String("-")) {
            continue; // a deletion line in a merge file: nothing to keep
        } else {
            ok = false;
        }
        if (!ok) {
            m_keys.clear();
            return false;
        }
        // A later line for the same name replaces the earlier.
        bool replaced = false;
        for (RegValue &old : current->values) {
            if (old.name.compare(v.name, Qt::CaseInsensitive) == 0) {
                old = v;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            current->values.append(v);
    }
    return true;
}

QByteArray RegistryDocument::serialize() const
{
    QString out = kHeader + QStringLiteral("\r\n");
    for (const RegKeyData &k : m_keys) {
        out += QStringLiteral("\r\n[") + k.path + QStringLiteral("]\r\n");
        for (const RegValue &v : k.values) {
            out += v.name.isEmpty() ? QStringLiteral("@=") : QLatin1Char('"') + escapeString(v.name) + QStringLiteral("\"=");
            switch (v.type) {
            case RegValue::String:
                out += QLatin1Char('"') + escapeString(v.text) + QLatin1Char('"');
                break;
            case RegValue::DWord:
                out += QStringLiteral("dword:%1").arg(v.dword, 8, 16, QLatin1Char('0'));
                break;
            case RegValue::ExpandString: {
                QByteArray b;
                for (QChar c : v.text) {
                    b.append(char(c.unicode() & 0xFF));
                    b.append(char(c.unicode() >> 8));
                }
                b.append(2, '\0');
                out += QStringLiteral("hex(2):") + hexBytes(b);
                break;
            }
            case RegValue::Other:
                out += v.raw;
                break;
            }
            out += QStringLiteral("\r\n");
        }
    }
    out += QStringLiteral("\r\n");
    return out.toUtf8();
}

RegKeyData *RegistryDocument::findKey(const QString &fullPath)
{
    for (RegKeyData &k : m_keys)
        if (k.path.compare(fullPath, Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

RegKeyData &RegistryDocument::ensureKey(const QString &fullPath)
{
    if (RegKeyData *k = findKey(fullPath))
        return *k;
    m_keys.append(RegKeyData{fullPath, {}});
    return m_keys.last();
}

QString registryFolder()
{
    const QByteArray dir = qgetenv("VZ_REGISTRY_DIR");
    if (!dir.isEmpty())
        return QString::fromLocal8Bit(dir);
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/vellozine");
}

QString registryFilePath() { return registryFolder() + QStringLiteral("/registry.reg"); }

RegistryKey::RegistryKey(RegRoot root)
    : m_root(root)
{
}

QString RegistryKey::rootName(RegRoot root)
{
    return root == RegRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE") : QStringLiteral("HKEY_CURRENT_USER");
}

bool RegistryKey::load(RegistryDocument &doc) const
{
    QFile f(registryFilePath());
    if (!f.exists())
        return true; // an empty store
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return doc.parse(bytes);
}

void RegistryKey::save(const RegistryDocument &doc) const
{
    QDir().mkpath(registryFolder());
    QString err;
    if (!writeFileAtomically(registryFilePath(), doc.serialize(), &err))
        throw RegistryError(QStringLiteral("Failed to set data for the registry: %1").arg(err));
}

bool RegistryKey::openKey(const QString &path, bool canCreate)
{
    closeKey();
    QString p = path;
    while (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    while (p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    const QString full = rootName(m_root) + QLatin1Char('\\') + p;
    RegistryDocument doc;
    if (!load(doc))
        return false;
    if (!doc.findKey(full)) {
        if (!canCreate)
            return false;
        doc.ensureKey(full);
        try {
            save(doc);
        } catch (const RegistryError &) {
            return false;
        }
    }
    m_fullPath = full;
    m_open = true;
    return true;
}

void RegistryKey::closeKey()
{
    m_open = false;
    m_fullPath.clear();
}

std::optional<RegValue> RegistryKey::find(const QString &name) const
{
    if (!m_open)
        throw RegistryError(QStringLiteral("No registry key is open"));
    RegistryDocument doc;
    if (!load(doc))
        throw RegistryError(QStringLiteral("The registry cannot be read"));
    if (RegKeyData *k = doc.findKey(m_fullPath)) {
        for (const RegValue &v : k->values) {
            if (v.name.compare(name, Qt::CaseInsensitive) == 0)
                return v;
        }
    }
    return std::nullopt;
}

bool RegistryKey::valueExists(const QString &name) const
{
    try {
        return find(name).has_value();
    } catch (const RegistryError &) {
        return false;
    }
}

QString RegistryKey::readString(const QString &name) const
{
    const std::optional<RegValue> v = find(name);
    if (!v)
        return QString();
    if (v->type != RegValue::String && v->type != RegValue::ExpandString)
        throw RegistryError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return v->text;
}

int RegistryKey::readInteger(const QString &name) const
{
    const std::optional<RegValue> v = find(name);
    if (!v || v->type != RegValue::DWord)
        throw RegistryError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return int(v->dword);
}

void RegistryKey::write(const RegValue &value)
{
    if (!m_open)
        throw RegistryError(QStringLiteral("No registry key is open"));
    RegistryDocument doc;
    if (!load(doc))
        throw RegistryError(QStringLiteral("Failed to set data for '%1'").arg(value.name));
    RegKeyData &k = doc.ensureKey(m_fullPath);
    bool replaced = false;
    for (RegValue &old : k.values) {
        if (old.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            old = value;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        k.values.append(value);
    save(doc);
}

void RegistryKey::writeString(const QString &name, const QString &value)
{
    RegValue v;
    v.name = name;
    v.type = RegValue::String;
    v.text = value;
    write(v);
}

void RegistryKey::writeExpandString(const QString &name, const QString &value)
{
    RegValue v;
    v.name = name;
    v.type = RegValue::ExpandString;
    v.text = value;
    write(v);
}

void RegistryKey::writeInteger(const QString &name, int value)
{
    RegValue v;
    v.name = name;
    v.type = RegValue::DWord;
    v.dword = quint32(value);
    write(v);
}

bool RegistryKey::deleteValue(const QString &name)
{
    if (!m_open)
        return false;
    RegistryDocument doc;
    if (!load(doc))
        return false;
    RegKeyData *k = doc.findKey(m_fullPath);
    if (!k)
        return false;
    for (qsizetype i = 0; i < k->values.size(); ++i) {
        if (k->values.at(i).name.compare(name, Qt::CaseInsensitive) == 0) {
            k->values.removeAt(i);
            save(doc);
            return true;
        }
    }
    return false;
}

} // namespace vz
