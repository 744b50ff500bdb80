#include "ComingSoon.h"

#include "Lists.h"

#include "imaging/BmpFile.h"

#include <QLinearGradient>
#include <QPainter>

namespace datagen {

QImage comingSoonPicture()
{
    QImage image(640, 400, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor(0x01, 0x48, 0xB2));
    sky.setColorAt(1, QColor(0x8C, 0xAA, 0xE6));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(72);
    title.setBold(true);
    p.setFont(title);
    const QRect top(0, 90, image.width(), 110);
    // A soft shadow under the title.
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(top.translated(4, 4), Qt::AlignCenter, QStringLiteral("Text Effects"));
    p.setPen(Qt::white);
    p.drawText(top, Qt::AlignCenter, QStringLiteral("Text Effects"));

    QFont sub(QStringLiteral("Arial"));
    sub.setPixelSize(40);
    sub.setItalic(true);
    p.setFont(sub);
    p.setPen(QColor(0xFF, 0xE0, 0x60));
    p.drawText(QRect(0, 210, image.width(), 70), Qt::AlignCenter, QStringLiteral("Coming soon"));
    p.setPen(QPen(QColor(255, 255, 255, 160), 3));
    p.drawLine(120, 300, image.width() - 120, 300);
    p.end();
    return image;
}

bool writeComingSoon(const QString &outRoot)
{
    return writeBytes(outRoot + QStringLiteral("CommingSoon.bmp"), vz::writeBmp24(comingSoonPicture()));
}

} // namespace datagen
