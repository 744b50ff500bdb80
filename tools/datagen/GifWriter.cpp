#include "GifWriter.h"

#include <QHash>

#include <algorithm>

#include <vector>

namespace datagen {

namespace {

class BitWriter
{
public:
    void put(int code, int bits)
    {
        m_acc |= quint32(code) << m_count;
        m_count += bits;
        while (m_count >= 8) {
            m_bytes.append(char(m_acc & 0xFF));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_count > 0)
            m_bytes.append(char(m_acc & 0xFF));
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_acc = 0;
    int m_count = 0;
};

QByteArray lzw(const std::vector<uchar> &indices)
{
    const int minCodeSize = 8;
    const int clearCode = 1 << minCodeSize;
    BitWriter out;
    int codeSize = minCodeSize + 1;
    int maxCode = clearCode + 1;
    QHash<quint32, int> dict;
    out.put(clearCode, codeSize);
    int cur = -1;
    for (uchar c : indices) {
        if (cur < 0) {
            cur = c;
            continue;
        }
        const quint32 key = (quint32(cur) << 8) | c;
        const auto it = dict.constFind(key);
        if (it != dict.constEnd()) {
            cur = it.value();
            continue;
        }
        out.put(cur, codeSize);
        dict.insert(key, ++maxCode);
        if (maxCode >= (1 << codeSize))
            ++codeSize;
        if (maxCode == 4095) {
            out.put(clearCode, codeSize);
            dict.clear();
            codeSize = minCodeSize + 1;
            maxCode = clearCode + 1;
        }
        cur = c;
    }
    if (cur >= 0)
        out.put(cur, codeSize);
    out.put(clearCode + 1, codeSize);
    return out.finish();
}

void le16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

} // namespace

QByteArray encodeGif(const QImage &source)
{
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();
    std::vector<QRgb> palette;
    std::vector<uchar> indices(size_t(w) * size_t(h));
    QHash<QRgb, int> exact;
    bool fits = true;
    for (int y = 0; y < h && fits; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            auto it = exact.constFind(c);
            if (it == exact.constEnd()) {
                if (exact.size() == 256) {
                    fits = false;
                    break;
                }
                it = exact.insert(c, int(palette.size()));
                palette.push_back(c);
            }
            indices[size_t(y) * w + x] = uchar(it.value());
        }
    }
    if (!fits) {
        // 6 x 7 x 6 cube (252 colours); 4 x 4 Bayer dither.
        static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        palette.clear();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 7; ++g)
                for (int b = 0; b < 6; ++b)
                    palette.push_back(qRgb(r * 255 / 5, g * 255 / 6, b * 255 / 5));
        for (int y = 0; y < h; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const double t = (bayer[y & 3][x & 3] + 0.5) / 16.0;
                auto q = [t](int v, int steps) {
                    const double f = v / 255.0 * (steps - 1);
                    int lo = int(f);
                    if (lo >= steps - 1)
                        return steps - 1;
                    return (f - lo) > t ? lo + 1 : lo;
                };
                const int r = q(qRed(line[x]), 6), g = q(qGreen(line[x]), 7), b = q(qBlue(line[x]), 6);
                indices[size_t(y) * w + x] = uchar((r * 7 + g) * 6 + b);
            }
        }
    }
    palette.resize(256, qRgb(0, 0, 0));

    QByteArray out("GIF89a");
    le16(out, w);
    le16(out, h);
    out.append(char(0xF7)); // global colour table of 256 entries, 8 bits per primary
    out.append(char(0));
    out.append(char(0));
    for (QRgb c : palette) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append(',');
    le16(out, 0);
    le16(out, 0);
    le16(out, w);
    le16(out, h);
    out.append(char(0));
    out.append(char(8));
    const QByteArray data = lzw(indices);
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - i);
        out.append(char(n));
        out.append(data.constData() + i, n);
    }
    out.append(char(0));
    out.append(';');
    return out;
}

} // namespace datagen
