/* A test enhancement: records how the host calls it and does what the test
 * asks through vzt_mode. Built twice (two libraries) and once without
 * "MyDLLProc". */
#include "vzenhancement.h"

#include <dlfcn.h>
#include <signal.h>
#include <stdint.h>
#include <string.h>

enum {
    VZT_SET_PICTURE = 1,   /* a 3 x 2 picture into the holder's Image */
    VZT_SET_FLAG = 2,      /* HasImage = 1 */
    VZT_CALL_DLLIMAGE = 4, /* DllImage once */
    VZT_TWICE = 8,         /* then a 5 x 4 picture and DllImage again */
    VZT_POST_FINISHED = 16,
    VZT_POST_IMAGE = 32,
    VZT_CRASH = 64
};

VZ_ENHANCEMENT_EXPORT int vzt_mode;
VZ_ENHANCEMENT_EXPORT int vzt_entry_calls;
VZ_ENHANCEMENT_EXPORT int vzt_close_calls;
VZ_ENHANCEMENT_EXPORT int vzt_close_arg = -1;
VZ_ENHANCEMENT_EXPORT void *vzt_args[7];
VZ_ENHANCEMENT_EXPORT void *vzt_dllimage;
VZ_ENHANCEMENT_EXPORT uint32_t vzt_magic;
VZ_ENHANCEMENT_EXPORT uint32_t vzt_api;
VZ_ENHANCEMENT_EXPORT uint32_t vzt_services_size;
VZ_ENHANCEMENT_EXPORT int vzt_results[8];
VZ_ENHANCEMENT_EXPORT char vzt_picture_file[512]; /* read into the holder's Image when set */

static int picture(THasDllImage *holder, int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    uint8_t px[5 * 4 * 4];
    for (int i = 0; i < w * h; ++i) {
        px[4 * i] = r;
        px[4 * i + 1] = g;
        px[4 * i + 2] = b;
        px[4 * i + 3] = 255;
    }
    return holder->type->services->setPictureRgba(holder->Image, w, h, 4 * w, px);
}

VZ_ENHANCEMENT_EXPORT void EnhEntry(THasDllImage *holder, void *embedPanel, void *windowsThumbnail, void *mainWindow,
                                    void *windowsClipboard, void *application, void *hostModule)
{
    void *args[7] = {holder, embedPanel, windowsThumbnail, mainWindow, windowsClipboard, application, hostModule};
    memcpy(vzt_args, args, sizeof args);
    ++vzt_entry_calls;
    vzt_magic = holder->type->magic;
    vzt_api = holder->type->apiVersion;
    vzt_services_size = holder->type->services->size;
    VzDllImageProc dllImage = (VzDllImageProc)dlsym(hostModule, "DllImage");
    vzt_dllimage = (void *)dllImage;
    const VzHostServices *s = holder->type->services;
    /* Values the host must refuse. */
    vzt_results[0] = s->setPictureRgba(embedPanel, 1, 1, 4, (const uint8_t *)"\0\0\0\0");
    vzt_results[1] = s->setPictureRgba(holder->Image, -1, 1, 4, (const uint8_t *)"\0\0\0\0");
    vzt_results[2] = s->postMessage(0x1234);
    vzt_results[3] = s->setPictureFile(holder->Image, "/nonexistent/picture.bmp");
    int w = 0, h = 0;
    vzt_results[4] = s->clipboardPictureSize(0, &w, &h);
    vzt_results[5] = s->clipboardPictureSize(1, &w, &h);
    vzt_results[6] = s->clipboardPictureRgba(1, 0, 4);
    if (vzt_picture_file[0])
        vzt_results[7] = s->setPictureFile(holder->Image, vzt_picture_file);

    if (vzt_mode & VZT_CRASH)
        raise(SIGSEGV);
    if (vzt_mode & VZT_SET_PICTURE)
        picture(holder, 3, 2, 255, 0, 0);
    if (vzt_mode & VZT_SET_FLAG)
        holder->HasImage = 1;
    if ((vzt_mode & VZT_CALL_DLLIMAGE) && dllImage) {
        dllImage(holder);
        if (vzt_mode & VZT_TWICE) {
            picture(holder, 5, 4, 0, 0, 255);
            dllImage(holder);
        }
    }
    if (vzt_mode & VZT_POST_FINISHED)
        s->postMessage(VZ_MSG_FINISHED);
    if (vzt_mode & VZT_POST_IMAGE)
        s->postMessage(VZ_MSG_IMAGE);
}

#ifndef VZT_NO_CLOSE
VZ_ENHANCEMENT_EXPORT void MyDLLProc(int32_t code)
{
    ++vzt_close_calls;
    vzt_close_arg = code;
}
#endif
