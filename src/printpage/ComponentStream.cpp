#include "printpage/ComponentStream.h"

#include "metafile/AnsiText.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace vz {

namespace {

[[noreturn]] void fail(const char *what)
{
    throw ComponentStreamError(QStringLiteral("Invalid component stream: %1").arg(QLatin1StringView(what)));
}

// An 80-bit extended float: sign, 15-bit exponent, 64-bit mantissa with an
// explicit integer bit.
double extendedToDouble(const uchar *p)
{
    const quint64 mantissa = qFromLittleEndian<quint64>(p);
    const quint16 se = qFromLittleEndian<quint16>(p + 8);
    const bool negative = se & 0x8000;
    const int exponent = se & 0x7FFF;
    double v;
    if (exponent == 0x7FFF)
        v = (mantissa << 1) ? std::nan("") : HUGE_VAL;
    else
        v = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return negative ? -v : v;
}

} // namespace

bool ComponentValue::isInteger() const
{
    switch (type) {
    case ValueType::Int8: case ValueType::Int16: case ValueType::Int32: case ValueType::Int64:
        return true;
    default:
        return false;
    }
}

bool ComponentValue::isString() const
{
    switch (type) {
    case ValueType::String: case ValueType::LString: case ValueType::WString: case ValueType::Utf8String:
        return true;
    default:
        return false;
    }
}

quint8 ComponentReader::byte()
{
    if (m_pos >= m_data.size())
        fail("cut short");
    return quint8(m_data[m_pos++]);
}

QByteArrayView ComponentReader::take(qint64 count)
{
    if (count < 0 || count > m_data.size() - m_pos)
        fail("length past the end");
    const QByteArrayView v = m_data.sliced(m_pos, qsizetype(count));
    m_pos += qsizetype(count);
    return v;
}

qint64 ComponentReader::readSigned(int bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(take(bytes).data());
    switch (bytes) {
    case 1: return qint8(p[0]);
    case 2: return qFromLittleEndian<qint16>(p);
    case 4: return qFromLittleEndian<qint32>(p);
    default: return qFromLittleEndian<qint64>(p);
    }
}

QString ComponentReader::readShortString()
{
    const QByteArrayView b = take(byte());
    return mf::decodeAnsi(b.data(), b.size());
}

void ComponentReader::readHeader(QString *className, QString *componentName)
{
    if (take(4) != QByteArrayView("TPF0"))
        fail("no TPF0 signature");
    const QString cls = readShortString();
    const QString name = readShortString();
    if (className)
        *className = cls;
    if (componentName)
        *componentName = name;
}

bool ComponentReader::atListEnd()
{
    if (m_pos >= m_data.size())
        fail("cut short");
    if (m_data[m_pos] != 0)
        return false;
    ++m_pos;
    return true;
}

void ComponentReader::readChildrenEnd()
{
    if (!atListEnd())
        fail("child components are not supported");
}

ComponentValue ComponentReader::readValue()
{
    return readValue(0);
}

void ComponentReader::skipProperties(int depth)
{
    while (!atListEnd()) {
        readShortString();
        readValue(depth + 1);
    }
}

ComponentValue ComponentReader::readValue(int depth)
{
    if (depth > kMaxComponentNesting)
        fail("nested too deeply");
    ComponentValue v;
    const quint8 t = byte();
    if (t > quint8(ValueType::Utf8String))
        fail("unknown value type");
    v.type = ValueType(t);
    switch (v.type) {
    case ValueType::Null: case ValueType::False: case ValueType::True: case ValueType::Nil:
        break;
    case ValueType::List:
        while (!atListEnd())
            v.items.append(readValue(depth + 1));
        break;
    case ValueType::Int8: v.integer = readSigned(1); break;
    case ValueType::Int16: v.integer = readSigned(2); break;
    case ValueType::Int32: v.integer = readSigned(4); break;
    case ValueType::Int64: v.integer = readSigned(8); break;
    case ValueType::Extended:
        v.real = extendedToDouble(reinterpret_cast<const uchar *>(take(10).data()));
        break;
    case ValueType::String: case ValueType::Ident:
        v.text = readShortString();
        break;
    case ValueType::LString: {
        const QByteArrayView b = take(readSigned(4));
        v.text = mf::decodeAnsi(b.data(), b.size());
        break;
    }
    case ValueType::Utf8String:
        v.text = QString::fromUtf8(take(readSigned(4)));
        break;
    case ValueType::WString: {
        const qint64 count = readSigned(4);
        if (count < 0 || count > (m_data.size() - m_pos) / 2)
            fail("length past the end");
        const QByteArrayView b = take(count * 2);
        v.text.resize(qsizetype(count));
        for (qsizetype i = 0; i < count; ++i)
            v.text[i] = QChar(qFromLittleEndian<quint16>(b.data() + 2 * i));
        break;
    }
    case ValueType::Binary:
        v.binary = take(readSigned(4)).toByteArray();
        break;
    case ValueType::Set:
        for (;;) {
            const QString member = readShortString();
            if (member.isEmpty())
                break;
            v.set.append(member);
        }
        break;
    case ValueType::Collection:
        while (!atListEnd()) {
            // An item starts with a 1 (or, in older streams, an order value).
            const quint8 start = byte();
            if (start != 1) {
                --m_pos;
                readValue(depth + 1);
                if (byte() != 1)
                    fail("bad collection item");
            }
            skipProperties(depth + 1);
        }
        break;
    case ValueType::Single: {
        const float f = qFromLittleEndian<float>(take(4).data());
        v.real = f;
        break;
    }
    case ValueType::Currency:
        v.real = double(readSigned(8)) / 10000.0;
        break;
    case ValueType::Date:
        v.real = qFromLittleEndian<double>(take(8).data());
        break;
    }
    return v;
}

void ComponentWriter::writeShort(const QByteArray &bytes)
{
    const QByteArray b = bytes.left(255);
    m_out.append(char(b.size()));
    m_out.append(b);
}

void ComponentWriter::writeInt32(qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    m_out.append(b, 4);
}

void ComponentWriter::writeHeader(const QString &className, const QString &componentName)
{
    m_out.append("TPF0", 4);
    writeShort(mf::encodeAnsi(className));
    writeShort(mf::encodeAnsi(componentName));
}

void ComponentWriter::writeName(const QString &propertyName)
{
    writeShort(mf::encodeAnsi(propertyName));
}

void ComponentWriter::writeInteger(qint64 value)
{
    char b[8];
    if (value >= -128 && value <= 127) {
        m_out.append(char(ValueType::Int8));
        m_out.append(char(qint8(value)));
    } else if (value >= -32768 && value <= 32767) {
        m_out.append(char(ValueType::Int16));
        qToLittleEndian(qint16(value), b);
        m_out.append(b, 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        m_out.append(char(ValueType::Int32));
        writeInt32(qint32(value));
    } else {
        m_out.append(char(ValueType::Int64));
        qToLittleEndian(value, b);
        m_out.append(b, 8);
    }
}

void ComponentWriter::writeIdent(const QString &ident)
{
    m_out.append(char(ValueType::Ident));
    writeShort(ident.toLatin1());
}

void ComponentWriter::writeString(const QString &text)
{
    const QByteArray ansi = mf::encodeAnsi(text);
    if (mf::decodeAnsi(ansi.constData(), ansi.size()) != text) {
        m_out.append(char(ValueType::WString));
        writeInt32(qint32(text.size()));
        for (const QChar c : text) {
            char b[2];
            qToLittleEndian(c.unicode(), b);
            m_out.append(b, 2);
        }
    } else if (ansi.size() < 256) {
        m_out.append(char(ValueType::String));
        writeShort(ansi);
    } else {
        m_out.append(char(ValueType::LString));
        writeInt32(qint32(ansi.size()));
        m_out.append(ansi);
    }
}

void ComponentWriter::writeBool(bool value)
{
    m_out.append(char(value ? ValueType::True : ValueType::False));
}

void ComponentWriter::writeSet(const QStringList &members)
{
    m_out.append(char(ValueType::Set));
    for (const QString &m : members)
        writeShort(m.toLatin1());
    m_out.append('\0');
}

void ComponentWriter::beginList()
{
    m_out.append(char(ValueType::List));
}

void ComponentWriter::endList()
{
    m_out.append('\0');
}

} // namespace vz
