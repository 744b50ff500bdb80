#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace vz {

// Type codes of the memory table file. Codes 13 to 19 are the blob kinds,
// stored with a length prefix; 1 is text; the rest are fixed-size values.
enum class FieldType : qint16 {
    String = 1,
    SmallInt = 2,
    Integer = 3,
    Word = 4,
    Boolean = 5,
    Float = 6,
    Currency = 7,
    BCD = 8,
    Date = 9,
    Time = 10,
    DateTime = 11,
    AutoInc = 12,
    Blob = 13,
    Memo = 14,
    Graphic = 15,
    FmtMemo = 16,
    ParadoxOle = 17,
    DBaseOle = 18,
    TypedBinary = 19,
};

bool isBlobType(qint16 code);
struct FieldDef;
// The field descriptors stored at the start of a memory table stream, or
// none when they cannot be read.
QList<FieldDef> storedFields(const QByteArray &bytes);
// The stored data size of a fixed-size type (0 for text and blob kinds).
int fixedDataSize(FieldType type);

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    // Stored data size: maximum length + 1 for text, 0 for blob kinds, the
    // value's size for the fixed types.
    int dataSize = 0;

    static FieldDef text(const QString &name, int maxLength) { return {name, FieldType::String, maxLength + 1}; }
    static FieldDef blob(const QString &name, FieldType type = FieldType::Graphic) { return {name, type, 0}; }
    static FieldDef fixed(const QString &name, FieldType type) { return {name, type, fixedDataSize(type)}; }
    int maxLength() const { return dataSize > 0 ? dataSize - 1 : 0; }
};

// An in-memory table in the layout of the memory table file: fields, records
// in the order they were loaded or appended, and a view of them that is
// optionally sorted by a text field (without regard to case) and narrowed by
// a record filter. Texts are stored as Latin-1 in the file.
class MemTable
{
public:
    explicit MemTable(QList<FieldDef> fields = {});
    virtual ~MemTable() = default;

    const QList<FieldDef> &fields() const { return m_fields; }
    // Index of the field named `name` (without regard to case), or -1.
    int fieldIndex(const QString &name) const;

    // Removes all records (the fields stay).
    virtual void clear();

    // Records in load/append order.
    int recordCount() const { return m_recordCount; }
    int appendRecord();

    QString text(int record, int field) const;
    // Longer texts are cut to the field's maximum length.
    void setText(int record, int field, const QString &value);
    // The blob's bytes; valid while the table holds the record.
    QByteArrayView blobView(int record, int field) const;
    QByteArray blob(int record, int field) const { return blobView(record, field).toByteArray(); }
    void setBlob(int record, int field, const QByteArray &bytes);
    bool isNull(int record, int field) const;
    void setNull(int record, int field);
    // Fixed-size fields: the raw little-endian value and typed helpers.
    QByteArray raw(int record, int field) const;
    void setRaw(int record, int field, const QByteArray &bytes);
    qint64 integer(int record, int field) const;
    void setInteger(int record, int field, qint64 value);
    double real(int record, int field) const;
    void setReal(int record, int field, double value);

    // The view: sorted by a text field (or load order when none), filtered
    // while the filter is on. Positions run over the view.
    void setSortField(const QString &name);
    void setFilter(std::function<bool(const MemTable &, int record)> filter);
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }
    // Re-runs the filter (after its criteria changed).
    void refilter();
    int count() const;
    int recordAt(int position) const;

    // Reads a memory table stream into this table, replacing its records.
    // Stored fields are matched to the table's fields by name; the reading
    // stops quietly at the first record that cannot be read whole. Returns
    // the number of records read.
    int loadFromBytes(const QByteArray &bytes);
    // Reads catalogs that belong together, each on its own: the first stream
    // whose header can be read gives the fields and is read whole; each
    // further stream's records are read with those fields from its byte
    // `recordStart` (its own header is not read). The quiet stop at a record
    // that cannot be read whole ends that stream only. Returns the number
    // of records read.
    int loadJoinedBytes(const QList<QByteArray> &streams, qsizetype recordStart);
    // Serialises the fields and all records in load order.
    QByteArray saveToBytes() const;
    QByteArray headerBytes() const;
    // Writes the table to `path` through a file beside it; raises FileError.
    void saveToFile(const QString &path) const;

protected:
    virtual void recordsChanged() {}

private:
    struct StoredField
    {
        qint32 dataSize = 0;
        qint16 type = 0;
        int target = -1; // the table's field, or -1 when skipped
    };
    struct StreamLayout
    {
        std::vector<StoredField> fields;
        bool flags = false; // fixed-size values carry a null-flag byte
        qsizetype recordStart = 0;
    };
    bool readHeader(const QByteArray &bytes, StreamLayout &layout) const;
    // Appends the whole records of `backing` from byte `from`; the table
    // keeps `backing` when any were read.
    int readRecords(const std::shared_ptr<const QByteArray> &backing, qsizetype from, const StreamLayout &layout);

    struct Cell
    {
        QString text;
        QByteArray bytes; // blob or fixed value; may point into m_backing
        bool null = true;
    };
    Cell &cell(int record, int field);
    const Cell *cellOrNull(int record, int field) const;
    void invalidateView();
    void ensureView() const;

    QList<FieldDef> m_fields;
    std::vector<Cell> m_cells;
    int m_recordCount = 0;
    // Loaded streams whose bytes blob cells point into without copying.
    std::vector<std::shared_ptr<const QByteArray>> m_backing;

    int m_sortField = -1;
    std::function<bool(const MemTable &, int)> m_filter;
    bool m_filtered = false;
    mutable bool m_viewValid = false;
    mutable std::vector<int> m_sorted;
    mutable std::vector<int> m_view;
};

} // namespace vz
