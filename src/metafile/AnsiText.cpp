#include "metafile/AnsiText.h"

namespace vz::mf {

namespace {

constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString decodeAnsi(const char *bytes, qsizetype length)
{
    QString s;
    s.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        const uchar c = uchar(bytes[i]);
        s.append(c >= 0x80 && c < 0xA0 ? QChar(kHigh[c - 0x80]) : QChar(c));
    }
    return s;
}

QByteArray encodeAnsi(const QString &text)
{
    QByteArray b;
    b.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            b.append(char(u));
            continue;
        }
        char out = '?';
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == u) {
                out = char(0x80 + i);
                break;
            }
        b.append(out);
    }
    return b;
}

} // namespace vz::mf
