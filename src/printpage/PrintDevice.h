#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <map>

class QPaintDevice;

namespace vz {

class Picture;

// What the page printer needs of a printer: its printable area, its
// resolution and the transfers the tiled bitmap printer uses. Bitmaps are
// handed over as two blocks: the header block (40-byte info header, bit
// masks, colour table) and the bottom-up pixel rows. Source rectangles count
// rows from the bitmap's top. After every transfer, whether it succeeded or
// not, the progress hook runs.
class PrintDevice
{
public:
    virtual ~PrintDevice() = default;

    // Printer pixels.
    virtual QSize printableSize() const = 0;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    // False for printers that take no bitmap larger than 64 KB at once.
    virtual bool acceptsLargeBitmaps() const = 0;

    virtual bool beginDocument(const QString &title) = 0;
    virtual bool endDocument() = 0;

    // A picture (metafile, JPEG, GIF, bitmap) stretched into `target`.
    bool drawPicture(const Picture &picture, const QRect &target);
    // The device-independent transfer: returns the scan lines drawn, which
    // is the source's height on success and 0 on failure.
    int stretchDib(const QRect &target, const QRect &source, const QByteArray &header, const QByteArray &pixels);
    // The device-dependent transfers: the bitmap made for the device, then
    // copied at its own size to `target`'s top left or stretched into it.
    bool copyDdb(const QPoint &target, const QByteArray &header, const QByteArray &pixels);
    bool stretchDdb(const QRect &target, const QRect &source, const QByteArray &header, const QByteArray &pixels);
    // Sends what is queued to the device.
    virtual void flush() {}

    void setProgressHook(std::function<void()> hook) { m_progress = std::move(hook); }

protected:
    virtual bool doDrawPicture(const Picture &picture, const QRect &target) = 0;
    virtual int doStretchDib(const QRect &target, const QRect &source, const QByteArray &header,
                             const QByteArray &pixels) = 0;
    virtual bool doCopyDdb(const QPoint &target, const QByteArray &header, const QByteArray &pixels) = 0;
    virtual bool doStretchDdb(const QRect &target, const QRect &source, const QByteArray &header,
                              const QByteArray &pixels) = 0;

private:
    void progress() const;
    std::function<void()> m_progress;
};

// The two blocks as an image; a null image when the header or the pixels
// cannot be a bitmap.
QImage dibBlocksToImage(const QByteArray &header, const QByteArray &pixels);

// A printer that is a QPaintDevice: a QPrinter, a QPdfWriter or a QImage. The
// device's own size is the printable area. The hooks let the owner name the
// job before painting starts and check the printer once it ends; either may
// throw to report a printing-system error.
class PainterPrintDevice : public PrintDevice
{
public:
    struct Hooks
    {
        std::function<void(const QString &title)> begin;
        std::function<void()> end;
    };

    explicit PainterPrintDevice(QPaintDevice *device, Hooks hooks = {});
    ~PainterPrintDevice() override;

    QSize printableSize() const override;
    int dpiX() const override;
    int dpiY() const override;
    bool acceptsLargeBitmaps() const override { return m_largeBitmaps; }
    void setAcceptsLargeBitmaps(bool on) { m_largeBitmaps = on; }

    bool beginDocument(const QString &title) override;
    bool endDocument() override;

    // Active between beginDocument and endDocument.
    QPainter &painter() { return m_painter; }

protected:
    bool doDrawPicture(const Picture &picture, const QRect &target) override;
    int doStretchDib(const QRect &target, const QRect &source, const QByteArray &header,
                     const QByteArray &pixels) override;
    bool doCopyDdb(const QPoint &target, const QByteArray &header, const QByteArray &pixels) override;
    bool doStretchDdb(const QRect &target, const QRect &source, const QByteArray &header,
                      const QByteArray &pixels) override;

private:
    bool drawBlocks(const QRect &target, const QRect &source, const QByteArray &header, const QByteArray &pixels);

    QPaintDevice *m_device;
    Hooks m_hooks;
    QPainter m_painter;
    bool m_largeBitmaps = true;
};

// A printer for tests: it logs every call with its rectangles and the
// pixels it was given, and can be told to refuse or throw in the n-th
// transfer (counted from 1 over all three kinds) or to refuse the document.
class RecordingPrintDevice : public PrintDevice
{
public:
    enum class Call { Begin, End, Picture, StretchDib, CopyDdb, StretchDdb, Flush };
    enum class Failure { Refuse, Throw };

    struct Entry
    {
        Call call;
        QString title;   // Begin
        QRect target;    // for CopyDdb: the bitmap's size at the target point
        QRect source;
        int bitsPerPixel = 0;
        QImage pixels;   // the transfers' bitmaps, decoded
        bool refused = false;
        int transfer = 0; // 1, 2, ... for transfers, else 0
    };

    explicit RecordingPrintDevice(QSize printable = QSize(4800, 6600), int dpi = 600);

    QSize printableSize() const override { return m_printable; }
    int dpiX() const override { return m_dpi; }
    int dpiY() const override { return m_dpi; }
    bool acceptsLargeBitmaps() const override { return m_largeBitmaps; }
    void setAcceptsLargeBitmaps(bool on) { m_largeBitmaps = on; }

    void failTransfer(int n, Failure how = Failure::Refuse) { m_failures[n] = how; }
    void refuseDocument(bool on = true) { m_refuseDocument = on; }

    bool beginDocument(const QString &title) override;
    bool endDocument() override;
    void flush() override;

    const QList<Entry> &entries() const { return m_entries; }
    QList<Entry> transfers() const;
    void clear();

protected:
    bool doDrawPicture(const vz::Picture &picture, const QRect &target) override;
    int doStretchDib(const QRect &target, const QRect &source, const QByteArray &header,
                     const QByteArray &pixels) override;
    bool doCopyDdb(const QPoint &target, const QByteArray &header, const QByteArray &pixels) override;
    bool doStretchDdb(const QRect &target, const QRect &source, const QByteArray &header,
                      const QByteArray &pixels) override;

private:
    // Logs one transfer; false when it is to be refused (throws when told).
    bool transfer(Call call, const QRect &target, const QRect &source, const QByteArray &header,
                  const QByteArray &pixels);

    QSize m_printable;
    int m_dpi;
    bool m_largeBitmaps = true;
    bool m_refuseDocument = false;
    int m_transfers = 0;
    std::map<int, Failure> m_failures;
    QList<Entry> m_entries;
};

} // namespace vz
