#include "imaging/BmpFile.h"

#include "metafile/ByteReader.h"
#include "metafile/Dib.h"

namespace vz {

QImage readBmp(const QByteArray &bytes, QString *error)
{
    const mf::ByteReader in(bytes);
    if (!in.has(0, 14 + 12) || bytes.at(0) != 'B' || bytes.at(1) != 'M') {
        if (error)
            *error = QStringLiteral("not a BMP file");
        return QImage();
    }
    const quint32 offBits = in.u32(10);
    // A bits offset inside the headers or past the end is ignored: the rows
    // then follow the colour table.
    qsizetype bitsOffset = -1;
    if (offBits > 14 + 12 && qint64(offBits) < bytes.size())
        bitsOffset = qsizetype(offBits) - 14;
    const auto *dib = reinterpret_cast<const uchar *>(bytes.constData()) + 14;
    return mf::decodeDib(dib, bytes.size() - 14, bitsOffset, error);
}

QByteArray writeBmp24(const QImage &image)
{
    const QByteArray dib = mf::encodeDib24(image);
    QByteArray out;
    out.reserve(14 + dib.size());
    const quint32 total = quint32(14 + dib.size());
    const quint32 offBits = 14 + 40;
    const char head[14] = {'B', 'M',
                           char(total & 0xFF), char((total >> 8) & 0xFF), char((total >> 16) & 0xFF), char(total >> 24),
                           0, 0, 0, 0,
                           char(offBits), 0, 0, 0};
    out.append(head, 14);
    out.append(dib);
    return out;
}

} // namespace vz
