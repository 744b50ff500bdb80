#include "printpage/PrintDevice.h"

#include "imaging/Picture.h"
#include "metafile/Dib.h"

#include <QPaintDevice>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace vz {

bool PrintDevice::drawPicture(const Picture &picture, const QRect &target)
{
    return doDrawPicture(picture, target);
}

int PrintDevice::stretchDib(const QRect &target, const QRect &source, const QByteArray &header,
                            const QByteArray &pixels)
{
    const int lines = doStretchDib(target, source, header, pixels);
    progress();
    return lines;
}

bool PrintDevice::copyDdb(const QPoint &target, const QByteArray &header, const QByteArray &pixels)
{
    const bool ok = doCopyDdb(target, header, pixels);
    progress();
    return ok;
}

bool PrintDevice::stretchDdb(const QRect &target, const QRect &source, const QByteArray &header,
                             const QByteArray &pixels)
{
    const bool ok = doStretchDdb(target, source, header, pixels);
    progress();
    return ok;
}

void PrintDevice::progress() const
{
    if (m_progress)
        m_progress();
}

QImage dibBlocksToImage(const QByteArray &header, const QByteArray &pixels)
{
    if (header.size() < 12 || pixels.isEmpty())
        return QImage();
    QByteArray packed;
    packed.reserve(header.size() + pixels.size());
    packed.append(header);
    packed.append(pixels);
    return mf::decodeDib(reinterpret_cast<const uchar *>(packed.constData()), packed.size(), header.size());
}

// --- PainterPrintDevice ---

namespace {

// An uncompressed bottom-up DIB of 24 bits, or of 32 bits with every fourth
// byte 0xFF, is already an image's memory, only upside down: this wraps the
// pixel block without copying (a page-filling photo is tens of megabytes).
// Null for every other kind, which is decoded instead.
QImage wrapBottomUpDib(const QByteArray &header, const QByteArray &pixels)
{
    if (header.size() < 40)
        return QImage();
    const auto *h = reinterpret_cast<const uchar *>(header.constData());
    const quint32 size = qFromLittleEndian<quint32>(h);
    const qint32 width = qFromLittleEndian<qint32>(h + 4);
    const qint32 height = qFromLittleEndian<qint32>(h + 8);
    const quint16 planes = qFromLittleEndian<quint16>(h + 12);
    const quint16 bits = qFromLittleEndian<quint16>(h + 14);
    const quint32 compression = qFromLittleEndian<quint32>(h + 16);
    if (size < 40 || width <= 0 || height <= 0 || planes != 1 || compression != 0 || (bits != 24 && bits != 32))
        return QImage();
    const qint64 rowBytes = ((qint64(width) * bits + 31) / 32) * 4;
    if (rowBytes > INT_MAX || rowBytes * height > pixels.size())
        return QImage();
    const auto *data = reinterpret_cast<const uchar *>(pixels.constData());
    if (bits == 32) {
        // RGB32 images promise an opaque fourth byte; DIBs may leave it 0.
        const uchar *end = data + rowBytes * height;
        for (const uchar *a = data + 3; a < end; a += 4)
            if (*a != 0xFF)
                return QImage();
    }
    return QImage(data, width, height, qsizetype(rowBytes), bits == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
}

} // namespace

PainterPrintDevice::PainterPrintDevice(QPaintDevice *device, Hooks hooks)
    : m_device(device), m_hooks(std::move(hooks))
{
}

PainterPrintDevice::~PainterPrintDevice()
{
    if (m_painter.isActive())
        m_painter.end();
}

QSize PainterPrintDevice::printableSize() const
{
    return m_device ? QSize(m_device->width(), m_device->height()) : QSize();
}

int PainterPrintDevice::dpiX() const
{
    return m_device ? m_device->logicalDpiX() : 0;
}

int PainterPrintDevice::dpiY() const
{
    return m_device ? m_device->logicalDpiY() : 0;
}

bool PainterPrintDevice::beginDocument(const QString &title)
{
    if (!m_device || m_painter.isActive())
        return false;
    if (m_hooks.begin)
        m_hooks.begin(title);
    return m_painter.begin(m_device);
}

bool PainterPrintDevice::endDocument()
{
    if (!m_painter.isActive())
        return false;
    const bool ok = m_painter.end();
    if (m_hooks.end)
        m_hooks.end();
    return ok;
}

bool PainterPrintDevice::doDrawPicture(const Picture &picture, const QRect &target)
{
    if (!m_painter.isActive())
        return false;
    return picture.draw(m_painter, QRectF(target));
}

bool PainterPrintDevice::drawBlocks(const QRect &target, const QRect &source, const QByteArray &header,
                                    const QByteArray &pixels)
{
    if (!m_painter.isActive() || target.isEmpty() || source.isEmpty())
        return false;
    const QImage stored = wrapBottomUpDib(header, pixels);
    if (!stored.isNull()) {
        if (!stored.rect().contains(source))
            return false;
        // Rows are bottom-up: take the source's rows from the stored image
        // and mirror them back inside the target.
        const QRect rows(source.x(), stored.height() - source.y() - source.height(), source.width(), source.height());
        m_painter.save();
        m_painter.translate(0, 2.0 * target.top() + target.height());
        m_painter.scale(1, -1);
        m_painter.drawImage(QRectF(target), stored, QRectF(rows));
        m_painter.restore();
        return true;
    }
    const QImage image = dibBlocksToImage(header, pixels);
    if (image.isNull() || !image.rect().contains(source))
        return false;
    m_painter.drawImage(target, image, source);
    return true;
}

int PainterPrintDevice::doStretchDib(const QRect &target, const QRect &source, const QByteArray &header,
                                     const QByteArray &pixels)
{
    return drawBlocks(target, source, header, pixels) ? source.height() : 0;
}

bool PainterPrintDevice::doCopyDdb(const QPoint &target, const QByteArray &header, const QByteArray &pixels)
{
    const QImage stored = wrapBottomUpDib(header, pixels);
    if (!stored.isNull())
        return drawBlocks(QRect(target, stored.size()), stored.rect(), header, pixels);
    const QImage image = dibBlocksToImage(header, pixels);
    if (image.isNull() || !m_painter.isActive())
        return false;
    m_painter.drawImage(target, image);
    return true;
}

bool PainterPrintDevice::doStretchDdb(const QRect &target, const QRect &source, const QByteArray &header,
                                      const QByteArray &pixels)
{
    return drawBlocks(target, source, header, pixels);
}

// --- RecordingPrintDevice ---

RecordingPrintDevice::RecordingPrintDevice(QSize printable, int dpi) : m_printable(printable), m_dpi(dpi) {}

bool RecordingPrintDevice::beginDocument(const QString &title)
{
    Entry e{Call::Begin, title, {}, {}, 0, {}, m_refuseDocument, 0};
    m_entries.append(e);
    return !m_refuseDocument;
}

bool RecordingPrintDevice::endDocument()
{
    m_entries.append(Entry{Call::End, {}, {}, {}, 0, {}, false, 0});
    return true;
}

void RecordingPrintDevice::flush()
{
    m_entries.append(Entry{Call::Flush, {}, {}, {}, 0, {}, false, 0});
}

QList<RecordingPrintDevice::Entry> RecordingPrintDevice::transfers() const
{
    QList<Entry> out;
    for (const Entry &e : m_entries) {
        if (e.transfer > 0)
            out.append(e);
    }
    return out;
}

void RecordingPrintDevice::clear()
{
    m_entries.clear();
    m_transfers = 0;
}

bool RecordingPrintDevice::doDrawPicture(const vz::Picture &picture, const QRect &target)
{
    Entry e{Call::Picture, {}, target, QRect(QPoint(0, 0), picture.size()), 0, {}, picture.isNull(), 0};
    m_entries.append(e);
    return !picture.isNull();
}

bool RecordingPrintDevice::transfer(Call call, const QRect &target, const QRect &source, const QByteArray &header,
                                    const QByteArray &pixels)
{
    const int n = ++m_transfers;
    Entry e{call, {}, target, source, 0, dibBlocksToImage(header, pixels), false, n};
    if (header.size() >= 16)
        e.bitsPerPixel = quint8(header.at(14)) | (quint8(header.at(15)) << 8);
    const auto failure = m_failures.find(n);
    e.refused = failure != m_failures.end() || e.pixels.isNull();
    m_entries.append(e);
    if (failure != m_failures.end() && failure->second == Failure::Throw)
        throw std::runtime_error("transfer failed");
    return !e.refused;
}

int RecordingPrintDevice::doStretchDib(const QRect &target, const QRect &source, const QByteArray &header,
                                       const QByteArray &pixels)
{
    return transfer(Call::StretchDib, target, source, header, pixels) ? source.height() : 0;
}

bool RecordingPrintDevice::doCopyDdb(const QPoint &target, const QByteArray &header, const QByteArray &pixels)
{
    const QImage image = dibBlocksToImage(header, pixels);
    const QRect placed(target, image.size());
    return transfer(Call::CopyDdb, placed, QRect(QPoint(0, 0), image.size()), header, pixels);
}

bool RecordingPrintDevice::doStretchDdb(const QRect &target, const QRect &source, const QByteArray &header,
                                        const QByteArray &pixels)
{
    return transfer(Call::StretchDdb, target, source, header, pixels);
}

} // namespace vz
