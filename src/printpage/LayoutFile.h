#pragma once

#include "imaging/Picture.h"
#include "printpage/TextBoxData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QRect>
#include <optional>

namespace vz {

// A page as a layout file stores it.
struct PageLayout
{
    struct PlacedItem
    {
        Picture picture;
        QRect rect; // page pixels
    };
    bool landscape = false;
    double ppiX = 96;
    double ppiY = 96;
    int screenDpi = 96;
    QList<PlacedItem> pictures; // print order
    QList<TextBoxData> boxes;   // text-box list order
};

constexpr qint32 kLayoutTextBoxMarker = 4501;
constexpr qint32 kLayoutEndMarker = 4502;
constexpr int kMaxLayoutPictures = 4500;

// The file's bytes. Raises FileError with "This page has too many pictures
// to be saved." for a page of over 4500 pictures (the count would read as a
// marker) and for a file that would pass 2 GB.
QByteArray encodeLayout(const PageLayout &page);

struct DecodedPicture
{
    Picture picture;
    double top = 0, left = 0, height = 0, width = 0; // inches
};

struct DecodedLayout
{
    enum class Status { Ok, HeaderCorrupt, Version, BodyError };
    Status status = Status::Ok;
    qint64 version = 0;
    bool landscape = false;
    QList<DecodedPicture> pictures; // what was read before any body error
    QList<TextBoxData> boxes;
};

// Judges a file from its size and first 14 bytes: Ok, HeaderCorrupt or
// Version (with `version` set).
DecodedLayout::Status judgeLayoutHeader(qint64 fileSize, QByteArrayView head, qint64 *version = nullptr);
// Reads a whole file. Pictures are decoded; anything cut, negative, past the
// end or unreadable ends in BodyError with the records read before it.
DecodedLayout decodeLayout(QByteArrayView bytes, int screenDpi);

// The page-pixel rectangle of a picture on a page of the given pixels per
// inch (halves to even); nullopt when a value passes ±1,000,000.
std::optional<QRect> layoutPictureRect(const DecodedPicture &picture, double ppiX, double ppiY);

// "This version of ... It requires version 2.00."
QString layoutVersionText(qint64 version);
// What the program says about a file read with this status (CR for a line
// break); empty for Ok.
QString layoutStatusMessage(const DecodedLayout &layout);

// Whether a file name's last suffix is ".VZL" in any case.
bool hasLayoutExtension(const QString &fileName);
// The name a page is saved under: a last suffix other than ".VZL" (any
// case) is replaced by ".VZL", a name without one gets it.
QString withLayoutExtension(const QString &fileName);

} // namespace vz
