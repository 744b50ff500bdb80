#pragma once

#include "imagesets/MemTable.h"

#include <QImage>
#include <QStringList>

#include <vector>

namespace vz {

// The two catalog flavours: field lists and the header every catalog of the
// flavour starts with.
enum class CatalogFlavour { Clipart, Letters };

QList<FieldDef> catalogFields(CatalogFlavour flavour);
// 86 bytes for clip-art, 59 for letters.
int catalogHeaderSize(CatalogFlavour flavour);

// A thumbnail table: a memory table of catalog records kept sorted by
// FileName without regard to case. Thumbnails stay as their BMP bytes until
// first asked for, then are decoded once and kept.
class ThumbnailTable : public MemTable
{
public:
    explicit ThumbnailTable(CatalogFlavour flavour);

    CatalogFlavour flavour() const { return m_flavour; }

    // Fields of the record at a view position (sorted and filtered).
    QString name(int position) const { return text(recordAt(position), m_name); }
    QString fileName(int position) const { return text(recordAt(position), m_fileName); }
    QString set(int position) const { return m_set < 0 ? QString() : text(recordAt(position), m_set); }
    QString search(int position) const { return m_search < 0 ? QString() : text(recordAt(position), m_search); }
    // The thumbnail of a record (load order index); a null image when the
    // bytes do not decode.
    QImage thumbnailOfRecord(int record) const;
    QImage thumbnail(int position) const { return thumbnailOfRecord(recordAt(position)); }

    // Appends a record as the catalog makers do.
    int appendThumbnail(const QString &name, const QString &fileName, const QByteArray &bmp,
                        const QString &set = QString(), const QString &search = QString());

    // Reads catalog files that belong together into the table (records
    // replaced): the first catalog's header gives the fields, each further
    // one's records start after its header of catalogHeaderSize bytes. Each
    // is read on its own, so one cut short loses only its cut record. Raises
    // FileError for a file that cannot be read.
    void loadCatalogFiles(const QStringList &files);
    // The same over catalog bytes already read.
    void loadCatalogParts(const QList<QByteArray> &parts);

    // The search of the clip-art page: while searching, a record passes when
    // `query` occurs in its Search lower-cased.
    void setSearch(const QString &query, bool on);
    const QString &query() const { return m_query; }
    // Every line of every record's Search, lower-cased, sorted, each once.
    QStringList searchWords() const;

    int nameField() const { return m_name; }
    int fileNameField() const { return m_fileName; }
    int imageField() const { return m_image; }
    int setField() const { return m_set; }
    int searchField() const { return m_search; }

    // How many thumbnails have been decoded since the last load (for tests).
    int decodedCount() const { return m_decoded; }

protected:
    void recordsChanged() override;

private:
    CatalogFlavour m_flavour;
    int m_name, m_fileName, m_image, m_set, m_search;
    QString m_query;
    mutable std::vector<QImage> m_cache;
    mutable std::vector<char> m_tried;
    mutable int m_decoded = 0;
};

// The letter table of an alphabet: Name, FileName, Image.
class ThumbnailData : public ThumbnailTable
{
public:
    ThumbnailData() : ThumbnailTable(CatalogFlavour::Letters) {}
};

// The clip-art table: Name, FileName, Image, Set, Search.
class ThumbnailDataClip : public ThumbnailTable
{
public:
    ThumbnailDataClip() : ThumbnailTable(CatalogFlavour::Clipart) {}
};

// The record filter of both thumbnail tables: with the filter off every
// record passes; on, a record passes when `query` occurs in `search` with
// only A-Z lower-cased on the record's side.
bool ThumbnailDataFilterRecord(const QString &search, const QString &query, bool filterOn);
// Lower-cases the letters A-Z only.
QString lowerAsciiLetters(const QString &s);
// The lines of a text ending at CR, LF or CR LF (a last line ending starts
// no further line).
QStringList textLines(const QString &text);

// The catalog files of a clip-art category: the folder's own, then depth
// first its subfolders'.
QStringList clipartCatalogFiles(const QString &folder);
// The catalog files of an alphabet: only its own folder.
QStringList letterCatalogFiles(const QString &folder);

void LoadClipartCatalogs(ThumbnailDataClip &table, const QString &folder);
void LoadLetterCatalogs(ThumbnailData &table, const QString &folder);

} // namespace vz
