#include "SampleHost.h"

#include <dlfcn.h>

namespace vzsample {

HostLink linkTo(THasDllImage *holder, void *hostModule)
{
    HostLink link;
    link.holder = holder;
    if (hostModule)
        link.dllImage = reinterpret_cast<VzDllImageProc>(dlsym(hostModule, "DllImage"));
    return link;
}

bool HostLink::send(const QImage &picture) const
{
    if (!valid() || !dllImage || picture.isNull())
        return false;
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    if (services()->setPictureRgba(holder->Image, rgba.width(), rgba.height(), int(rgba.bytesPerLine()), rgba.constBits()) != VZ_OK)
        return false;
    holder->HasImage = 1;
    dllImage(holder);
    return true;
}

void HostLink::finish() const
{
    if (valid())
        services()->postMessage(VZ_MSG_FINISHED);
}

QImage HostLink::clipboardPicture(int number) const
{
    if (!valid())
        return QImage();
    int w = 0, h = 0;
    if (services()->clipboardPictureSize(number, &w, &h) != VZ_OK || w <= 0 || h <= 0)
        return QImage();
    QImage image(w, h, QImage::Format_RGBA8888);
    if (image.isNull() || services()->clipboardPictureRgba(number, image.bits(), int(image.bytesPerLine())) != VZ_OK)
        return QImage();
    return image;
}

} // namespace vzsample
