#include "imaging/RasterFile.h"

#include "common/AtomicFile.h"
#include "common/VzError.h"
#include "imaging/BmpFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vz {

namespace {

constexpr int kBmpFileHeader = 14;
constexpr int kBmpInfoHeader = 40;

// Bytes of one 24-bit row in a BMP file; the same as Format_BGR888's.
qint64 bmpStride24(qint64 width)
{
    return (width * 3 + 3) / 4 * 4;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// ---- scatter/gather I/O over image rows -------------------------------------

// Moves the buffers in `rows` (image rows, mostly) to or from the file at
// `offset`, IOV_MAX buffers per call. Short transfers continue where they
// stopped. Returns 0 or an errno value; a file that ends early is EIO.
template<class Transfer>
int transferRows(std::vector<iovec> &rows, off_t offset, Transfer transfer)
{
    size_t first = 0;
    while (first < rows.size()) {
        const int count = int(std::min<size_t>(rows.size() - first, IOV_MAX));
        const ssize_t done = transfer(rows.data() + first, count, offset);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (done == 0)
            return EIO;
        offset += done;
        size_t left = size_t(done);
        while (left > 0 && first < rows.size()) {
            iovec &v = rows[first];
            if (left < v.iov_len) {
                v.iov_base = static_cast<char *>(v.iov_base) + left;
                v.iov_len -= left;
                left = 0;
            } else {
                left -= v.iov_len;
                ++first;
            }
        }
    }
    return 0;
}

class Fd
{
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// ---- BMP --------------------------------------------------------------------

// Where the rows of an uncompressed 24-bit BMP lie, when the file is one.
struct Bmp24Layout
{
    int width = 0, height = 0;
    bool bottomUp = true;
    qint64 offset = 0, stride = 0;
};

bool bmp24Layout(const uchar *head, qint64 headBytes, qint64 fileSize, Bmp24Layout &out)
{
    if (headBytes < kBmpFileHeader + kBmpInfoHeader || head[0] != 'B' || head[1] != 'M')
        return false;
    const quint32 offBits = qFromLittleEndian<quint32>(head + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(head + 14);
    const qint32 width = qFromLittleEndian<qint32>(head + 18);
    const qint32 height = qFromLittleEndian<qint32>(head + 22);
    const quint16 planes = qFromLittleEndian<quint16>(head + 26);
    const quint16 bits = qFromLittleEndian<quint16>(head + 28);
    const quint32 compression = qFromLittleEndian<quint32>(head + 30);
    if (infoSize < quint32(kBmpInfoHeader) || infoSize > 1024 || planes != 1 || bits != 24 || compression != 0
        || width <= 0 || height == 0 || height == INT32_MIN)
        return false;
    const qint64 rows = height < 0 ? -qint64(height) : qint64(height);
    const qint64 stride = bmpStride24(width);
    if (qint64(offBits) < kBmpFileHeader + qint64(infoSize) || qint64(offBits) > fileSize
        || rows > (fileSize - qint64(offBits)) / stride)
        return false; // the general decoder knows what to make of it
    out = {width, int(rows), height > 0, qint64(offBits), stride};
    return true;
}

// An image file opened for reading, with its first bytes: enough to tell a
// BMP from a JPEG and to find the rows of a 24-bit BMP.
struct OpenedFile
{
    explicit OpenedFile(const QString &fileName)
        : fd(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC))
    {
        struct stat st;
        if (fd.get() < 0) {
            error = errno;
        } else if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            error = EINVAL;
        } else {
            size = st.st_size;
            const ssize_t got = ::pread(fd.get(), head, sizeof head, 0);
            headBytes = got > 0 ? got : 0;
        }
    }

    bool bmp24(Bmp24Layout &layout) const { return bmp24Layout(head, headBytes, size, layout); }

    Fd fd;
    int error = 0;
    qint64 size = 0;
    uchar head[kBmpFileHeader + kBmpInfoHeader] = {};
    qint64 headBytes = 0;
};

// Reads the rows straight into a BGR888 image: one system call per IOV_MAX
// rows, bottom-up files by pointing the first rows at the image's last ones.
QImage readBmp24(int fd, const Bmp24Layout &l, const QString &fileName)
{
    if (l.stride * l.height > kMaxRasterBytes)
        throw FileError(QStringLiteral("The image \"%1\" is too large (%2 x %3).").arg(fileName).arg(l.width).arg(l.height));
    QImage image(l.width, l.height, QImage::Format_BGR888);
    if (image.isNull() || image.bytesPerLine() != l.stride)
        throw FileError(QStringLiteral("Not enough memory for the image \"%1\".").arg(fileName));
    uchar *bits = image.bits();
    std::vector<iovec> rows(size_t(l.height));
    for (int i = 0; i < l.height; ++i) {
        const int y = l.bottomUp ? l.height - 1 - i : i;
        rows[size_t(i)] = {bits + qint64(y) * l.stride, size_t(l.stride)};
    }
    const int error = transferRows(rows, off_t(l.offset), [fd](const iovec *v, int n, off_t at) {
        return ::preadv(fd, v, n, at);
    });
    if (error)
        throw FileError(QStringLiteral("Cannot read the image file \"%1\": %2").arg(fileName, systemError(error)));
    return image;
}

// ---- JPEG -------------------------------------------------------------------

struct JpegErrors
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegFail(j_common_ptr cinfo)
{
    auto *errors = reinterpret_cast<JpegErrors *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// A progressive JPEG may hold any number of scans, each a pass over the whole
// picture; a few hundred bytes of them can keep the decoder busy for minutes.
// Real files have at most a few dozen.
constexpr int kMaxJpegScans = 500;

void jpegProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor || reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kMaxJpegScans)
        return;
    auto *errors = reinterpret_cast<JpegErrors *>(cinfo->err);
    std::snprintf(errors->message, sizeof errors->message, "the picture has too many scans");
    std::longjmp(errors->jump, 1);
}

// Warnings (damaged data the decoder works around) are not shown: the
// picture is decoded as far as it goes, as other viewers do.
void jpegQuiet(j_common_ptr, int) {}

// CMYK as Adobe writes it (inverted) to BGR888 or RGB32 pixels.
void cmykRowToRgb(const uchar *cmyk, uchar *out, int width, bool rgb32)
{
    for (int x = 0; x < width; ++x, cmyk += 4) {
        const int k = cmyk[3];
        const int r = cmyk[0] * k / 255, g = cmyk[1] * k / 255, b = cmyk[2] * k / 255;
        if (rgb32) {
            reinterpret_cast<QRgb *>(out)[x] = qRgb(r, g, b);
        } else {
            out[3 * x] = uchar(b);
            out[3 * x + 1] = uchar(g);
            out[3 * x + 2] = uchar(r);
        }
    }
}

// The decoding itself, apart so that nothing with a destructor lives in the
// frame the error handler jumps back to. Fills `image` or returns false with
// the decoder's message in errors.message.
bool runJpegDecoder(const uchar *data, size_t size, jpeg_decompress_struct &cinfo, JpegErrors &errors,
                    jpeg_progress_mgr &progress, bool rgb32, QImage &image, std::vector<uchar> &cmykRow)
{
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // RGB32 is 0xffRRGGBB in native order; the decoder sets the X byte to 0xff.
    const J_COLOR_SPACE rgb32Space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    cinfo.out_color_space = cmyk ? JCS_CMYK : rgb32 ? rgb32Space : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    if (qint64(cinfo.output_width) * cinfo.output_height * 3 > kMaxRasterBytes || cinfo.output_width > INT_MAX / 4) {
        std::snprintf(errors.message, sizeof errors.message, "the picture is too large (%u x %u)",
                      cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    image = QImage(int(cinfo.output_width), int(cinfo.output_height),
                   rgb32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
    if (image.isNull()) {
        std::snprintf(errors.message, sizeof errors.message, "not enough memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (cmyk)
        cmykRow.resize(size_t(cinfo.output_width) * 4);
    jpeg_start_decompress(&cinfo);
    uchar *bits = image.bits();
    const qsizetype bpl = image.bytesPerLine();
    while (cinfo.output_scanline < cinfo.output_height) {
        uchar *line = bits + qsizetype(cinfo.output_scanline) * bpl;
        JSAMPROW row = cmyk ? cmykRow.data() : line;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (cmyk)
            cmykRowToRgb(cmykRow.data(), line, int(cinfo.output_width), rgb32);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

QByteArray readAll(int fd, qint64 size, int &error)
{
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(size - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            return {};
        }
        done += n;
    }
    error = 0;
    return bytes;
}

// ---- writing ----------------------------------------------------------------

// A new file beside `target`, renamed over it by commit() and removed if it
// never gets there.
class SideFile
{
public:
    explicit SideFile(const QString &target)
        : m_target(QFile::encodeName(target))
    {
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_path = m_target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
            m_fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        if (m_fd < 0)
            m_error = errno;
    }
    ~SideFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            ::unlink(m_path.constData());
        }
    }
    SideFile(const SideFile &) = delete;
    SideFile &operator=(const SideFile &) = delete;

    int fd() const { return m_fd; }
    int error() const { return m_error; }

    // Closes the file and puts it in the target's place, with the old file's
    // permissions when there was one. Returns 0 or an errno value.
    int commit()
    {
        struct stat old;
        if (::stat(m_target.constData(), &old) == 0 && S_ISREG(old.st_mode))
            ::fchmod(m_fd, old.st_mode & 07777);
        const int fd = m_fd;
        m_fd = -1;
        int error = ::close(fd) == 0 ? 0 : errno;
        if (!error && ::rename(m_path.constData(), m_target.constData()) != 0)
            error = errno;
        if (error)
            ::unlink(m_path.constData());
        return error;
    }

private:
    QByteArray m_target, m_path;
    int m_fd = -1;
    int m_error = 0;
};

void putU16(uchar *p, quint16 v)
{
    qToLittleEndian(v, p);
}

void putU32(uchar *p, quint32 v)
{
    qToLittleEndian(v, p);
}

// Rows converted this many at a time for images not held as BGR888.
constexpr int kBandRows = 64;

// The 54 bytes before the rows of a 24-bit bottom-up BMP.
void bmp24Header(uchar *head, int w, int h, int dpmX, int dpmY)
{
    const quint32 pixelBytes = quint32(bmpStride24(w) * h);
    std::memset(head, 0, kBmpFileHeader + kBmpInfoHeader);
    head[0] = 'B';
    head[1] = 'M';
    putU32(head + 2, quint32(kBmpFileHeader + kBmpInfoHeader) + pixelBytes);
    putU32(head + 10, quint32(kBmpFileHeader + kBmpInfoHeader));
    putU32(head + 14, kBmpInfoHeader);
    putU32(head + 18, quint32(w));
    putU32(head + 22, quint32(h)); // bottom-up
    putU16(head + 26, 1);
    putU16(head + 28, 24);
    putU32(head + 34, pixelBytes);
    putU32(head + 38, quint32(std::max(0, dpmX)));
    putU32(head + 42, quint32(std::max(0, dpmY)));
}

// A BMP's resolution (pixels per metre, in its 40-byte header) goes with the
// picture and comes out again when it is saved; an unset one stays the
// image's own.
int resolutionOf(const uchar *head, int at, int fallback)
{
    const qint32 v = qFromLittleEndian<qint32>(head + at);
    return v > 0 ? v : fallback;
}

void keepResolution(QImage &image, const uchar *head)
{
    image.setDotsPerMeterX(resolutionOf(head, 38, image.dotsPerMeterX()));
    image.setDotsPerMeterY(resolutionOf(head, 42, image.dotsPerMeterY()));
}

// Bytes of rows held at once when passing a file through: well inside the
// processor's second-level cache.
constexpr qint64 kBandBytes = 512 * 1024;

} // namespace

QImage decodeJpeg(const QByteArray &bytes, QString *error, QImage::Format format)
{
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = jpegFail;
    errors.mgr.emit_message = jpegQuiet;
    errors.message[0] = 0;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = jpegProgress;
    QImage image;
    std::vector<uchar> cmykRow;
    if (!runJpegDecoder(reinterpret_cast<const uchar *>(bytes.constData()), size_t(bytes.size()), cinfo, errors,
                        progress, format == QImage::Format_RGB32, image, cmykRow)) {
        if (error)
            *error = QString::fromLocal8Bit(errors.message);
        return QImage();
    }
    return image;
}

QImage readRasterFile(const QString &fileName)
{
    const OpenedFile file(fileName);
    if (file.error == EINVAL)
        throw FileError(QStringLiteral("The image file \"%1\" is not a file.").arg(fileName));
    if (file.error)
        throw FileError(QStringLiteral("Cannot open the image file \"%1\": %2").arg(fileName, systemError(file.error)));
    const uchar *head = file.head;
    Bmp24Layout layout;
    if (file.bmp24(layout)) {
        QImage image = readBmp24(file.fd.get(), layout, fileName);
        keepResolution(image, head);
        return image;
    }

    const bool bmp = file.headBytes >= 2 && head[0] == 'B' && head[1] == 'M';
    const bool jpeg = file.headBytes >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
    if (!bmp && !jpeg)
        throw FileError(QStringLiteral("The file \"%1\" is not a BMP or JPEG image.").arg(fileName));
    // Read whole only below the largest picture the decoders accept: the
    // pixels of any larger file would be over it too.
    if (file.size > kMaxRasterBytes)
        throw FileError(QStringLiteral("The image file \"%1\" is too large.").arg(fileName));
    int readError = 0;
    const QByteArray bytes = readAll(file.fd.get(), file.size, readError);
    if (readError)
        throw FileError(QStringLiteral("Cannot read the image file \"%1\": %2").arg(fileName, systemError(readError)));
    QString reason;
    QImage image = bmp ? readBmpFile(bytes, &reason) : decodeJpeg(bytes, &reason);
    if (image.isNull())
        throw FileError(QStringLiteral("Cannot read the image file \"%1\": %2").arg(fileName, reason));
    if (bmp && file.headBytes >= kBmpFileHeader + kBmpInfoHeader
        && qFromLittleEndian<quint32>(head + 14) >= kBmpInfoHeader)
        keepResolution(image, head);
    return image;
}

void writeRasterBmp24(const QString &fileName, const QImage &image)
{
    const auto fail = [&](int code) {
        throw FileError(QStringLiteral("Cannot write the image file \"%1\": %2").arg(fileName, systemError(code)));
    };
    const int w = image.width(), h = image.height();
    const qint64 stride = bmpStride24(w);
    const qint64 pixelBytes = stride * h;
    if (image.isNull() || kBmpFileHeader + kBmpInfoHeader + pixelBytes > qint64(UINT32_MAX))
        throw FileError(QStringLiteral("Cannot write the image file \"%1\": the picture is too large.").arg(fileName));

    uchar head[kBmpFileHeader + kBmpInfoHeader];
    bmp24Header(head, w, h, image.dotsPerMeterX(), image.dotsPerMeterY());

    SideFile file(fileName);
    if (file.fd() < 0)
        fail(file.error());
    const auto write = [fd = file.fd()](const iovec *v, int n, off_t) { return ::writev(fd, v, n); };
    std::vector<iovec> parts;
    parts.push_back({head, sizeof head});

    // The padding comes from here: the bytes past a row's pixels inside an
    // image are not defined.
    static const uchar zeros[4] = {};
    const size_t rowBytes = size_t(w) * 3, pad = size_t(stride) - rowBytes;
    const auto addRow = [&](const uchar *row) {
        parts.push_back({const_cast<uchar *>(row), rowBytes});
        if (pad)
            parts.push_back({const_cast<uchar *>(zeros), pad});
    };

    if (image.format() == QImage::Format_BGR888) {
        parts.reserve(size_t(h) * (pad ? 2 : 1) + 1);
        const uchar *bits = image.constBits();
        for (int y = h - 1; y >= 0; --y)
            addRow(bits + qsizetype(y) * image.bytesPerLine());
        if (const int error = transferRows(parts, 0, write))
            fail(error);
    } else {
        // A band of rows at a time, bottom band first. Going through RGB32
        // drops alpha the way the rest of the program does.
        for (int bottom = h; bottom > 0; bottom -= kBandRows) {
            const int top = std::max(0, bottom - kBandRows);
            QImage band = image.copy(0, top, w, bottom - top);
            if (band.format() != QImage::Format_RGB32)
                band.convertTo(QImage::Format_RGB32);
            band.convertTo(QImage::Format_BGR888);
            if (band.isNull())
                fail(ENOMEM);
            for (int y = band.height() - 1; y >= 0; --y)
                addRow(band.constScanLine(y));
            if (const int error = transferRows(parts, 0, write))
                fail(error);
            parts.clear();
        }
    }
    if (const int error = file.commit())
        fail(error);
}

bool isPngName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

void writeBitmapFile(const QString &fileName, const QImage &image)
{
    if (!isPngName(fileName)) {
        writeRasterBmp24(fileName, image);
        return;
    }
    if (image.isNull())
        throw FileError(QStringLiteral("Cannot write the image file \"%1\": the picture is empty.").arg(fileName));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    // Opaque like the BMPs, so both kinds of file show the same picture.
    if (!writer.write(image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_RGB32) : image))
        throw FileError(QStringLiteral("Cannot write the image file \"%1\": %2").arg(fileName, writer.errorString()));
    QString error;
    if (!writeFileAtomically(fileName, bytes, &error))
        throw FileError(QStringLiteral("Cannot write the image file \"%1\": %2").arg(fileName, error));
}

bool transformBmp24Rows(const QString &in, const QString &out, bool flip, void (*rowEffect)(QImage &band, int value),
                        int value)
{
    const OpenedFile source(in);
    Bmp24Layout l;
    if (source.error || !source.bmp24(l))
        return false;
    const uchar *head = source.head;
    const int fd = source.fd.get();
    const auto fail = [&](const QString &name, const char *verb, int code) {
        throw FileError(QStringLiteral("Cannot %1 the image file \"%2\": %3").arg(QLatin1String(verb), name, systemError(code)));
    };

    const int w = l.width, h = l.height;
    const int bandRows = int(std::clamp<qint64>(kBandBytes / l.stride, 1, h));
    std::vector<uchar> buffer(size_t(l.stride) * size_t(bandRows));
    uchar out24[kBmpFileHeader + kBmpInfoHeader];
    const QImage plain(1, 1, QImage::Format_BGR888);
    bmp24Header(out24, w, h, resolutionOf(head, 38, plain.dotsPerMeterX()), resolutionOf(head, 42, plain.dotsPerMeterY()));

    SideFile file(out);
    if (file.fd() < 0)
        fail(out, "write", file.error());
    std::vector<iovec> parts{{out24, sizeof out24}};
    if (const int error = transferRows(parts, 0, [&](const iovec *v, int n, off_t) { return ::writev(file.fd(), v, n); }))
        fail(out, "write", error);

    // Output file row j (bottom-up) is picture row h-1-j; it comes from file
    // row j of a bottom-up input, or h-1-j of a top-down one, and the other
    // way round when flipping.
    const bool sameOrder = l.bottomUp != flip;
    const size_t rowBytes = size_t(w) * 3, pad = size_t(l.stride) - rowBytes;
    std::vector<iovec> rows(static_cast<size_t>(bandRows));
    for (int j0 = 0; j0 < h; j0 += bandRows) {
        const int n = std::min(bandRows, h - j0);
        const int first = sameOrder ? j0 : h - j0 - n; // first input file row read
        rows.resize(size_t(n));
        for (int k = 0; k < n; ++k) {
            const int slot = sameOrder ? k : n - 1 - k;
            rows[size_t(k)] = {buffer.data() + size_t(slot) * size_t(l.stride), size_t(l.stride)};
        }
        if (const int error = transferRows(rows, off_t(l.offset + qint64(first) * l.stride),
                                           [fd](const iovec *v, int c, off_t at) { return ::preadv(fd, v, c, at); }))
            fail(in, "read", error);
        if (rowEffect) {
            QImage part(buffer.data(), w, n, l.stride, QImage::Format_BGR888);
            rowEffect(part, value);
            if (part.constBits() != buffer.data()) { // the effect made a copy of its own
                part.convertTo(QImage::Format_BGR888);
                for (int k = 0; k < n; ++k)
                    std::memcpy(buffer.data() + size_t(k) * size_t(l.stride), part.constScanLine(k), rowBytes);
            }
        }
        if (pad)
            for (int k = 0; k < n; ++k)
                std::memset(buffer.data() + size_t(k) * size_t(l.stride) + rowBytes, 0, pad);
        std::vector<iovec> whole{{buffer.data(), size_t(l.stride) * size_t(n)}};
        if (const int error = transferRows(whole, 0, [&](const iovec *v, int c, off_t) { return ::writev(file.fd(), v, c); }))
            fail(out, "write", error);
    }
    if (const int error = file.commit())
        fail(out, "write", error);
    return true;
}

} // namespace vz
