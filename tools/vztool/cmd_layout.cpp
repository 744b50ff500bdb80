#include "Command.h"

#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"
#include "common/AtomicFile.h"
#include "printpage/ComponentStream.h"
#include "printpage/LayoutFile.h"
#include "printpage/PageGeometry.h"
#include "printpage/PagePrint.h"
#include "printpage/PrintDevice.h"
#include "printpage/TPolyTextLines.h"
#include "printpage/TextBoxStream.h"
#include "printpage/TextCanvas.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QtEndian>

#include <limits>

using namespace vztool;

namespace {

const QString kUsage = QStringLiteral(
    "usage: vztool layout dump FILE [--lines]\n"
    "       vztool layout pdf FILE OUT.pdf [--dpi N] [--page-height H] [--type 0|1|2|3] "
    "[--style none|compress|winstretch]");

QString valueText(const vz::ComponentValue &v)
{
    using T = vz::ValueType;
    switch (v.type) {
    case T::Int8: case T::Int16: case T::Int32: case T::Int64:
        return QString::number(v.integer);
    case T::Ident:
        return v.text;
    case T::String: case T::LString: case T::WString: case T::Utf8String:
        return QLatin1Char('"') + v.text + QLatin1Char('"');
    case T::False:
        return QStringLiteral("False");
    case T::True:
        return QStringLiteral("True");
    case T::Set:
        return QLatin1Char('[') + v.set.join(QStringLiteral(", ")) + QLatin1Char(']');
    case T::List: {
        QStringList items;
        for (const vz::ComponentValue &i : v.items)
            items << valueText(i);
        return QLatin1Char('(') + items.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    case T::Extended: case T::Single: case T::Currency: case T::Date:
        return QString::number(v.real, 'g', 17);
    case T::Binary:
        return QStringLiteral("{%1 bytes}").arg(v.binary.size());
    case T::Nil:
        return QStringLiteral("nil");
    case T::Collection:
        return QStringLiteral("<collection>");
    case T::Null:
        break;
    }
    return QString();
}

// A stream's properties in their order, as far as they read.
void dumpStream(QByteArrayView stream)
{
    try {
        vz::ComponentReader r(stream);
        QString cls;
        r.readHeader(&cls, nullptr);
        out(QStringLiteral("    class %1").arg(cls));
        while (!r.atListEnd()) {
            const QString name = r.readShortString();
            const vz::ComponentValue v = r.readValue();
            QString text = valueText(v);
            if (name == QLatin1String("Font.Height") && v.isInteger() && v.integer != 0
                && v.integer >= INT32_MIN && v.integer <= INT32_MAX)
                text += QStringLiteral(" (%1 pt at 96 dpi)").arg(vz::fontSizeFromHeight(int(v.integer), 96));
            out(QStringLiteral("    %1 = %2").arg(name, text));
        }
    } catch (const vz::ComponentStreamError &e) {
        out(QStringLiteral("    stream unreadable: %1").arg(e.message()));
    }
}

void dumpLines(const vz::TextBoxData &box)
{
    vz::mf::WmfGenerator device;
    device.setResolution(96);
    QPainter painter(&device);
    painter.setFont(box.font());
    vz::PainterTextCanvas canvas(&painter);
    const int w = box.bounds.width(), h = box.bounds.height();
    vz::TPolyTextLines layout(&canvas, QPolygon({QPoint(0, 0), QPoint(w, 0), QPoint(w, h), QPoint(0, h)}));
    layout.setMargin(box.borderFlag ? 5 : 0);
    layout.SetAlignment(box.alignment);
    layout.SetText(box.text);
    for (const vz::TPolyTextLine &line : layout.lines())
        out(QStringLiteral("    line %1\t%2\t%3\t%4").arg(line.left()).arg(line.right()).arg(line.top()).arg(line.text()));
    painter.end();
}

class Walker
{
public:
    explicit Walker(QByteArrayView b) : m_b(b) {}
    bool has(qint64 n) const { return n >= 0 && n <= m_b.size() - m_pos; }
    qint32 int32()
    {
        const qint32 v = qFromLittleEndian<qint32>(m_b.data() + m_pos);
        m_pos += 4;
        return v;
    }
    double float64()
    {
        const double v = qFromLittleEndian<double>(m_b.data() + m_pos);
        m_pos += 8;
        return v;
    }
    QByteArrayView take(qint64 n)
    {
        const QByteArrayView v = m_b.sliced(m_pos, qsizetype(n));
        m_pos += qsizetype(n);
        return v;
    }
    qsizetype pos() const { return m_pos; }
    void seek(qsizetype p) { m_pos = p; }

private:
    QByteArrayView m_b;
    qsizetype m_pos = 0;
};

// The records as they stand, stopping where the file stops making sense.
void dumpBody(const QByteArray &bytes, bool lines)
{
    Walker w(bytes);
    w.seek(14);
    if (!w.has(4)) {
        out(QStringLiteral("cut before the orientation"));
        return;
    }
    const qint32 orientation = w.int32();
    out(QStringLiteral("orientation %1 (%2)").arg(orientation).arg(orientation ? "landscape" : "portrait"));
    if (!w.has(4))
        return out(QStringLiteral("cut after the orientation"));
    qint32 v = w.int32();
    if (v != vz::kLayoutTextBoxMarker && v != vz::kLayoutEndMarker) {
        const qint32 count = v;
        out(QStringLiteral("pictures %1").arg(count));
        for (qint32 i = 0; i < count; ++i) {
            if (i > 0) {
                if (!w.has(4))
                    return out(QStringLiteral("cut before picture %1").arg(i + 1));
                w.int32();
            }
            if (!w.has(8))
                return out(QStringLiteral("cut in picture %1").arg(i + 1));
            const qint32 kind = w.int32();
            const qint32 length = w.int32();
            if (!w.has(length))
                return out(QStringLiteral("picture %1: kind %2, %3 bytes: past the end").arg(i + 1).arg(kind).arg(length));
            const QByteArray data = w.take(length).toByteArray();
            QString size = QStringLiteral("unreadable");
            const vz::Picture::Kind k = kind == 1 ? vz::Picture::Kind::Bitmap
                                      : kind == 2 ? vz::Picture::Kind::Metafile
                                      : kind == 3 ? vz::Picture::Kind::Jpeg
                                      : kind == 4 ? vz::Picture::Kind::Gif
                                                  : vz::Picture::Kind::None;
            if (k != vz::Picture::Kind::None) {
                try {
                    const vz::Picture p = vz::Picture::fromBytes(data, k);
                    size = QStringLiteral("%1x%2").arg(p.width()).arg(p.height());
                } catch (const vz::VzError &) {
                }
            }
            if (!w.has(32))
                return out(QStringLiteral("picture %1: kind %2, %3 bytes, cut before its inches").arg(i + 1).arg(kind).arg(length));
            const double top = w.float64(), left = w.float64(), height = w.float64(), width = w.float64();
            out(QStringLiteral("picture %1: kind %2, %3 bytes, top %4 left %5 height %6 width %7 in, %8")
                    .arg(i + 1).arg(kind).arg(length).arg(top).arg(left).arg(height).arg(width).arg(size));
        }
        if (!w.has(4))
            return out(QStringLiteral("cut after the pictures"));
        v = w.int32();
    }
    if (v == vz::kLayoutTextBoxMarker) {
        if (!w.has(4))
            return out(QStringLiteral("cut before the text-box count"));
        const qint32 count = w.int32();
        out(QStringLiteral("text boxes %1").arg(count));
        for (qint32 i = 0; i < count; ++i) {
            if (i > 0) {
                if (!w.has(8))
                    return out(QStringLiteral("cut before text box %1").arg(i + 1));
                w.int32();
                w.int32();
            }
            if (!w.has(4))
                return out(QStringLiteral("cut in text box %1").arg(i + 1));
            const qint32 length = w.int32();
            if (!w.has(length))
                return out(QStringLiteral("text box %1: %2 bytes: past the end").arg(i + 1).arg(length));
            const QByteArrayView stream = w.take(length);
            out(QStringLiteral("text box %1: %2 bytes").arg(i + 1).arg(length));
            dumpStream(stream);
            if (lines) {
                try {
                    dumpLines(vz::decodeTextBox(stream, 96));
                } catch (const vz::VzError &) {
                }
            }
        }
    } else {
        w.seek(w.pos() - 4);
    }
    if (w.has(4) && w.pos() == bytes.size() - 4)
        out(QStringLiteral("trailer %1").arg(w.int32()));
    else if (bytes.size() >= 4)
        out(QStringLiteral("trailer %1 (%2 bytes before it unread)")
                .arg(qFromLittleEndian<qint32>(bytes.constData() + bytes.size() - 4))
                .arg(bytes.size() - 4 - w.pos()));
}

// The system's paper as paperconf keeps it (/etc/papersize), else A4.
QPageSize systemPaper()
{
    QFile file(QStringLiteral("/etc/papersize"));
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = file.read(4096).split('\n');
        for (const QByteArray &raw : lines) {
            const QByteArray name = raw.trimmed().toLower();
            if (name.isEmpty() || name.startsWith('#'))
                continue;
            static const std::pair<const char *, QPageSize::PageSizeId> known[] = {
                {"a3", QPageSize::A3},         {"a4", QPageSize::A4},         {"a5", QPageSize::A5},
                {"b5", QPageSize::B5},         {"letter", QPageSize::Letter}, {"legal", QPageSize::Legal},
                {"executive", QPageSize::Executive}, {"tabloid", QPageSize::Tabloid},
                {"ledger", QPageSize::Ledger}};
            for (const auto &[key, id] : known) {
                if (name == key)
                    return QPageSize(id);
            }
            break;
        }
    }
    return QPageSize(QPageSize::A4);
}

// A whole number from `text` within [low, high], or nullopt.
std::optional<int> boundedInt(const QString &text, int low, int high)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

int runPdf(QStringList args)
{
    int dpi = 600;
    int pageHeight = 800;
    vz::PrintType type = vz::PrintType::StretchDib;
    vz::PrintStyle style = vz::PrintStyle::None;
    QStringList files;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        const bool hasValue = !args.isEmpty();
        if (a == QLatin1String("--dpi") && hasValue) {
            const auto v = boundedInt(args.takeFirst(), 1, 9600);
            if (!v) {
                err(QStringLiteral("vztool layout: --dpi needs a number from 1 to 9600"));
                return 2;
            }
            dpi = *v;
        } else if (a == QLatin1String("--page-height") && hasValue) {
            const auto v = boundedInt(args.takeFirst(), 1, 100000);
            if (!v) {
                err(QStringLiteral("vztool layout: --page-height needs a number from 1 to 100000"));
                return 2;
            }
            pageHeight = *v;
        } else if (a == QLatin1String("--type") && hasValue) {
            const auto v = boundedInt(args.takeFirst(), 0, 3);
            if (!v) {
                err(QStringLiteral("vztool layout: --type is 0, 1, 2 or 3"));
                return 2;
            }
            type = vz::PrintType(*v);
        } else if (a == QLatin1String("--style") && hasValue) {
            const QString v = args.takeFirst();
            if (v == QLatin1String("none"))
                style = vz::PrintStyle::None;
            else if (v == QLatin1String("compress"))
                style = vz::PrintStyle::Compress;
            else if (v == QLatin1String("winstretch"))
                style = vz::PrintStyle::WinStretch;
            else {
                err(QStringLiteral("vztool layout: --style is none, compress or winstretch"));
                return 2;
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            err(kUsage);
            return 2;
        } else {
            files << a;
        }
    }
    if (files.size() != 2) {
        err(kUsage);
        return 2;
    }

    QFile file(files[0]);
    if (!file.exists()) {
        err(QStringLiteral("The file you requested does not exist."));
        return 1;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("vztool layout: cannot read %1: %2").arg(files[0], file.errorString()));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    const vz::DecodedLayout d = vz::decodeLayout(bytes, 96);
    using Status = vz::DecodedLayout::Status;
    if (d.status == Status::HeaderCorrupt || d.status == Status::Version) {
        err(vz::layoutStatusMessage(d).replace(QLatin1Char('\r'), QLatin1Char('\n')));
        return 1;
    }
    int exitCode = 0;
    if (d.status == Status::BodyError) {
        // The page shows what it read before the damage; so does the PDF.
        err(vz::layoutStatusMessage(d).replace(QLatin1Char('\r'), QLatin1Char('\n')));
        exitCode = 1;
    }

    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(dpi);
    writer.setCreator(QStringLiteral("vztool"));
    const qreal margin = 0.25;
    writer.setPageLayout(QPageLayout(systemPaper(), d.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(margin, margin, margin, margin), QPageLayout::Inch));
    vz::PainterPrintDevice device(&writer, {[&writer](const QString &title) { writer.setTitle(title); }, {}});

    // The print page's fitting onto a page panel `pageHeight` high: a work
    // area that high (plus the page's margin) and wider than any page.
    const QSize printable = device.printableSize();
    const vz::PrinterPage printer{printable.width(), printable.height(), dpi, dpi};
    const auto g = vz::computePageGeometry(printer, QSize(), QSize(std::numeric_limits<int>::max() / 2, pageHeight + 20));
    if (!g) {
        err(QStringLiteral("vztool layout: the PDF page has no printable area"));
        return 1;
    }

    QList<vz::PagePicture> pictures;
    for (int i = 0; i < d.pictures.size(); ++i) {
        const auto rect = vz::layoutPictureRect(d.pictures[i], g->ppiX, g->ppiY);
        if (!rect) {
            err(QStringLiteral("vztool layout: picture %1 lies too far off the page; left out").arg(i + 1));
            continue;
        }
        pictures.append(vz::PagePicture{d.pictures[i].picture, *rect});
    }
    pictures += vz::textBoxPagePictures(d.boxes, 96);

    vz::PagePrintOptions options;
    options.type = type;
    options.style = style;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize px = (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
        if (!px.isEmpty())
            options.tiled.tileSize = px;
    }
    options.tiled.message = [](const QString &text) { err(text); };

    vz::PagePrintResult result;
    try {
        result = vz::printPage(device, pictures, g->page.height(), options);
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    using PrintStatus = vz::PagePrintResult::Status;
    switch (result.status) {
    case PrintStatus::NothingToPrint:
        err(QStringLiteral("vztool layout: the page is empty; nothing printed"));
        return 1;
    case PrintStatus::Failed:
        err(QStringLiteral("vztool layout: the PDF could not be made"));
        return 1;
    case PrintStatus::BitmapLoadError:
        // The document was ended: what was drawn before it is written.
        err(vz::kBitmapLoadError);
        exitCode = 1;
        break;
    case PrintStatus::Printed:
        break;
    }
    buffer.close();
    QString why;
    if (!vz::writeFileAtomically(files[1], pdf, &why)) {
        err(QStringLiteral("vztool layout: cannot write %1: %2").arg(files[1], why));
        return 1;
    }
    return exitCode;
}

int runLayout(const QStringList &argsIn)
{
    QStringList args = argsIn;
    if (!args.isEmpty() && args[0] == QLatin1String("pdf"))
        return runPdf(args.mid(1));
    const bool lines = args.removeAll(QStringLiteral("--lines")) > 0;
    if (args.size() != 2 || args[0] != QLatin1String("dump")) {
        err(kUsage);
        return 2;
    }
    QFile file(args[1]);
    if (!file.exists()) {
        err(QStringLiteral("The file you requested does not exist."));
        return 1;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("vztool layout: cannot read %1: %2").arg(args[1], file.errorString()));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() >= 4) {
        const qint32 stored = qFromLittleEndian<qint32>(bytes.constData());
        out(QStringLiteral("length %1 (%2, file %3 bytes)")
                .arg(stored).arg(stored == bytes.size() ? "matching" : "not matching").arg(bytes.size()));
    } else {
        out(QStringLiteral("file %1 bytes, no length").arg(bytes.size()));
    }
    if (bytes.size() >= 6)
        out(QStringLiteral("magic \"%1\"").arg(QString::fromLatin1(bytes.mid(4, 2))));
    if (bytes.size() >= 14)
        out(QStringLiteral("version %1").arg(qFromLittleEndian<qint64>(bytes.constData() + 6)));
    dumpBody(bytes, lines);

    const vz::DecodedLayout d = vz::decodeLayout(bytes, 96);
    if (d.status != vz::DecodedLayout::Status::Ok) {
        err(vz::layoutStatusMessage(d).replace(QLatin1Char('\r'), QLatin1Char('\n')));
        return 1;
    }
    return 0;
}

Registration reg({QStringLiteral("layout"),
                  QStringLiteral("layout dump FILE [--lines] | layout pdf FILE OUT.pdf [--dpi N] [--page-height H] "
                                 "[--type 0|1|2|3] [--style none|compress|winstretch]"),
                  QStringLiteral("dump: print a page layout file's header, picture records and text-box properties; "
                                 "--lines adds each box's placed lines; exit 1 with the program's message when "
                                 "it would not open the file silently. pdf: print the page as the print page "
                                 "would onto a PDF (600 dpi, /etc/papersize or A4, 0.25 in margins, the file's "
                                 "orientation; page panel 800 high; type 2, no style); messages on stderr; "
                                 "exit 1 on an unreadable file or body, an empty page, an unwritable output or "
                                 "\"Bitmap load error\" (what was drawn is still written)"),
                  runLayout, true});

} // namespace
