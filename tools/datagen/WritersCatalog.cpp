// Catalogs, thumbnails, tips and tours through vzcore's memory table writer
// and thumbnail maker.
#include "Writers.h"

#include "imagesets/LetterThumbnail.h"
#include "imagesets/MemTable.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"

#include <QFileInfo>

namespace datagen {

QByteArray makeThumbnail(const QString &imageFile)
{
    // Metafiles are drawn unscaled onto a bitmap of their own size first,
    // as the program does with pictures its bitmap reader cannot read.
    if (QFileInfo(imageFile).suffix().compare(QLatin1String("wmf"), Qt::CaseInsensitive) == 0)
        return vz::bmp24Bytes(vz::makeThumbnailFromImage(pictureAsImage(imageFile)));
    return vz::bmp24Bytes(vz::MakeLetterThumbnail(imageFile));
}

void writeLetterCatalog(const QString &path, const QList<LetterRecord> &records)
{
    vz::ThumbnailData table;
    for (const LetterRecord &r : records)
        table.appendThumbnail(r.fileName, r.fileName, r.thumbnail);
    table.saveToFile(path);
}

void writeClipCatalog(const QString &path, const QList<ClipRecord> &records)
{
    vz::ThumbnailDataClip table;
    for (const ClipRecord &r : records)
        table.appendThumbnail(r.name, r.fileName, r.thumbnail, r.set, r.search);
    table.saveToFile(path);
}

void writeTips(const QString &path, const QStringList &tips)
{
    vz::MemTable table({vz::FieldDef::text(QStringLiteral("Tips"), 800)});
    for (const QString &tip : tips)
        table.setText(table.appendRecord(), 0, tip);
    table.saveToFile(path);
}

void writeTour(const QString &path, const QList<TourStep> &steps)
{
    using vz::FieldDef;
    using vz::FieldType;
    vz::MemTable table({FieldDef::text(QStringLiteral("TourTitle"), 120), FieldDef::text(QStringLiteral("TourText"), 500),
                        FieldDef::text(QStringLiteral("TourMethod"), 120), FieldDef::text(QStringLiteral("TourMethod2"), 120),
                        FieldDef::text(QStringLiteral("TourMethod3"), 120),
                        FieldDef::fixed(QStringLiteral("TourMethodint"), FieldType::Integer),
                        FieldDef::fixed(QStringLiteral("TourMethodint2"), FieldType::Integer),
                        FieldDef::fixed(QStringLiteral("TourMethodint3"), FieldType::Integer),
                        FieldDef::text(QStringLiteral("TourMeathodText"), 500),
                        FieldDef::blob(QStringLiteral("TourImage"), FieldType::Graphic)});
    for (const TourStep &s : steps) {
        const int r = table.appendRecord();
        table.setText(r, 0, s.title);
        table.setText(r, 1, s.text);
        for (int i = 0; i < 3; ++i) {
            table.setText(r, 2 + i, s.method[i]);
            table.setInteger(r, 5 + i, s.code[i]);
        }
        table.setText(r, 8, s.methodText);
        table.setBlob(r, 9, s.picture);
    }
    table.saveToFile(path);
}

} // namespace datagen
