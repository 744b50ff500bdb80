/* Vellozine Ririraz enhancement interface.
 *
 * An enhancement is a shared library in the program's "Enhancements/Dll"
 * folder, announced by a descriptor file in "Enhancements". The host loads it
 * when the user picks its entry in the enhancement list and calls its entry
 * procedure (the name given in the descriptor); it calls "MyDLLProc" when the
 * enhancement is closed. The library stays loaded until the program ends.
 *
 * This header is plain C99 and may be included from C++.
 */
#ifndef VZENHANCEMENT_H
#define VZENHANCEMENT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define VZ_ENHANCEMENT_EXPORT __declspec(dllexport)
#else
#define VZ_ENHANCEMENT_EXPORT __attribute__((visibility("default")))
#endif

/* "VZEH" */
#define VZ_HOST_MAGIC 0x485A4556u
#define VZ_HOST_API_VERSION 1u

/* Posted to the host (VzHostServices.postMessage) to close the enhancement
 * once the host's event loop takes it, or to say that the holder's picture is
 * meant for the "Windows" clipboard. Never act on the host from inside the
 * entry procedure through these: they are served after it returns. */
#define VZ_MSG_FINISHED 0x8190
#define VZ_MSG_IMAGE 0x8191

/* Results of the host services. */
#define VZ_OK 0
#define VZ_ERR_ARGUMENT (-1)   /* a null pointer, a size out of range, an unknown control */
#define VZ_ERR_NO_PICTURE (-2) /* the clipboard holds nothing */
#define VZ_ERR_FILE (-3)       /* the file cannot be read as a picture */
#define VZ_ERR_THREAD (-4)     /* called from a thread other than the host's */

/* Services of the host. Later versions only append members; check `size`
 * before using a member beyond the ones a version documents. All calls must
 * come from the thread that called the entry procedure. */
typedef struct VzHostServices {
    uint32_t size; /* sizeof the host's table */

    /* Puts a picture into a picture control: the holder's `Image` or the
     * "Windows" thumbnail (entry argument 3); any other control is refused.
     * Pixels are 8-bit R, G, B, A in that order, rows `stride` bytes apart. */
    int (*setPictureRgba)(void *control, int width, int height, int stride, const uint8_t *pixels);
    /* The same from an image file (BMP, JPEG, GIF, PNG, WMF). */
    int (*setPictureFile)(void *control, const char *utf8Path);

    /* Clipboard `number` (1 "Alphabets", 2 "Clipart", 3 "Mix & Match",
     * 4 "Windows"): the full-size picture its thumbnail on the host's
     * clipboard strip shows. */
    int (*clipboardPictureSize)(int number, int *width, int *height);
    /* Fills `buffer` (height rows of `stride` >= 4 * width bytes) with that
     * picture as R, G, B, A. */
    int (*clipboardPictureRgba)(int number, uint8_t *buffer, int stride);

    /* Posts VZ_MSG_FINISHED or VZ_MSG_IMAGE to the host. */
    int (*postMessage)(int message);
} VzHostServices;

typedef struct VzHostType {
    uint32_t magic;       /* VZ_HOST_MAGIC */
    uint32_t apiVersion;  /* VZ_HOST_API_VERSION */
    const VzHostServices *services;
} VzHostType;

/* The holder through which an enhancement hands a picture back: put a
 * picture into `Image` (setPictureRgba or setPictureFile), set `HasImage`
 * non-zero and call the host's DllImage with the holder. */
typedef struct THasDllImage {
    const VzHostType *type;
    void *Image;       /* the host's picture control; opaque */
    uint8_t HasImage;  /* set by the enhancement; the host only reads it */
} THasDllImage;

/* The entry procedure, exported under the name the descriptor gives:
 *   holder            the picture holder
 *   embedPanel        the panel the enhancement's window goes into
 *   windowsThumbnail  the "Windows" clipboard's thumbnail control
 *   mainWindow        the host's main window
 *   windowsClipboard  the host's "Windows" clipboard object (opaque)
 *   application       the host's application object
 *   hostModule        a handle for dlsym() that finds DllImage
 * Enhancements built with Qt 6 (the host's version) may use embedPanel,
 * windowsThumbnail and mainWindow as QWidget * and application as
 * QApplication *. An enhancement's window made a direct child of embedPanel
 * is laid out to fill the panel after the entry procedure returns. The same
 * entry may be called again while the enhancement runs: reuse the window. */
typedef void (*VzEntryProc)(THasDllImage *holder, void *embedPanel, void *windowsThumbnail, void *mainWindow,
                            void *windowsClipboard, void *application, void *hostModule);

/* "MyDLLProc": called with 0 when the enhancement is closed. */
typedef void (*VzCloseProc)(int32_t code);

/* The host's export "DllImage": takes the holder's picture onto the
 * "Windows" clipboard when HasImage is set. */
typedef void (*VzDllImageProc)(THasDllImage *holder);

#ifdef __cplusplus
}
#endif

#endif /* VZENHANCEMENT_H */
