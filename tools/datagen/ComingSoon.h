#pragma once

#include <QImage>
#include <QString>

namespace datagen {

// The "coming soon" picture the text effects list shows on the enhancements
// page.
QImage comingSoonPicture();
// Writes it as "CommingSoon.bmp" (the program's spelling) below outRoot.
bool writeComingSoon(const QString &outRoot);

} // namespace datagen
