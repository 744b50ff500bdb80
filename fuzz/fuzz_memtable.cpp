// Drives the memory table reader and the catalog join with arbitrary bytes.

#include "imagesets/MemTable.h"
#include "imagesets/ThumbnailTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    vz::ThumbnailDataClip clip;
    clip.loadFromBytes(bytes);
    for (int i = 0; i < clip.count() && i < 4; ++i) {
        (void)clip.thumbnail(i);
        (void)clip.fileName(i);
    }
    clip.setSearch(QStringLiteral("a"), true);
    (void)clip.count();
    (void)clip.searchWords();

    // The same bytes cut in three and read as joined catalogs of each flavour.
    const qsizetype cut = size > 0 ? qsizetype(data[0]) * qsizetype(size) / 256 : 0;
    const QList<QByteArray> parts = {bytes.left(cut), bytes.mid(cut), bytes.mid(cut / 2)};
    vz::ThumbnailData letters;
    letters.loadCatalogParts(parts);
    if (letters.count() > 0)
        (void)letters.thumbnail(0);
    clip.loadCatalogParts(parts);
    if (clip.count() > 0)
        (void)clip.thumbnail(clip.count() - 1);

    // A table of every fixed kind, as the tips and tour files use them.
    vz::MemTable generic({vz::FieldDef::text(QStringLiteral("Name"), 75),
                          vz::FieldDef::fixed(QStringLiteral("Number"), vz::FieldType::Integer),
                          vz::FieldDef::fixed(QStringLiteral("Flag"), vz::FieldType::Boolean),
                          vz::FieldDef::fixed(QStringLiteral("When"), vz::FieldType::DateTime),
                          vz::FieldDef::blob(QStringLiteral("Image"))});
    generic.loadFromBytes(bytes);
    for (int r = 0; r < generic.recordCount() && r < 4; ++r) {
        (void)generic.integer(r, 1);
        (void)generic.real(r, 3);
    }
    (void)generic.saveToBytes();
    (void)vz::storedFields(bytes);
    return 0;
}
