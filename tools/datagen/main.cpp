// vzdatagen: the demo data generator.

#include "Alphabets.h"
#include "Clipart.h"
#include "ComingSoon.h"
#include "Guidance.h"
#include "Layouts.h"
#include "Lists.h"
#include "SvgArt.h"
#include "Writers.h"

#include "printpage/LayoutFile.h"
#include "printpage/PageGeometry.h"
#include "printpage/TextBoxRender.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>

using namespace datagen;

static int survey(const QStringList &dirs)
{
    QTextStream out(stdout);
    for (const QString &dir : dirs) {
        QStringList files;
        QDirIterator it(dir, {QStringLiteral("*.svg")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        std::sort(files.begin(), files.end());
        for (const QString &f : files) {
            QFile file(f);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray svg = file.readAll();
            QElapsedTimer t;
            t.start();
            const SvgInfo info = readSvgInfo(svg);
            SvgPicture pic;
            QString reason;
            SvgWarnings warnings;
            bool ok = info.unsupported.isEmpty() && pic.load(svg, &reason);
            if (ok && !warnings.messages().isEmpty()) {
                ok = false;
                reason = QStringLiteral("warning");
            }
            if (!info.unsupported.isEmpty())
                reason = info.unsupported;
            if (ok)
                pic.render(300);
            const QString base = QFileInfo(f).fileName();
            out << f << '\t' << (ok ? QStringLiteral("ok") : reason) << '\t' << t.elapsed() << '\t' << svg.size()
                << '\t' << pictureName(info, base, 75) << '\t'
                << searchWords(info, base, 65).replace(QStringLiteral("\r\n"), QStringLiteral(",")) << '\n';
            out.flush();
        }
    }
    return 0;
}


static QString withSlash(QString s)
{
    if (!s.endsWith(QLatin1Char('/')))
        s += QLatin1Char('/');
    return s;
}

// generate OUT LISTS FONTS CLIPART CHARACTERS [STAMP]
static int generate(const QStringList &args)
{
    if (args.size() < 5) {
        std::fputs("usage: vzdatagen generate OUT LISTS FONTS CLIPART CHARACTERS [STAMP]\n", stderr);
        return 2;
    }
    const QString out = withSlash(args.at(0));
    const QString lists = withSlash(args.at(1));
    const QString fonts = withSlash(args.at(2));
    const QString clipart = withSlash(args.at(3));
    const QString characters = args.at(4);
    const QString only = qEnvironmentVariable("VZ_DATAGEN_ONLY");
    QTextStream log(stdout);
    QElapsedTimer timer;
    timer.start();

    if (!QFileInfo(clipart).isDir()) {
        log << "vzdatagen: no clip-art library at " << clipart << " (install openclipart-svg)\n";
        return 1;
    }
    AlphabetSummary alphabets;
    if (only.isEmpty() || only == QLatin1String("alphabets")) {
        log << "alphabets:\n";
        if (!generateAlphabets(out, fonts, characters, lists + QStringLiteral("alphabets.lst"), log, &alphabets))
            return 1;
    }
    ClipartSummary clips;
    if (only.isEmpty() || only == QLatin1String("clipart")) {
        log << "clip-art:\n";
        if (!generateClipart(out, clipart, lists + QStringLiteral("sets.lst"), lists + QStringLiteral("pictures.lst"), log,
                             &clips))
            return 1;
    }
    int tips = 0, tours = 0;
    if (only.isEmpty() || only == QLatin1String("guidance")) {
        log << "tips and tours:\n";
        if (!generateGuidance(out, {lists + QStringLiteral("tips.txt"), lists + QStringLiteral("tours"), clipart, characters},
                              log, &tips, &tours))
            return 1;
    }
    if (only.isEmpty() || only == QLatin1String("guidance")) {
        if (!writeComingSoon(out)) {
            log << "vzdatagen: cannot write " << out << "CommingSoon.bmp\n";
            return 1;
        }
    }
    // The demo pages are made of the alphabets and clip-art written above.
    if (only.isEmpty() || only == QLatin1String("layouts")) {
        log << "page layouts:\n";
        if (!generateLayouts(out, characters, out + QStringLiteral("PageLayout"), log))
            return 1;
    }
    log << "vzdatagen: " << alphabets.alphabets << " alphabets (" << alphabets.letters << " letters), " << clips.sets
        << " clip-art sets (" << clips.pictures << " pictures in each tree, " << clips.vector << " of them WMF, "
        << clips.skipped << " skipped), " << tips << " tips, " << tours << " tours in " << timer.elapsed() / 1000.0
        << " s\n";
    log.flush();
    if (args.size() > 5 && !writeBytes(args.at(5), QByteArray()))
        return 1;
    return 0;
}

// sheet OUT.png COLUMNS FILE... : a contact sheet of images, for looking the data over.
static int sheet(const QStringList &args)
{
    if (args.size() < 3)
        return 2;
    const QStringList spec = args.at(1).split(QLatin1Char('x'));
    const int columns = std::max(1, spec.first().toInt());
    const int cell = spec.size() > 1 ? spec.at(1).toInt() : 0;
    QList<QImage> images;
    for (const QString &f : args.mid(2)) {
        if (f == QLatin1String("-")) {
            images << QImage();
            continue;
        }
        QImage img = f.endsWith(QLatin1String(".wmf"), Qt::CaseInsensitive) ? pictureAsImage(f) : QImage(f);
        if (img.isNull()) {
            img = QImage(10, 10, QImage::Format_RGB32);
            img.fill(Qt::red);
        }
        if (cell > 0)
            img = img.scaled(cell, cell, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        images << img;
    }
    // Rows: images side by side until a "-" or the column count.
    QList<QList<QImage>> rows{{}};
    for (const QImage &img : images) {
        if (img.isNull() || rows.last().size() == columns) {
            rows << QList<QImage>();
            if (img.isNull())
                continue;
        }
        rows.last() << img;
    }
    int width = 0, height = 0;
    for (const auto &r : rows) {
        int w = 0, h = 0;
        for (const QImage &i : r) {
            w += i.width() + 4;
            h = std::max(h, i.height());
        }
        width = std::max(width, w);
        height += h + 4;
    }
    QImage out(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    out.fill(QColor(200, 200, 200));
    QPainter p(&out);
    int y = 0;
    for (const auto &r : rows) {
        int x = 0, h = 0;
        for (const QImage &i : r) {
            p.drawImage(x, y, i);
            x += i.width() + 4;
            h = std::max(h, i.height());
        }
        y += h + 4;
    }
    p.end();
    return out.save(args.at(0)) ? 0 : 1;
}

// page FILE.VZL OUT.png : a layout file drawn as the page shows it, 800 pixels
// high, for looking the demo pages over.
static int page(const QStringList &args)
{
    if (args.size() != 2)
        return 2;
    QFile f(args.at(0));
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    const vz::DecodedLayout d = vz::decodeLayout(f.readAll(), 96);
    if (d.status != vz::DecodedLayout::Status::Ok) {
        std::fprintf(stderr, "vzdatagen: %s\n", qPrintable(vz::layoutStatusMessage(d)));
        return 1;
    }
    const vz::PrinterPage printer = vz::printerPageFor(
        QPageSize(QPageSize::A4), d.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, 600);
    const auto g = vz::computePageGeometry(printer, QSize(), QSize(4000, 820));
    QImage out(g->page.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    for (const vz::DecodedPicture &pic : d.pictures)
        if (const auto r = vz::layoutPictureRect(pic, g->ppiX, g->ppiY))
            pic.picture.draw(p, *r);
    for (const vz::TextBoxData &box : d.boxes) {
        const vz::TextBoxPicture t = vz::renderTextBoxPicture(box, 96);
        t.picture.draw(p, t.frame);
    }
    p.end();
    return out.save(args.at(1)) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    SvgWarnings::install();
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() == QLatin1String("survey"))
        return survey(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("sheet"))
        return sheet(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("page"))
        return page(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("generate")) {
        try {
            return generate(args.mid(1));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "vzdatagen: %s\n", e.what());
            return 1;
        }
    }
    std::fputs("usage: vzdatagen generate OUT LISTS FONTS CLIPART CHARACTERS [STAMP]\n"
               "       vzdatagen survey DIR...   (lists candidate pictures: status, time, name, words)\n"
               "       vzdatagen page FILE.VZL OUT.png   (draws a layout file's page, 800 pixels high)\n",
               stderr);
    return 2;
}
