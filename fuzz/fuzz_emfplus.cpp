// The EMF+ reader and player on arbitrary bytes: the seeds are enhanced
// metafiles carrying EMF+ records, so mutations mostly reach the EMF+ objects
// and drawing records.

#include "metafile/EmfPlayer.h"
#include "metafile/EmfPlusReader.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto doc = vz::mf::EmfDocument::parse(bytes);
    if (!doc)
        return 0;
    // Plain enhanced metafiles are fuzz_emf's.
    if (vz::mf::emfPlusKind(*doc) == vz::mf::EmfPlusKind::None)
        return 0;
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, size & 1);
    vz::mf::playEmf(*doc, p, QRectF(0, 0, 64, 48));
    return 0;
}
