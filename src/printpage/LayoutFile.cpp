#include "printpage/LayoutFile.h"

#include "common/Rounding.h"
#include "common/VzError.h"
#include "printpage/TextBoxStream.h"

#include <QtEndian>

#include <cmath>
#include <limits>

namespace vz {

namespace {

constexpr qint32 kKindBitmap = 1;
constexpr qint32 kKindMetafile = 2;
constexpr qint32 kKindJpeg = 3;
constexpr qint32 kKindGif = 4;
constexpr double kMaxPixels = 1000000;

void putInt32(QByteArray &out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putDouble(QByteArray &out, double v)
{
    char b[8];
    qToLittleEndian(v, b);
    out.append(b, 8);
}

struct BodyError
{
};

class Cursor
{
public:
    explicit Cursor(QByteArrayView data, qsizetype pos) : m_data(data), m_pos(pos) {}
    qint32 int32()
    {
        return qFromLittleEndian<qint32>(take(4).data());
    }
    double float64()
    {
        return qFromLittleEndian<double>(take(8).data());
    }
    QByteArrayView take(qint64 n)
    {
        if (n < 0 || n > m_data.size() - m_pos)
            throw BodyError{};
        const QByteArrayView v = m_data.sliced(m_pos, qsizetype(n));
        m_pos += qsizetype(n);
        return v;
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos;
};

} // namespace

QByteArray encodeLayout(const PageLayout &page)
{
    const QString tooMany = QStringLiteral("This page has too many pictures to be saved.");
    if (page.pictures.size() > kMaxLayoutPictures)
        throw FileError(tooMany);
    QByteArray out;
    putInt32(out, 0);
    out.append("VZ", 2);
    char v[8];
    qToLittleEndian(qint64(1), v);
    out.append(v, 8);
    putInt32(out, page.landscape ? 1 : 0);
    const auto count = qint32(page.pictures.size());
    for (const PageLayout::PlacedItem &item : page.pictures) {
        const Picture &p = item.picture;
        qint32 kind = kKindBitmap;
        QByteArray data;
        switch (p.kind()) {
        case Picture::Kind::Bitmap:
            data = p.saveData();
            break;
        case Picture::Kind::Metafile:
        case Picture::Kind::EnhancedMetafile:
            kind = kKindMetafile;
            data = p.saveData();
            break;
        case Picture::Kind::Jpeg:
            kind = kKindJpeg;
            data = p.sourceBytes();
            break;
        case Picture::Kind::Gif:
            kind = kKindGif;
            data = p.sourceBytes();
            break;
        case Picture::Kind::Icon:
            // The format has no icon kind: stored as the bitmap it shows.
            data = Picture::fromImage(p.render(QSize(), Qt::white, false)).saveData();
            break;
        case Picture::Kind::None:
            throw FileError(QStringLiteral("An empty picture cannot be saved."));
        }
        if (qint64(out.size()) + data.size() + 44 > std::numeric_limits<qint32>::max())
            throw FileError(tooMany);
        putInt32(out, count);
        putInt32(out, kind);
        putInt32(out, qint32(data.size()));
        out.append(data);
        const QRect &r = item.rect;
        putDouble(out, r.top() / page.ppiY);
        putDouble(out, r.left() / page.ppiX);
        putDouble(out, r.height() / page.ppiY);
        putDouble(out, r.width() / page.ppiX);
    }
    qint32 lastLength = 0;
    for (qsizetype i = 0; i < page.boxes.size(); ++i) {
        const QByteArray stream = encodeTextBox(page.boxes[i], int(i), page.screenDpi);
        if (qint64(out.size()) + stream.size() + 16 > std::numeric_limits<qint32>::max())
            throw FileError(tooMany);
        putInt32(out, kLayoutTextBoxMarker);
        putInt32(out, qint32(page.boxes.size()));
        lastLength = qint32(stream.size());
        putInt32(out, lastLength);
        out.append(stream);
    }
    putInt32(out, page.boxes.isEmpty() ? kLayoutEndMarker : lastLength);
    qToLittleEndian(qint32(out.size()), out.data());
    return out;
}

DecodedLayout::Status judgeLayoutHeader(qint64 fileSize, QByteArrayView head, qint64 *version)
{
    if (head.size() < 14 || fileSize < 14)
        return DecodedLayout::Status::HeaderCorrupt;
    if (qFromLittleEndian<qint32>(head.data()) != fileSize || head.sliced(4, 2) != QByteArrayView("VZ"))
        return DecodedLayout::Status::HeaderCorrupt;
    const qint64 v = qFromLittleEndian<qint64>(head.data() + 6);
    if (version)
        *version = v;
    return double(v) == 1.0 ? DecodedLayout::Status::Ok : DecodedLayout::Status::Version;
}

DecodedLayout decodeLayout(QByteArrayView bytes, int screenDpi)
{
    DecodedLayout out;
    out.status = judgeLayoutHeader(bytes.size(), bytes.first(qMin<qsizetype>(14, bytes.size())), &out.version);
    if (out.status != DecodedLayout::Status::Ok)
        return out;
    Cursor in(bytes, 14);
    try {
        out.landscape = in.int32() != 0;
        qint32 v = in.int32();
        if (v != kLayoutTextBoxMarker && v != kLayoutEndMarker) {
            const qint32 count = v;
            if (count < 0)
                throw BodyError{};
            Picture::Kind lastKind = Picture::Kind::None;
            for (qint32 i = 0; i < count; ++i) {
                if (i > 0)
                    in.int32(); // the repeated count
                const qint32 kind = in.int32();
                const qint32 length = in.int32();
                const QByteArray data = in.take(length).toByteArray();
                Picture::Kind k = lastKind;
                switch (kind) {
                case kKindBitmap: k = Picture::Kind::Bitmap; break;
                case kKindMetafile: k = Picture::Kind::Metafile; break;
                case kKindJpeg: k = Picture::Kind::Jpeg; break;
                case kKindGif: k = Picture::Kind::Gif; break;
                default: break; // read as the kind read last
                }
                if (k == Picture::Kind::None)
                    throw BodyError{};
                DecodedPicture p;
                try {
                    p.picture = Picture::fromBytes(data, k == Picture::Kind::EnhancedMetafile ? Picture::Kind::Metafile : k);
                } catch (const VzError &) {
                    throw BodyError{};
                }
                lastKind = k;
                p.top = in.float64();
                p.left = in.float64();
                p.height = in.float64();
                p.width = in.float64();
                for (const double d : {p.top, p.left, p.height, p.width})
                    if (!std::isfinite(d))
                        throw BodyError{};
                if (p.height < 0 || p.width < 0)
                    throw BodyError{};
                out.pictures.append(p);
            }
            v = in.int32();
        }
        if (v != kLayoutTextBoxMarker)
            return out;
        const qint32 count = in.int32();
        if (count < 0)
            throw BodyError{};
        for (qint32 i = 0; i < count; ++i) {
            if (i > 0) {
                in.int32(); // marker
                in.int32(); // count
            }
            const qint32 length = in.int32();
            const QByteArrayView stream = in.take(length);
            try {
                out.boxes.append(decodeTextBox(stream, screenDpi));
            } catch (const VzError &) {
                throw BodyError{};
            }
        }
    } catch (const BodyError &) {
        out.status = DecodedLayout::Status::BodyError;
    }
    return out;
}

std::optional<QRect> layoutPictureRect(const DecodedPicture &p, double ppiX, double ppiY)
{
    const double v[] = {p.left * ppiX, p.top * ppiY, p.width * ppiX, p.height * ppiY};
    for (const double d : v)
        if (!std::isfinite(d) || std::fabs(d) > kMaxPixels)
            return std::nullopt;
    if (v[2] < 0 || v[3] < 0)
        return std::nullopt;
    return QRect(roundHalfEven(v[0]), roundHalfEven(v[1]), roundHalfEven(v[2]), roundHalfEven(v[3]));
}

QString layoutVersionText(qint64 version)
{
    return QStringLiteral("This version of ZO Dodiduv cannot open the file specified.\rIt requires version %1.")
        .arg(double(version), 0, 'f', 2);
}

QString layoutStatusMessage(const DecodedLayout &layout)
{
    switch (layout.status) {
    case DecodedLayout::Status::Ok:
        return {};
    case DecodedLayout::Status::HeaderCorrupt:
        return QStringLiteral("The file header appears to be corrupt.  The ZO Dodiduv cannot open the file");
    case DecodedLayout::Status::Version:
        return layoutVersionText(layout.version);
    case DecodedLayout::Status::BodyError:
        break;
    }
    return QStringLiteral("An error occured while loading the file.\rThe file could not be loaded.");
}

namespace {

// The position of the dot starting the last suffix, or -1 (a dot in a
// folder name is not one).
qsizetype lastSuffixDot(const QString &fileName)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? dot : -1;
}

} // namespace

bool hasLayoutExtension(const QString &fileName)
{
    const qsizetype dot = lastSuffixDot(fileName);
    return dot >= 0 && fileName.mid(dot).compare(QLatin1String(".VZL"), Qt::CaseInsensitive) == 0;
}

QString withLayoutExtension(const QString &fileName)
{
    if (hasLayoutExtension(fileName))
        return fileName;
    const qsizetype dot = lastSuffixDot(fileName);
    return (dot >= 0 ? fileName.left(dot) : fileName) + QLatin1String(".VZL");
}

} // namespace vz
