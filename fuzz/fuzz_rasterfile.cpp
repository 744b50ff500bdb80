// The raster toolkit's file reading on arbitrary bytes: the whole-file reader
// (24-bit BMP rows read in place, other BMPs, JPEGs through the decoder), the
// decoder's RGB32 output that pictures use, and the row-by-row pass of 24-bit
// BMPs into a new file.

#include "common/VzError.h"
#include "imaging/RasterEffects.h"
#include "imaging/RasterFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir *workDir = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vz-fuzz-rasterfile-XXXXXX"));
    workDir = &dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.startsWith("\xFF\xD8"))
        (void)vz::decodeJpeg(bytes, nullptr, QImage::Format_RGB32);

    const QString in = workDir->filePath(QStringLiteral("in")), out = workDir->filePath(QStringLiteral("out.bmp"));
    {
        QFile f(in);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return 0;
    }
    try {
        const QImage img = vz::readRasterFile(in);
        if (!img.isNull() && qint64(img.width()) * img.height() <= 1 << 20)
            vz::writeRasterBmp24(out, img);
    } catch (const vz::FileError &) {
    }
    try {
        (void)vz::transformBmp24Rows(in, out, size % 2 == 0, vz::changeIntensity, 300);
    } catch (const vz::FileError &) {
    }
    return 0;
}
