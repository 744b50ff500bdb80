#pragma once

#include "common/VzError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace vz {

// The toolkit's binary component stream ("TPF0"): a class name, a component
// name and a list of named, typed properties.
class ComponentStreamError : public FileError
{
public:
    using FileError::FileError;
};

enum class ValueType : quint8 {
    Null = 0, List = 1, Int8 = 2, Int16 = 3, Int32 = 4, Extended = 5, String = 6,
    Ident = 7, False = 8, True = 9, Binary = 10, Set = 11, LString = 12, Nil = 13,
    Collection = 14, Single = 15, Currency = 16, Date = 17, WString = 18, Int64 = 19,
    Utf8String = 20,
};

// One value as read. Only the members its type uses are set.
struct ComponentValue
{
    ValueType type = ValueType::Null;
    qint64 integer = 0;          // Int8 .. Int32, Int64
    double real = 0;             // Extended, Single, Currency, Date
    QString text;                // the string types and Ident
    QStringList set;             // Set
    QByteArray binary;           // Binary
    QList<ComponentValue> items; // List; a Collection is read and left out

    bool isInteger() const;
    bool isString() const;
    bool isBool() const { return type == ValueType::False || type == ValueType::True; }
};

// Reads a stream from memory. Every length is checked against the bytes left
// before anything is read or allocated; a fault raises ComponentStreamError.
class ComponentReader
{
public:
    // The reader only views the bytes: they must outlive it (a temporary array is refused).
    explicit ComponentReader(QByteArrayView data) : m_data(data) {}
    explicit ComponentReader(const QByteArray &data) : m_data(data) {}
    explicit ComponentReader(QByteArray &&) = delete;

    // "TPF0", the class name and the component name.
    void readHeader(QString *className, QString *componentName);
    // True (and the end byte consumed) at the 0 that ends a list.
    bool atListEnd();
    QString readShortString();
    ComponentValue readValue();
    // Skips the (empty) child list and checks nothing is left unread.
    void readChildrenEnd();

    qsizetype position() const { return m_pos; }

private:
    ComponentValue readValue(int depth);
    void skipProperties(int depth);
    quint8 byte();
    QByteArrayView take(qint64 count);
    qint64 readSigned(int bytes);

    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

// Writes a stream. Integers take the smallest type that holds them; text
// Windows-1252 can hold is written as a (long) string, other text as a wide
// string so nothing turns into question marks.
class ComponentWriter
{
public:
    void writeHeader(const QString &className, const QString &componentName);
    void writeName(const QString &propertyName);
    void writeInteger(qint64 value);
    void writeIdent(const QString &ident);
    void writeString(const QString &text);
    void writeBool(bool value);
    void writeSet(const QStringList &members);
    void beginList();
    void endList();
    void writeEnd() { m_out.append('\0'); }

    const QByteArray &data() const { return m_out; }

private:
    void writeShort(const QByteArray &bytes);
    void writeInt32(qint32 v);

    QByteArray m_out;
};

// Values nested deeper than this are refused.
constexpr int kMaxComponentNesting = 64;

} // namespace vz
