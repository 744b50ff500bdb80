#include "imagesets/MemTable.h"

#include "common/AtomicFile.h"
#include "common/VzError.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vz {

namespace {

constexpr double kFileVersion = 1.4;

// A cursor over the stream that refuses to read past its end.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_data(bytes.constData()), m_size(bytes.size()) {}

    qsizetype remaining() const { return m_size - m_pos; }
    qsizetype pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_size; }

    bool bytes(qsizetype n, const char **out)
    {
        if (n < 0 || n > remaining())
            return false;
        *out = m_data + m_pos;
        m_pos += n;
        return true;
    }
    bool skip(qsizetype n)
    {
        const char *unused;
        return bytes(n, &unused);
    }
    bool i32(qint32 *v)
    {
        const char *p;
        if (!bytes(4, &p))
            return false;
        *v = qFromLittleEndian<qint32>(p);
        return true;
    }
    bool i16(qint16 *v)
    {
        const char *p;
        if (!bytes(2, &p))
            return false;
        *v = qFromLittleEndian<qint16>(p);
        return true;
    }

private:
    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

void putI32(QByteArray &out, qint32 v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    out.append(b, 4);
}

void putI16(QByteArray &out, qint16 v)
{
    char b[2];
    qToLittleEndian<qint16>(v, b);
    out.append(b, 2);
}

// A picture may come wrapped in a small header of its own: 16-bit 1, 16-bit
// 0x0100, 32-bit length of the rest.
QByteArrayView stripPictureHeader(QByteArrayView v)
{
    if (v.size() >= 8) {
        const char *p = v.data();
        const quint16 a = qFromLittleEndian<quint16>(p);
        const quint16 b = qFromLittleEndian<quint16>(p + 2);
        const quint32 len = qFromLittleEndian<quint32>(p + 4);
        if (a == 1 && b == 0x0100 && qsizetype(len) == v.size() - 8)
            return v.sliced(8);
    }
    return v;
}

bool sameKind(FieldType tableType, qint16 storedType, qint32 storedSize, int tableSize)
{
    const qint16 t = static_cast<qint16>(tableType);
    if (t == 1 || storedType == 1)
        return t == storedType;
    if (isBlobType(t) || isBlobType(storedType))
        return isBlobType(t) && isBlobType(storedType);
    return storedSize == tableSize;
}

} // namespace

bool isBlobType(qint16 code)
{
    return code >= 13 && code <= 19;
}

int fixedDataSize(FieldType type)
{
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Word:
    case FieldType::Boolean:
        return 2;
    case FieldType::Integer:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::AutoInc:
        return 4;
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::DateTime:
        return 8;
    case FieldType::BCD:
        return 34;
    default:
        return 0;
    }
}

QList<FieldDef> storedFields(const QByteArray &bytes)
{
    Reader in(bytes);
    if (bytes.startsWith("Ver") && !in.skip(11))
        return {};
    qint32 count = 0;
    if (!in.i32(&count) || count < 0 || count > in.remaining() / 8)
        return {};
    QList<FieldDef> fields;
    for (qint32 i = 0; i < count; ++i) {
        FieldDef f;
        qint32 size = 0;
        qint16 type = 0, nameLength = 0;
        const char *name;
        if (!in.i32(&size) || !in.i16(&type) || !in.i16(&nameLength) || !in.bytes(nameLength, &name))
            return {};
        f.name = QString::fromLatin1(name, qstrnlen(name, nameLength));
        f.type = static_cast<FieldType>(type);
        f.dataSize = size;
        fields.append(f);
    }
    return fields;
}

MemTable::MemTable(QList<FieldDef> fields) : m_fields(std::move(fields)) {}

int MemTable::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void MemTable::clear()
{
    m_cells.clear();
    m_backing.clear();
    m_recordCount = 0;
    invalidateView();
    recordsChanged();
}

int MemTable::appendRecord()
{
    m_cells.resize(m_cells.size() + m_fields.size());
    ++m_recordCount;
    invalidateView();
    recordsChanged();
    return m_recordCount - 1;
}

MemTable::Cell &MemTable::cell(int record, int field)
{
    Q_ASSERT(record >= 0 && record < m_recordCount && field >= 0 && field < m_fields.size());
    return m_cells[size_t(record) * m_fields.size() + field];
}

const MemTable::Cell *MemTable::cellOrNull(int record, int field) const
{
    if (record < 0 || record >= m_recordCount || field < 0 || field >= m_fields.size())
        return nullptr;
    return &m_cells[size_t(record) * m_fields.size() + field];
}

QString MemTable::text(int record, int field) const
{
    const Cell *c = cellOrNull(record, field);
    return c ? c->text : QString();
}

void MemTable::setText(int record, int field, const QString &value)
{
    Cell &c = cell(record, field);
    const int max = m_fields[field].maxLength();
    c.text = value.size() > max ? value.left(max) : value;
    c.null = false;
    if (field == m_sortField)
        invalidateView();
}

QByteArrayView MemTable::blobView(int record, int field) const
{
    const Cell *c = cellOrNull(record, field);
    return c ? QByteArrayView(c->bytes) : QByteArrayView();
}

void MemTable::setBlob(int record, int field, const QByteArray &bytes)
{
    Cell &c = cell(record, field);
    c.bytes = bytes;
    c.null = false;
    recordsChanged();
}

bool MemTable::isNull(int record, int field) const
{
    const Cell *c = cellOrNull(record, field);
    return !c || c->null;
}

void MemTable::setNull(int record, int field)
{
    Cell &c = cell(record, field);
    c = Cell();
}

QByteArray MemTable::raw(int record, int field) const
{
    const Cell *c = cellOrNull(record, field);
    return c ? c->bytes : QByteArray();
}

void MemTable::setRaw(int record, int field, const QByteArray &bytes)
{
    Cell &c = cell(record, field);
    QByteArray b = bytes.left(m_fields[field].dataSize);
    b.append(QByteArray(m_fields[field].dataSize - b.size(), '\0'));
    c.bytes = b;
    c.null = false;
}

qint64 MemTable::integer(int record, int field) const
{
    const QByteArray b = raw(record, field);
    switch (b.size()) {
    case 2:
        return m_fields[field].type == FieldType::Word ? qint64(qFromLittleEndian<quint16>(b.constData()))
                                                        : qint64(qFromLittleEndian<qint16>(b.constData()));
    case 4:
        return qFromLittleEndian<qint32>(b.constData());
    case 8:
        return qFromLittleEndian<qint64>(b.constData());
    default:
        return 0;
    }
}

void MemTable::setInteger(int record, int field, qint64 value)
{
    char b[8];
    qToLittleEndian<qint64>(value, b);
    setRaw(record, field, QByteArray(b, 8));
}

double MemTable::real(int record, int field) const
{
    const QByteArray b = raw(record, field);
    if (b.size() != 8)
        return 0;
    return qFromLittleEndian<double>(b.constData());
}

void MemTable::setReal(int record, int field, double value)
{
    char b[8];
    qToLittleEndian<double>(value, b);
    setRaw(record, field, QByteArray(b, 8));
}

void MemTable::setSortField(const QString &name)
{
    m_sortField = fieldIndex(name);
    invalidateView();
}

void MemTable::setFilter(std::function<bool(const MemTable &, int)> filter)
{
    m_filter = std::move(filter);
    invalidateView();
}

void MemTable::setFiltered(bool on)
{
    m_filtered = on;
    invalidateView();
}

void MemTable::refilter()
{
    invalidateView();
}

void MemTable::invalidateView()
{
    m_viewValid = false;
}

void MemTable::ensureView() const
{
    if (m_viewValid)
        return;
    m_sorted.resize(m_recordCount);
    for (int i = 0; i < m_recordCount; ++i)
        m_sorted[i] = i;
    if (m_sortField >= 0) {
        // Compare case-folded keys once each rather than folding per comparison.
        std::vector<QString> keys(m_recordCount);
        for (int i = 0; i < m_recordCount; ++i)
            keys[i] = m_cells[size_t(i) * m_fields.size() + m_sortField].text.toCaseFolded();
        std::stable_sort(m_sorted.begin(), m_sorted.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    }
    m_view.clear();
    if (m_filtered && m_filter) {
        for (int r : m_sorted)
            if (m_filter(*this, r))
                m_view.push_back(r);
    } else {
        m_view = m_sorted;
    }
    m_viewValid = true;
}

int MemTable::count() const
{
    ensureView();
    return int(m_view.size());
}

int MemTable::recordAt(int position) const
{
    ensureView();
    if (position < 0 || position >= int(m_view.size()))
        return -1;
    return m_view[position];
}

namespace {

// A raw-data array (which owns nothing) is copied, so the table never
// outlives the bytes its blob cells point into.
std::shared_ptr<const QByteArray> ownedBytes(const QByteArray &bytes)
{
    QByteArray shared = bytes;
    if (!shared.data_ptr().d_ptr())
        shared = QByteArray(bytes.constData(), bytes.size());
    return std::make_shared<const QByteArray>(std::move(shared));
}

} // namespace

bool MemTable::readHeader(const QByteArray &bytes, StreamLayout &layout) const
{
    Reader in(bytes);
    // Without "Ver" there is no version and no null-flag bytes.
    double version = 0;
    if (bytes.startsWith("Ver")) {
        const char *p;
        in.skip(3);
        if (!in.bytes(8, &p))
            return false;
        version = qFromLittleEndian<double>(p);
    }
    layout.flags = version > 0;

    qint32 fieldCount = 0;
    // Each descriptor takes at least 8 bytes, which bounds a lying count.
    if (!in.i32(&fieldCount) || fieldCount < 0 || fieldCount > in.remaining() / 8)
        return false;
    layout.fields.assign(size_t(fieldCount), StoredField());
    for (StoredField &f : layout.fields) {
        qint16 nameLength = 0;
        const char *name;
        if (!in.i32(&f.dataSize) || !in.i16(&f.type) || !in.i16(&nameLength) || !in.bytes(nameLength, &name))
            return false;
        if (f.dataSize < 0 && !isBlobType(f.type) && f.type != 1)
            return false;
        const qsizetype len = qstrnlen(name, nameLength);
        f.target = fieldIndex(QString::fromLatin1(name, len));
        if (f.target >= 0 && !sameKind(m_fields[f.target].type, f.type, f.dataSize, m_fields[f.target].dataSize))
            f.target = -1;
    }
    layout.recordStart = in.pos();
    return !layout.fields.empty();
}

int MemTable::readRecords(const std::shared_ptr<const QByteArray> &backing, qsizetype from, const StreamLayout &layout)
{
    const QByteArray &bytes = *backing;
    Reader in(bytes);
    if (!in.skip(from))
        return 0;

    struct Pending
    {
        int target;
        qsizetype offset;
        qsizetype length;
        bool null;
    };
    std::vector<Pending> pending;
    pending.reserve(layout.fields.size());
    const int nFields = m_fields.size();
    int read = 0;

    while (!in.atEnd()) {
        const qsizetype start = in.pos();
        pending.clear();
        bool whole = true;
        for (const StoredField &f : layout.fields) {
            const char *p = nullptr;
            if (f.type == 1 || isBlobType(f.type)) {
                qint32 length = 0;
                if (!in.i32(&length) || !in.bytes(length, &p)) {
                    whole = false;
                    break;
                }
                if (f.target >= 0)
                    pending.push_back({f.target, p - bytes.constData(), length, false});
            } else {
                bool null = false;
                if (layout.flags) {
                    const char *flag;
                    if (!in.bytes(1, &flag)) {
                        whole = false;
                        break;
                    }
                    null = *flag == 0;
                }
                if (!in.bytes(f.dataSize, &p)) {
                    whole = false;
                    break;
                }
                if (f.target >= 0)
                    pending.push_back({f.target, p - bytes.constData(), f.dataSize, null});
            }
        }
        // Fields that all take no bytes would repeat the record forever.
        if (!whole || in.pos() == start)
            break;
        m_cells.resize(m_cells.size() + nFields);
        Cell *row = &m_cells[m_cells.size() - nFields];
        for (const Pending &v : pending) {
            Cell &c = row[v.target];
            const FieldDef &def = m_fields[v.target];
            const char *p = bytes.constData() + v.offset;
            c.null = v.null;
            if (def.type == FieldType::String) {
                const qsizetype len = qstrnlen(p, v.length);
                c.text = QString::fromLatin1(p, qMin<qsizetype>(len, def.maxLength()));
            } else if (isBlobType(static_cast<qint16>(def.type))) {
                QByteArrayView view(p, v.length);
                if (def.type == FieldType::Graphic)
                    view = stripPictureHeader(view);
                c.bytes = QByteArray::fromRawData(view.data(), view.size());
            } else {
                c.bytes = QByteArray(p, v.length);
            }
        }
        ++m_recordCount;
        ++read;
    }
    if (read > 0)
        m_backing.push_back(backing);
    return read;
}

int MemTable::loadFromBytes(const QByteArray &bytes)
{
    clear();
    const auto backing = ownedBytes(bytes);
    StreamLayout layout;
    if (readHeader(*backing, layout))
        readRecords(backing, layout.recordStart, layout);
    invalidateView();
    recordsChanged();
    return m_recordCount;
}

int MemTable::loadJoinedBytes(const QList<QByteArray> &streams, qsizetype recordStart)
{
    clear();
    StreamLayout layout;
    bool haveFields = false;
    for (const QByteArray &stream : streams) {
        const auto backing = ownedBytes(stream);
        if (!haveFields) {
            // Streams before the first readable header add nothing: their
            // records cannot be told apart without fields.
            haveFields = readHeader(*backing, layout);
            if (haveFields)
                readRecords(backing, layout.recordStart, layout);
        } else {
            readRecords(backing, recordStart, layout);
        }
    }
    invalidateView();
    recordsChanged();
    return m_recordCount;
}

QByteArray MemTable::headerBytes() const
{
    QByteArray out;
    out.append("Ver", 3);
    char v[8];
    qToLittleEndian<double>(kFileVersion, v);
    out.append(v, 8);
    putI32(out, m_fields.size());
    for (const FieldDef &f : m_fields) {
        const QByteArray name = f.name.toLatin1();
        putI32(out, f.dataSize);
        putI16(out, static_cast<qint16>(f.type));
        putI16(out, qint16(name.size() + 1));
        out.append(name);
        out.append('\0');
    }
    return out;
}

QByteArray MemTable::saveToBytes() const
{
    QByteArray out = headerBytes();
    for (int r = 0; r < m_recordCount; ++r) {
        for (int f = 0; f < m_fields.size(); ++f) {
            const Cell &c = m_cells[size_t(r) * m_fields.size() + f];
            const FieldDef &def = m_fields[f];
            if (def.type == FieldType::String) {
                const QByteArray t = c.text.toLatin1();
                putI32(out, qint32(t.size() + 1));
                out.append(t);
                out.append('\0');
            } else if (isBlobType(static_cast<qint16>(def.type))) {
                putI32(out, qint32(c.bytes.size()));
                out.append(c.bytes);
            } else {
                out.append(c.null ? '\0' : '\1');
                QByteArray value = c.bytes.left(def.dataSize);
                value.append(QByteArray(def.dataSize - value.size(), '\0'));
                out.append(value);
            }
        }
    }
    return out;
}

void MemTable::saveToFile(const QString &path) const
{
    QString why;
    if (!writeFileAtomically(path, saveToBytes(), &why))
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, why));
}

} // namespace vz
