// vzinstall icons SVG OUTDIR SIZE...        OUTDIR/<SIZE>/vellozine.png, SIZE x SIZE
// vzinstall enhancements FOLDER NAME.hmp... FOLDER/Installed/NAME.hmp listed in FOLDER/DllList.txt

#include "common/ProgramFolder.h"
#include "common/Version.h"
#include "enhancements/EnhancementDescriptor.h"
#include "enhancements/EnhancementList.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <memory>

namespace {

void fail(const QString &text)
{
    std::fprintf(stderr, "vzinstall: %s\n", qPrintable(text));
}

int icons(const QStringList &args)
{
    if (args.size() < 3)
        return 2;
    QSvgRenderer svg(args.at(0));
    if (!svg.isValid()) {
        fail(QStringLiteral("cannot read %1").arg(args.at(0)));
        return 1;
    }
    for (const QString &sizeText : args.mid(2)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            fail(QStringLiteral("bad icon size %1").arg(sizeText));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        svg.render(&p, QRectF(0, 0, size, size));
        p.end();
        const QString folder = args.at(1) + QLatin1Char('/') + sizeText;
        QDir().mkpath(folder);
        const QString out = folder + QStringLiteral("/vellozine.png");
        if (!image.save(out, "PNG")) {
            fail(QStringLiteral("cannot write %1").arg(out));
            return 1;
        }
    }
    return 0;
}

// Every descriptor must pass the program's own check; its entry replaces the
// list's entry for the same library and procedure, or is appended. The list
// is written beside itself, so a failure leaves an older one whole.
int enhancements(const QStringList &args)
{
    if (args.size() < 2)
        return 2;
    const QString folder = vz::withTrailingSlash(args.at(0));
    const QString listPath = folder + vz::kEnhancementListFile;
    QStringList entries;
    QString error;
    if (vz::readEnhancementList(listPath, &entries, &error) == vz::ListRead::Unreadable) {
        fail(QStringLiteral("cannot read %1: %2").arg(listPath, error));
        return 1;
    }
    entries.removeAll(vz::kPlaceholderEntry);
    for (const QString &name : args.mid(1)) {
        const QString path = folder + vz::kInstalledFolder + QLatin1Char('/') + name;
        QStringList lines;
        if (!vz::readDescriptorFile(path, &lines)) {
            fail(QStringLiteral("cannot read %1").arg(path));
            return 1;
        }
        const vz::DescriptorCheck check = vz::checkDescriptorLines(lines, vz::kProgramVersion);
        if (check.verdict != vz::DescriptorVerdict::Passed) {
            fail(QStringLiteral("%1 is not a descriptor this program installs").arg(path));
            return 1;
        }
        const qsizetype same = vz::findSameEnhancement(entries, check.entry);
        if (same >= 0)
            entries[same] = check.entry;
        else
            entries.append(check.entry);
    }
    if (!vz::writeEnhancementList(listPath, entries, &error)) {
        fail(QStringLiteral("cannot write %1: %2").arg(listPath, error));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const bool drawing = argc > 1 && qstrcmp(argv[1], "icons") == 0;
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Only drawing needs the GUI side (fonts for the icon's letters).
    std::unique_ptr<QCoreApplication> app(drawing ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    const QStringList args = app->arguments().mid(1);
    int code = 2;
    if (drawing)
        code = icons(args.mid(1));
    else if (!args.isEmpty() && args.first() == QLatin1String("enhancements"))
        code = enhancements(args.mid(1));
    if (code == 2)
        std::fputs("usage: vzinstall icons SVG OUTDIR SIZE...\n"
                   "       vzinstall enhancements FOLDER NAME.hmp...\n",
                   stderr);
    return code;
}
