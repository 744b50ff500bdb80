#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "common/VzError.h"

namespace vz {

// The settings store standing in for the Windows registry: typed values
// (strings and 32-bit integers) under key paths written with "\", kept in one
// "Windows Registry Editor Version 5.00" text file, registry.reg, in
// $VZ_REGISTRY_DIR, or else $XDG_CONFIG_HOME/vellozine (~/.config/vellozine).
// Every change is written at once, beside the file and renamed over it. A file
// that cannot be read or parsed is never overwritten: opening fails instead.

class RegistryError : public VzError
{
public:
    using VzError::VzError;
};

enum class RegRoot { LocalMachine, CurrentUser };

struct RegValue
{
    enum Type { String, ExpandString, DWord, Other };
    QString name;
    Type type = String;
    QString text;     // String, ExpandString
    quint32 dword = 0; // DWord
    QString raw;      // Other: the data text after "=", kept as it was
};

struct RegKeyData
{
    QString path; // full path including the root name
    QList<RegValue> values;
};

// The parsed contents of a .reg file.
class RegistryDocument
{
public:
    // Parses .reg text; returns false (and leaves the document empty) when the
    // text is not a version 5.00 registry file or a line cannot be understood.
    bool parse(const QByteArray &bytes);
    QByteArray serialize() const;

    RegKeyData *findKey(const QString &fullPath);
    RegKeyData &ensureKey(const QString &fullPath);
    const QList<RegKeyData> &keys() const { return m_keys; }

private:
    QList<RegKeyData> m_keys;
};

QString registryFolder();
QString registryFilePath();

// One open key, in the manner of Delphi's TRegistry.
class RegistryKey
{
public:
    explicit RegistryKey(RegRoot root = RegRoot::CurrentUser);

    // Opens `path` below the root; with `canCreate` a missing key is created
    // (and stored). Returns false when the store cannot be read or parsed, or
    // the key is missing and may not be created, or it cannot be stored.
    bool openKey(const QString &path, bool canCreate);
    void closeKey();
    bool isOpen() const { return m_open; }

    bool valueExists(const QString &name) const;
    // A missing value reads as the empty text; a value of another type raises.
    QString readString(const QString &name) const;
    // A missing value or a value of another type raises.
    int readInteger(const QString &name) const;
    bool readBool(const QString &name) const { return readInteger(name) != 0; }

    // Writes store the whole file at once; failures raise RegistryError.
    void writeString(const QString &name, const QString &value);
    void writeExpandString(const QString &name, const QString &value);
    void writeInteger(const QString &name, int value);
    void writeBool(const QString &name, bool value) { writeInteger(name, value ? 1 : 0); }
    bool deleteValue(const QString &name);

    static QString rootName(RegRoot root);

private:
    std::optional<RegValue> find(const QString &name) const;
    void write(const RegValue &value);
    bool load(RegistryDocument &doc) const;
    void save(const RegistryDocument &doc) const;

    RegRoot m_root;
    QString m_fullPath;
    bool m_open = false;
};

} // namespace vz
