// The BMP reader (and the DIB decoder under it) on arbitrary bytes.

#include "imaging/BmpFile.h"
#include "metafile/Dib.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QImage img = vz::readBmp(bytes);
    if (!img.isNull())
        (void)vz::writeBmp24(img.width() * img.height() <= 1 << 20 ? img : QImage());
    // The same bytes as a packed DIB, as metafile records carry them.
    vz::mf::decodeDib(data, qsizetype(size), -1);
    return 0;
}
