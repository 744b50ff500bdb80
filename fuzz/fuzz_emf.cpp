// The EMF reader and player on arbitrary bytes.

#include "metafile/EmfPlayer.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the application's end would unload the font below
    // after Qt's thread storage is gone.
    new QGuiApplication(*argc, *argv);
    // A colour font: its glyphs are images, so text drawn far too large
    // shows up as a huge allocation.
    QFontDatabase::addApplicationFont(QStringLiteral(VZ_SOURCE_DIR "/tests/metafile/data/NotoColorEmoji-1F600.ttf"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto doc = vz::mf::EmfDocument::parse(bytes);
    if (!doc)
        return 0;
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    vz::mf::playEmf(*doc, p, QRectF(0, 0, 64, 48));
    return 0;
}
