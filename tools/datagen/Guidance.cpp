#include "Guidance.h"

#include "Alphabets.h"
#include "Lists.h"
#include "SvgArt.h"
#include "Writers.h"

#include "common/NameValueFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace datagen {

namespace {

constexpr int kPictureWidth = 141;
constexpr int kPictureHeight = 94;

// A word set in one of the generated raster alphabets: "alphabet folder|prefix|ext|text".
QImage wordPicture(const QString &outRoot, const QString &spec, const QString &charactersFile)
{
    const QStringList f = spec.split(QLatin1Char('|'));
    if (f.size() != 4)
        return {};
    vz::NameValueFile names;
    if (!names.load(charactersFile))
        return {};
    QMap<QChar, QString> byChar;
    for (const QString &line : names.lines()) {
        const QString n = vz::NameValueFile::nameOf(line);
        const QString v = names.value(n);
        if (!n.isEmpty() && !v.isEmpty() && !byChar.contains(v.at(0)))
            byChar.insert(v.at(0), n);
    }
    const QString dir = outRoot + QStringLiteral("Alphabets/Color/") + f.at(0) + QLatin1Char('/');
    QList<QImage> letters;
    int width = 0, height = 0;
    for (const QChar c : f.at(3)) {
        const QString name = c == QLatin1Char(' ') ? QStringLiteral("SPACE") : byChar.value(c);
        QImage img(dir + letterFileName(f.at(1), name, f.at(2)));
        if (img.isNull())
            continue;
        letters << img;
        width += img.width();
        height = std::max(height, img.height());
    }
    if (letters.isEmpty())
        return {};
    QImage word(width, height, QImage::Format_RGB32);
    word.fill(Qt::white);
    QPainter p(&word);
    int x = 0;
    for (const QImage &l : letters) {
        p.drawImage(x, 0, l);
        x += l.width();
    }
    return word;
}

QImage svgPicture(const QString &clipartRoot, const QString &source)
{
    QFile f(clipartRoot + source);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    SvgPicture pic;
    QString reason;
    if (!pic.load(f.readAll(), &reason))
        return {};
    return pic.render(2 * kPictureWidth);
}

// The picture fitted on white into the tour window's picture box, as BMP bytes.
QByteArray stepPicture(const QImage &content)
{
    QImage box(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    box.fill(Qt::white);
    if (!content.isNull()) {
        QPainter p(&box);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize fitted = content.size().scaled(kPictureWidth - 8, kPictureHeight - 8, Qt::KeepAspectRatio);
        p.drawImage(QRect(QPoint((kPictureWidth - fitted.width()) / 2, (kPictureHeight - fitted.height()) / 2), fitted),
                    content.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    box.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP");
    return bytes;
}

} // namespace

bool generateGuidance(const QString &outRoot, const GuidanceSources &src, QTextStream &log, int *tips, int *tours)
{
    QStringList tipTexts;
    for (const Block &b : readBlocks(src.tipsFile))
        if (b.contains(QStringLiteral("tip")))
            tipTexts << b.value(QStringLiteral("tip")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    writeTips(outRoot + QStringLiteral("tips.dat"), tipTexts);
    *tips = int(tipTexts.size());

    QDir().mkpath(outRoot + QStringLiteral("Tours"));
    QStringList scripts = QDir(src.toursFolder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    *tours = 0;
    for (const QString &script : scripts) {
        QList<TourStep> steps;
        for (const Block &b : readBlocks(src.toursFolder + QLatin1Char('/') + script)) {
            TourStep s;
            s.title = b.value(QStringLiteral("title"));
            s.text = b.value(QStringLiteral("text")).replace(QLatin1Char('\n'), QLatin1Char(' '));
            const QStringList codes = b.value(QStringLiteral("codes")).split(QLatin1Char(','));
            const QStringList methods = b.value(QStringLiteral("methods")).split(QLatin1Char(','));
            for (int i = 0; i < 3; ++i) {
                s.code[i] = i < codes.size() ? codes.at(i).trimmed().toInt() : 0;
                s.method[i] = i < methods.size() ? methods.at(i).trimmed() : QString();
            }
            s.methodText = b.value(QStringLiteral("methodtext"));
            const QString pic = b.value(QStringLiteral("picture"));
            QImage content;
            if (pic.startsWith(QLatin1String("word:")))
                content = wordPicture(outRoot, pic.mid(5), src.charactersFile);
            else if (pic.startsWith(QLatin1String("svg:")))
                content = svgPicture(src.clipartRoot, pic.mid(4));
            if (content.isNull())
                log << "  tour " << script << ": no picture for \"" << s.title << "\"\n";
            s.picture = stepPicture(content);
            steps << s;
        }
        const QString name = script.chopped(4) + QStringLiteral(".tor");
        writeTour(outRoot + QStringLiteral("Tours/") + name, steps);
        log << "  tour " << name << ": " << steps.size() << " steps\n";
        ++*tours;
    }
    return true;
}

} // namespace datagen
