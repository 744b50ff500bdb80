#include "Clipart.h"

#include "Lists.h"
#include "SvgArt.h"
#include "Writers.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
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
    QString fileName;
    QString dirs[2]; // the set's folders in the colour and the black-and-white tree
};

struct Made
{
    QString reason; // empty when the picture was made
    bool fatal = false;
    QString name;
    QString search;
    QByteArray thumbnails[2];
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
    if (pick.format == QLatin1String("wmf") && usesTranslucency(svg)) {
        m.reason = QStringLiteral("see-through parts cannot be a metafile");
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
    QByteArray bytes[2];
    if (pick.format == QLatin1String("wmf")) {
        bytes[0] = wmfOf(pic);
        bytes[1] = wmfOf(pic.withSource(greySvg(svg)));
    } else {
        const QImage img = pic.render(kLongSide);
        bytes[0] = encode(img, pick.format);
        bytes[1] = encode(toGrey(img), pick.format);
    }
    for (int t = 0; t < 2; ++t) {
        const QString path = pick.dirs[t] + pick.fileName;
        if (bytes[t].isEmpty() || !writeBytes(path, bytes[t])) {
            m.reason = QStringLiteral("cannot write ") + path;
            m.fatal = true;
            return m;
        }
        try {
            m.thumbnails[t] = makeThumbnail(path);
        } catch (const std::exception &) {
            m.reason = QStringLiteral("no thumbnail for ") + path;
            m.fatal = true;
            return m;
        }
    }
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
    struct SetInfo
    {
        QString id;
        QString folder;
        QString name;
        QString description;
        int catalogs = 1;
        QString dirs[2];
        QString sets[2];
        QSet<QString> taken;
    };
    QList<SetInfo> sets;
    QHash<QString, int> setIndex;
    for (const QString &line : readLines(setsFile)) {
        const QStringList f = line.split(QLatin1Char('|'));
        if (f.size() != 4)
            continue;
        SetInfo s;
        s.id = f.at(0);
        if (s.id.endsWith(QLatin1String("/2"))) {
            s.id.chop(2);
            s.catalogs = 2;
        }
        s.folder = f.at(1);
        s.name = f.at(2);
        s.description = f.at(3);
        s.dirs[0] = outRoot + QStringLiteral("Images/Color/") + s.folder + QLatin1Char('/');
        s.dirs[1] = outRoot + QStringLiteral("Images/BW/") + s.folder + QLatin1Char('/');
        // Set names differ between the trees: the program finds a set's folder
        // by its name, and the colour tree is scanned first.
        s.sets[0] = s.id;
        s.sets[1] = s.id + QStringLiteral("bw");
        for (int t = 0; t < 2; ++t) {
            if (s.sets[t].size() > kSetLength || !freshFolder(s.dirs[t])) {
                log << "cannot make " << s.dirs[t] << '\n';
                return false;
            }
            if (!writeTextFile(s.dirs[t] + s.id + QStringLiteral(".qn"),
                               {QStringLiteral("Name=") + s.name, QStringLiteral("Description=") + s.description,
                                QStringLiteral("Set=") + s.sets[t]}))
                return false;
        }
        setIndex.insert(s.id, int(sets.size()));
        sets << s;
    }

    QList<Pick> picks;
    for (const QString &line : readLines(picturesFile)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 3 || !setIndex.contains(f.at(0))) {
            log << "bad picture line: " << line << '\n';
            return false;
        }
        SetInfo &s = sets[setIndex.value(f.at(0))];
        Pick p{f.at(0), f.at(1), f.at(2), uniqueFileName(f.at(2), f.at(1), &s.taken), {s.dirs[0], s.dirs[1]}};
        picks << p;
    }
    // Every picture is independent; results come back in list order.
    const QList<Made> made = QtConcurrent::blockingMapped(
        picks, [&clipartRoot](const Pick &p) { return makePicture(clipartRoot, p); });

    for (const SetInfo &s : sets) {
        QList<ClipRecord> records[2];
        int count = 0;
        for (int i = 0; i < picks.size(); ++i) {
            if (picks.at(i).set != s.id)
                continue;
            const Made &m = made.at(i);
            if (m.fatal) {
                log << m.reason << '\n';
                return false;
            }
            if (!m.reason.isEmpty()) {
                log << "  skipped " << picks.at(i).source << ": " << m.reason << '\n';
                ++summary->skipped;
                continue;
            }
            for (int t = 0; t < 2; ++t)
                records[t] << ClipRecord{m.name, picks.at(i).fileName, m.thumbnails[t], s.sets[t], m.search};
            ++count;
            if (picks.at(i).format == QLatin1String("wmf"))
                ++summary->vector;
        }
        for (int t = 0; t < 2; ++t) {
            if (s.catalogs == 1) {
                writeClipCatalog(s.dirs[t] + s.id + QStringLiteral(".catalog"), records[t]);
            } else {
                // A set may be spread over several catalogs; the program joins them.
                const qsizetype half = records[t].size() / 2;
                writeClipCatalog(s.dirs[t] + s.id + QStringLiteral("1.catalog"), records[t].mid(0, half));
                writeClipCatalog(s.dirs[t] + s.id + QStringLiteral("2.catalog"), records[t].mid(half));
            }
        }
        log << "  " << s.folder << ": " << count << " pictures\n";
        ++summary->sets;
        summary->pictures += count;
    }
    return true;
}

} // namespace datagen
