// The tiled printer on arbitrary bytes: a BMP stream through LoadDibFromStream,
// or raw header and pixel blocks (run-length encoded ones included), then
// PrintDib onto the recording printer with settings taken from the input.
//
// Input: byte 0 chooses the mode (even: stream, odd: raw blocks) and byte 1
// the settings; in raw mode two little-endian bytes give the header block's
// length, the header block follows, the rest is the pixel block.

#include "imaging/BmpFile.h"
#include "printpage/PrintDevice.h"
#include "printpage/TiledPrinter.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const uint8_t flags = data[1];
    data += 2;
    size -= 2;

    QByteArray header;
    QByteArray pixels;
    if (mode & 1) {
        if (size < 2)
            return 0;
        const size_t length = std::min<size_t>(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
        header = QByteArray(reinterpret_cast<const char *>(data + 2), qsizetype(length));
        pixels = QByteArray(reinterpret_cast<const char *>(data + 2 + length), qsizetype(size - 2 - length));
    } else {
        QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        vz::DibBlocks dib;
        if (!vz::LoadDibFromStream(in, dib)) {
            if (!dib.header.isEmpty() || !dib.pixels.isEmpty())
                std::abort(); // a failed load leaves nothing behind
            return 0;
        }
        if (dib.width <= 0 || dib.height <= 0 || dib.pixels.size() < 32 || dib.pixels.size() > bytes.size())
            std::abort(); // never more pixels than the stream held
        header = dib.header;
        pixels = dib.pixels;
    }

    vz::RecordingPrintDevice device(QSize(400, 300), 600);
    device.setAcceptsLargeBitmaps(!(flags & 0x08));
    vz::TiledPrinterSettings settings;
    settings.showErrorBoxes = true;
    settings.message = [](const QString &) {};
    settings.useDdb = flags & 0x01;
    settings.reductionX = settings.reductionY = (flags & 0x02) ? 2 : 1;
    settings.windowsStretch = flags & 0x04;
    settings.tileSize = QSize(64 + (flags >> 4) * 8, 48);
    // Destinations from inside the page to partly off it, shrunk and enlarged.
    const int x = int(flags >> 5) * 40 - 80;
    const int y = int((flags >> 3) & 3) * 60 - 60;
    const int w = 17 + (flags & 0x30) * 6;
    const int h = 13 + (flags & 0xC0);
    const int result = vz::PrintDib(device, x, y, w, h, header, pixels, settings);
    if (result != 1 && result != 0 && result != -1 && result != -2 && result != -5)
        std::abort();
    const QRect printable(0, 0, 400, 300);
    for (const auto &e : device.transfers()) {
        if (!printable.contains(e.target))
            std::abort(); // tiles stay on the printable area
    }
    return 0;
}
