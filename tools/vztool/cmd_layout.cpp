#include "Command.h"

#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"
#include "printpage/ComponentStream.h"
#include "printpage/LayoutFile.h"
#include "printpage/TPolyTextLines.h"
#include "printpage/TextBoxStream.h"
#include "printpage/TextCanvas.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>

using namespace vztool;

namespace {

const QString kUsage = QStringLiteral("usage: vztool layout dump FILE [--lines]");

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

int runLayout(const QStringList &argsIn)
{
    QStringList args = argsIn;
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

Registration reg({QStringLiteral("layout"), QStringLiteral("layout dump FILE [--lines]"),
                  QStringLiteral("print a page layout file's header, picture records and text-box properties; "
                                 "--lines adds each box's placed lines; exit 1 with the program's message when "
                                 "it would not open the file silently"),
                  runLayout, true});

} // namespace
