#pragma once

// What both sample enhancements need of the host: the holder, the services
// and the host's DllImage, kept from the last entry call.

#include "vzenhancement.h"

#include <QImage>

namespace vzsample {

struct HostLink
{
    THasDllImage *holder = nullptr;
    VzDllImageProc dllImage = nullptr;

    bool valid() const
    {
        return holder && holder->type && holder->type->magic == VZ_HOST_MAGIC && holder->type->apiVersion >= 1
               && holder->type->services && holder->type->services->size >= sizeof(VzHostServices);
    }
    const VzHostServices *services() const { return holder->type->services; }

    // Hands a picture (drawn on white) to the host's "Windows" clipboard.
    bool send(const QImage &picture) const;
    // Asks the host to close the enhancement.
    void finish() const;
    // The picture of clipboard 1..4, null when it holds none.
    QImage clipboardPicture(int number) const;
};

HostLink linkTo(THasDllImage *holder, void *hostModule);

} // namespace vzsample
