#pragma once

#include <QByteArray>
#include <QColor>
#include <QtGlobal>

#include <cstring>

namespace vz::mf {

// Little-endian reads over a byte span. Every read is checked against the
// span; an out-of-range read yields 0 and sets the failure flag, so parsers
// can read a whole structure and test once.
class ByteReader
{
public:
    ByteReader() = default;
    ByteReader(const uchar *data, qsizetype size) : m_data(data), m_size(size < 0 ? 0 : size) {}
    explicit ByteReader(const QByteArray &bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.constData())), m_size(bytes.size())
    {
    }

    qsizetype size() const { return m_size; }
    const uchar *data() const { return m_data; }
    bool failed() const { return m_failed; }
    bool has(qsizetype offset, qsizetype count) const
    {
        return offset >= 0 && count >= 0 && offset <= m_size && count <= m_size - offset;
    }

    quint8 u8(qsizetype at) const
    {
        if (!has(at, 1))
            return fail();
        return m_data[at];
    }
    quint16 u16(qsizetype at) const
    {
        if (!has(at, 2))
            return fail();
        return quint16(m_data[at] | (m_data[at + 1] << 8));
    }
    qint16 i16(qsizetype at) const { return qint16(u16(at)); }
    quint32 u32(qsizetype at) const
    {
        if (!has(at, 4))
            return fail();
        return quint32(m_data[at]) | (quint32(m_data[at + 1]) << 8) | (quint32(m_data[at + 2]) << 16)
            | (quint32(m_data[at + 3]) << 24);
    }
    qint32 i32(qsizetype at) const { return qint32(u32(at)); }
    float f32(qsizetype at) const
    {
        const quint32 v = u32(at);
        float f;
        std::memcpy(&f, &v, 4);
        return f;
    }
    // A sub-span, empty (and failed) when out of range.
    ByteReader sub(qsizetype at, qsizetype count) const
    {
        if (!has(at, count)) {
            fail();
            return ByteReader();
        }
        return ByteReader(m_data + at, count);
    }

private:
    quint8 fail() const
    {
        m_failed = true;
        return 0;
    }

    const uchar *m_data = nullptr;
    qsizetype m_size = 0;
    mutable bool m_failed = false;
};

// A COLORREF (0x00BBGGRR) at `at`.
inline QColor colorRef(const ByteReader &p, qsizetype at)
{
    const quint32 v = p.u32(at);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

} // namespace vz::mf
