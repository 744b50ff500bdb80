// The DIB resampler on arbitrary bytes: load, a half-size copy, scaling,
// saving and loading the result again.

#include "printpage/TDibImage.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    vz::TDibImage source;
    if (!source.LoadFromStream(in))
        return 0;
    if (source.Width() < 1 || source.Height() < 1)
        std::abort(); // a loaded image always has pixels

    vz::TDibImage half;
    if (half.CreateLike(source.Width() / 2, source.Height() / 2, source)) {
        half.StretchFrom(source);
        QByteArray saved;
        QBuffer out(&saved);
        out.open(QIODevice::WriteOnly);
        if (!half.SaveToStream(out))
            std::abort();
        out.close();
        out.open(QIODevice::ReadOnly);
        vz::TDibImage again;
        if (!again.LoadFromStream(out) || again.block() != half.block())
            std::abort(); // what we write, we read back unchanged
    }
    // The source saved as it is reads back the same.
    QByteArray whole;
    QBuffer w(&whole);
    w.open(QIODevice::WriteOnly);
    if (!source.SaveToStream(w))
        std::abort();
    w.close();
    w.open(QIODevice::ReadOnly);
    vz::TDibImage copy;
    if (!copy.LoadFromStream(w) || copy.block() != source.block())
        std::abort();
    return 0;
}
