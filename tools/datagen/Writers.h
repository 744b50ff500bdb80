#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;

namespace datagen {

// The generator writes every format of the program's own through vzcore; this
// is the one place that knows vzcore's writers.

// A record of a letter catalog ("Images.catalog").
struct LetterRecord
{
    QString fileName; // also the record's Name
    QByteArray thumbnail;
};

// A record of a clip-art catalog.
struct ClipRecord
{
    QString name;
    QString fileName;
    QByteArray thumbnail;
    QString set;
    QString search;
};

// The 55 x 55 thumbnail (BMP bytes) of an image file, made by the program's
// thumbnail maker.
QByteArray makeThumbnail(const QString &imageFile);

void writeLetterCatalog(const QString &path, const QList<LetterRecord> &records);
void writeClipCatalog(const QString &path, const QList<ClipRecord> &records);

// "tips.dat": one text field "Tips".
void writeTips(const QString &path, const QStringList &tips);

struct TourStep
{
    QString title;
    QString text;
    QString method[3];
    int code[3] = {0, 0, 0};
    QString methodText;
    QByteArray picture; // BMP file bytes
};
void writeTour(const QString &path, const QList<TourStep> &steps);

// A picture file drawn on white at its own size, by the program's picture type.
QImage pictureAsImage(const QString &file);

// A placeable WMF of the given size in pixels, drawn by `draw`.
QByteArray makeWmf(QSize size, const std::function<void(QPainter &)> &draw);

} // namespace datagen
