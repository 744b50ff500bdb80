#include "imagesets/ThumbnailTable.h"

#include "common/DataFiles.h"
#include "common/ProgramFolder.h"
#include "common/VzError.h"
#include "imagesets/AlphabetList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vz {

QList<FieldDef> catalogFields(CatalogFlavour flavour)
{
    if (flavour == CatalogFlavour::Clipart)
        return {FieldDef::text(QStringLiteral("Name"), 75), FieldDef::text(QStringLiteral("FileName"), 40),
                FieldDef::blob(QStringLiteral("Image")), FieldDef::text(QStringLiteral("Set"), 20),
                FieldDef::text(QStringLiteral("Search"), 65)};
    return {FieldDef::text(QStringLiteral("Name"), 40), FieldDef::text(QStringLiteral("FileName"), 40),
            FieldDef::blob(QStringLiteral("Image"))};
}

int catalogHeaderSize(CatalogFlavour flavour)
{
    return flavour == CatalogFlavour::Clipart ? 86 : 59;
}

ThumbnailTable::ThumbnailTable(CatalogFlavour flavour)
    : MemTable(catalogFields(flavour)), m_flavour(flavour)
{
    m_name = fieldIndex(QStringLiteral("Name"));
    m_fileName = fieldIndex(QStringLiteral("FileName"));
    m_image = fieldIndex(QStringLiteral("Image"));
    m_set = fieldIndex(QStringLiteral("Set"));
    m_search = fieldIndex(QStringLiteral("Search"));
    setSortField(QStringLiteral("FileName"));
    setFilter([this](const MemTable &t, int record) {
        return ThumbnailDataFilterRecord(m_search < 0 ? QString() : t.text(record, m_search), m_query, true);
    });
}

void ThumbnailTable::recordsChanged()
{
    m_cache.clear();
    m_tried.clear();
    m_decoded = 0;
}

QImage ThumbnailTable::thumbnailOfRecord(int record) const
{
    if (record < 0 || record >= recordCount())
        return QImage();
    if (m_cache.size() != size_t(recordCount())) {
        m_cache.resize(recordCount());
        m_tried.resize(recordCount(), 0);
    }
    if (!m_tried[record]) {
        m_tried[record] = 1;
        const QByteArrayView bytes = blobView(record, m_image);
        // fromRawData: the table keeps the bytes; the image is decoded from
        // them without a copy and owns its pixels afterwards.
        m_cache[record] = QImage::fromData(bytes, "BMP");
        ++m_decoded;
    }
    return m_cache[record];
}

int ThumbnailTable::appendThumbnail(const QString &name, const QString &fileName, const QByteArray &bmp,
                                    const QString &set, const QString &search)
{
    const int r = appendRecord();
    setText(r, m_name, name);
    setText(r, m_fileName, fileName);
    setBlob(r, m_image, bmp);
    if (m_set >= 0)
        setText(r, m_set, set);
    if (m_search >= 0)
        setText(r, m_search, search);
    return r;
}

void ThumbnailTable::loadCatalogFiles(const QStringList &files)
{
    clear();
    QList<QByteArray> parts;
    parts.reserve(files.size());
    for (const QString &path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString()));
        // A buffer of the file's size: the table keeps it, so no slack.
        QByteArray bytes(f.size(), Qt::Uninitialized);
        const qint64 got = f.read(bytes.data(), bytes.size());
        if (got < 0)
            throw FileError(QStringLiteral("Cannot read file \"%1\".").arg(path));
        bytes.truncate(got);
        parts.append(bytes);
    }
    loadCatalogParts(parts);
}

void ThumbnailTable::loadCatalogParts(const QList<QByteArray> &parts)
{
    loadJoinedBytes(parts, catalogHeaderSize(m_flavour));
}

void ThumbnailTable::setSearch(const QString &query, bool on)
{
    m_query = query;
    setFiltered(on);
    refilter();
}

QStringList ThumbnailTable::searchWords() const
{
    QStringList words;
    if (m_search < 0)
        return words;
    for (int r = 0; r < recordCount(); ++r)
        for (const QString &line : textLines(text(r, m_search)))
            if (!line.isEmpty())
                words.append(lowerAsciiLetters(line));
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

QString lowerAsciiLetters(const QString &s)
{
    QString out = s;
    for (QChar &c : out)
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    return out;
}

bool ThumbnailDataFilterRecord(const QString &search, const QString &query, bool filterOn)
{
    if (!filterOn)
        return true;
    return lowerAsciiLetters(search).contains(query);
}

QStringList textLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QStringList clipartCatalogFiles(const QString &folder)
{
    QStringList files;
    FindFilesInTree(folder, QStringLiteral("catalog"), files);
    return files;
}

QStringList letterCatalogFiles(const QString &folderIn)
{
    const QString folder = withTrailingSlash(folderIn);
    QStringList files;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
        if (hasDataExtension(name, QStringLiteral("catalog")))
            files.append(folder + name);
    return files;
}

void LoadClipartCatalogs(ThumbnailDataClip &table, const QString &folder)
{
    table.loadCatalogFiles(clipartCatalogFiles(folder));
}

void LoadLetterCatalogs(ThumbnailData &table, const QString &folder)
{
    table.loadCatalogFiles(letterCatalogFiles(folder));
}

} // namespace vz
