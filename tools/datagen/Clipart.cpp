#include "Clipart.h"

#include "Lists.h"
#include "SvgArt.h"
#include "Writers.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

namespace datagen {

namespace {

constexpr int kLongSide = 300;
constexpr int kNameLength = 75;
constexpr int kFileNameLength = 40;
constexpr int kSetLength = 20;
constexpr int kSearchLength = 65;

struct Pick
{
    QString set;
    QString format; // jpg, bmp, wmf
    QString source; // below the clip-art root
};

struct Made
{
    QString reason; // empty when the picture was made
    QString name;
    QString search;
    QString fileName;
    QByteArray colour;
    QByteArray grey;
};

QByteArray encode(const QImage &img, const QString &format)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (format == QLatin1String("jpg")) {
        QImageWriter w(&buf, "JPEG");
        w.setQuality(88);
        w.write(img);
    } else {
        img.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP");
    }
    return bytes;
}

QByteArray wmfOf(const SvgPicture &pic)
{
    const QSize size = pic.sizeForLongSide(kLongSide);
    return makeWmf(size, [&](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing);
        pic.renderTo(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    });
}

Made makePicture(const QString &root, const Pick &pick)
{
    Made m;
    QFile f(root + pick.source);
    if (!f.open(QIODevice::ReadOnly)) {
        m.reason = QStringLiteral("missing");
        return m;
    }
    const QByteArray svg = f.readAll();
    const SvgInfo info = readSvgInfo(svg);
    if (!info.unsupported.isEmpty()) {
        m.reason = QStringLiteral("uses ") + info.unsupported;
        return m;
    }
    SvgPicture pic;
    SvgWarnings warnings;
    if (!pic.load(svg, &m.reason))
        return m;
    if (!warnings.messages().isEmpty()) {
        m.reason = QStringLiteral("drawn wrongly: ") + warnings.messages().first();
        return m;
    }
    const QString base = QFileInfo(pick.source).fileName();
    m.name = pictureName(info, base, kNameLength);
    m.search = searchWords(info, base, kSearchLength);
    if (pick.format == QLatin1String("wmf")) {
        m.colour = wmfOf(pic);
        m.grey = wmfOf(pic.withSource(greySvg(svg)));
    } else {
        const QImage img = pic.render(kLongSide);
        m.colour = encode(img, pick.format);
        m.grey = encode(toGrey(img), pick.format);
    }
    if (m.colour.isEmpty() || m.grey.isEmpty())
        m.reason = QStringLiteral("not written");
    return m;
}

QString uniqueFileName(const QString &source, const QString &format, QSet<QString> *taken)
{
    static const QRegularExpression bad(QStringLiteral("[^A-Za-z0-9_-]+"));
    QString stem = QFileInfo(source).completeBaseName();
    stem.replace(bad, QStringLiteral("_"));
    const int room = kFileNameLength - int(format.size()) - 1 - 3;
    stem = stem.left(room);
    QString name = stem + QLatin1Char('.') + format;
    for (int n = 2; taken->contains(name.toLower()); ++n)
        name = stem + QString::number(n) + QLatin1Char('.') + format;
    taken->insert(name.toLower());
    return name;
}

} // namespace

bool generateClipart(const QString &outRoot, const QString &clipartRoot, const QString &setsFile,
                     const QString &picturesFile, QTextStream &log, ClipartSummary *summary)
{
    QList<Pick> picks;
    for (const QString &line : readLines(picturesFile)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 3)
            picks << Pick{f.at(0), f.at(1), f.at(2)};
    }
    // Every picture is independent; results come back in list order.
    const QList<Made> made = QtConcurrent::blockingMapped(
        picks, [&clipartRoot](const Pick &p) { return makePicture(clipartRoot, p); });

    for (const QString &line : readLines(setsFile)) {
        const QStringList f = line.split(QLatin1Char('|'));
        if (f.size() != 4)
            continue;
        QString id = f.at(0);
        int catalogs = 1;
        if (id.endsWith(QLatin1String("/2"))) {
            id.chop(2);
            catalogs = 2;
        }
        const QString folder = f.at(1);
        struct Tree
        {
            QString dir;
            QString set;
            QList<ClipRecord> records;
        };
        Tree trees[2] = {{outRoot + QStringLiteral("Images/Color/") + folder + QLatin1Char('/'), id, {}},
                         {outRoot + QStringLiteral("Images/BW/") + folder + QLatin1Char('/'), id + QStringLiteral("bw"), {}}};
        for (Tree &t : trees) {
            if (t.set.size() > kSetLength || !freshFolder(t.dir)) {
                log << "cannot make " << t.dir << '\n';
                return false;
            }
            if (!writeTextFile(t.dir + id + QStringLiteral(".qn"),
                               {QStringLiteral("Name=") + f.at(2), QStringLiteral("Description=") + f.at(3),
                                QStringLiteral("Set=") + t.set}))
                return false;
        }
        QSet<QString> taken;
        int count = 0;
        for (int i = 0; i < picks.size(); ++i) {
            if (picks.at(i).set != id)
                continue;
            const Made &m = made.at(i);
            if (!m.reason.isEmpty()) {
                log << "  skipped " << picks.at(i).source << ": " << m.reason << '\n';
                ++summary->skipped;
                continue;
            }
            const QString fileName = uniqueFileName(picks.at(i).source, picks.at(i).format, &taken);
            for (int k = 0; k < 2; ++k) {
                Tree &t = trees[k];
                if (!writeBytes(t.dir + fileName, k == 0 ? m.colour : m.grey)) {
                    log << "cannot write " << t.dir << fileName << '\n';
                    return false;
                }
                t.records << ClipRecord{m.name, fileName, makeThumbnail(t.dir + fileName), t.set, m.search};
            }
            ++count;
            if (picks.at(i).format == QLatin1String("wmf"))
                ++summary->vector;
        }
        for (Tree &t : trees) {
            if (catalogs == 1) {
                writeClipCatalog(t.dir + id + QStringLiteral(".catalog"), t.records);
            } else {
                // A set may be spread over several catalogs; the program joins them.
                const qsizetype half = t.records.size() / 2;
                writeClipCatalog(t.dir + id + QStringLiteral("1.catalog"), t.records.mid(0, half));
                writeClipCatalog(t.dir + id + QStringLiteral("2.catalog"), t.records.mid(half));
            }
        }
        log << "  " << folder << ": " << count << " pictures\n";
        ++summary->sets;
        summary->pictures += count;
    }
    return true;
}

} // namespace datagen
