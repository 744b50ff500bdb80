#include "Command.h"

#include "common/DataFiles.h"
#include "common/NameValueFile.h"
#include "common/ProgramFolder.h"
#include "common/VzError.h"
#include "imagesets/CatalogUpdate.h"
#include "imagesets/LetterThumbnail.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

using namespace vztool;

namespace {

QString escaped(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\n': out += QLatin1String("\\n"); break;
        default: out += c;
        }
    }
    return out;
}

int runDump(QStringList args)
{
    const bool sorted = args.removeAll(QStringLiteral("--sorted")) > 0;
    if (args.isEmpty()) {
        err(QStringLiteral("usage: vztool catalog dump FILE... [--sorted]"));
        return 2;
    }
    QFile first(args.first());
    if (!first.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("cannot read %1: %2").arg(args.first(), first.errorString()));
        return 1;
    }
    // The flavour is the one whose fields the first catalog declares.
    bool clipart = false;
    for (const vz::FieldDef &f : vz::storedFields(first.read(4096)))
        if (f.name.compare(QLatin1String("Set"), Qt::CaseInsensitive) == 0
            || f.name.compare(QLatin1String("Search"), Qt::CaseInsensitive) == 0)
            clipart = true;
    vz::ThumbnailTable table(clipart ? vz::CatalogFlavour::Clipart : vz::CatalogFlavour::Letters);
    try {
        table.loadCatalogFiles(args);
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    const int n = table.recordCount();
    for (int i = 0; i < n; ++i) {
        const int r = sorted ? table.recordAt(i) : i;
        const QImage thumb = table.thumbnailOfRecord(r);
        const QString size = thumb.isNull() ? QStringLiteral("-")
                                            : QStringLiteral("%1x%2").arg(thumb.width()).arg(thumb.height());
        auto field = [&](int f) { return f < 0 ? QString() : escaped(table.text(r, f)); };
        out(field(table.fileNameField()) + QLatin1Char('\t') + field(table.nameField()) + QLatin1Char('\t')
            + field(table.setField()) + QLatin1Char('\t') + field(table.searchField()) + QLatin1Char('\t') + size);
    }
    return 0;
}

int runLetters(const QStringList &args)
{
    if (args.size() != 1) {
        err(QStringLiteral("usage: vztool catalog letters FOLDER"));
        return 2;
    }
    vz::ThumbnailData table;
    try {
        vz::RebuildLetterCatalog(args.first(), table);
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    return 0;
}

// The catalog update of a program folder, every marker in one run.
int runUpdate(const QStringList &args)
{
    if (args.size() != 1) {
        err(QStringLiteral("usage: vztool catalog update FOLDER"));
        return 2;
    }
    if (!QFileInfo(args.first()).isDir()) {
        err(QStringLiteral("no such folder: %1").arg(args.first()));
        return 1;
    }
    vz::CatalogUpdateCallbacks callbacks;
    callbacks.rebuilt = [](const QString &folder) { out(QStringLiteral("rebuilt %1").arg(folder)); };
    callbacks.failed = [](const QString &folder, const QString &error) {
        QString text = error;
        err(QStringLiteral("failed %1: %2").arg(folder, text.replace(QLatin1Char('\n'), QLatin1String(": "))));
    };
    vz::ThumbnailData work;
    const vz::CatalogUpdateResult result = vz::runCatalogUpdate(vz::withTrailingSlash(args.first()), work, callbacks, {}, 0);
    return result.failed == 0 ? 0 : 1;
}

// Cuts at a character boundary, warning when something is lost.
QString fitText(const QString &value, int max, const QString &what, const QString &file)
{
    if (value.size() <= max)
        return value;
    err(QStringLiteral("warning: %1: %2 \"%3\" is longer than %4 characters; cut")
            .arg(file, what, value)
            .arg(max));
    return value.left(max);
}

// Joins lines with CR LF, keeping whole lines up to `max` characters.
QString fitLines(const QStringList &lines, int max)
{
    QString out;
    for (const QString &line : lines) {
        const QString next = out.isEmpty() ? line : out + QLatin1String("\r\n") + line;
        if (next.size() > max)
            break;
        out = next;
    }
    return out;
}

int runBuild(QStringList args)
{
    QString set, category, description;
    QString folder;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--set") && i + 1 < args.size())
            set = args[++i];
        else if (args[i] == QLatin1String("--category") && i + 1 < args.size())
            category = args[++i];
        else if (args[i] == QLatin1String("--description") && i + 1 < args.size())
            description = args[++i];
        else if (folder.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            folder = args[i];
        else {
            folder.clear();
            break;
        }
    }
    if (folder.isEmpty() || set.isEmpty()) {
        err(QStringLiteral("usage: vztool catalog build FOLDER --set NAME [--category TEXT] [--description TEXT]"));
        return 2;
    }
    // The values end up in entries whose fields are joined by "=".
    const QList<std::pair<const char *, QString>> values = {
        {"--set", set}, {"--category", category}, {"--description", description}};
    for (const auto &[option, value] : values) {
        if (value.contains(QLatin1Char('='))) {
            err(QStringLiteral("%1 must not contain \"=\": %2").arg(QLatin1String(option), value));
            return 2;
        }
    }
    if (category.isEmpty())
        category = set;
    // An empty description would leave the category entry ending in "=".
    if (description.isEmpty())
        description = category;
    folder = vz::withTrailingSlash(folder);
    QDir dir(folder);
    if (!dir.exists()) {
        err(QStringLiteral("no such folder: %1").arg(folder));
        return 1;
    }
    static const QStringList kinds = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                      QStringLiteral("gif"), QStringLiteral("wmf")};
    QStringList images;
    for (const QString &name : dir.entryList(QDir::Files))
        if (std::any_of(kinds.begin(), kinds.end(), [&](const QString &k) { return vz::hasDataExtension(name, k); }))
            images.append(name);
    std::stable_sort(images.begin(), images.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });

    const QList<vz::FieldDef> fields = vz::catalogFields(vz::CatalogFlavour::Clipart);
    const QString setName = fitText(set, fields[3].maxLength(), QStringLiteral("set name"), folder);
    // An existing "IMAGES.CATALOG" is replaced rather than joined by a second one.
    const QString catalog = vz::imagesCatalogPath(folder);
    vz::ThumbnailDataClip table;
    for (const QString &file : images) {
        const QString base = QFileInfo(file).completeBaseName();
        QImage thumb;
        try {
            thumb = vz::MakeLetterThumbnail(folder + file);
        } catch (const vz::VzError &e) {
            err(QStringLiteral("warning: %1: skipped (%2)").arg(file, e.message()));
            continue;
        }
        QString display = base;
        display.replace(QLatin1Char('_'), QLatin1Char(' ')).replace(QLatin1Char('-'), QLatin1Char(' '));
        QStringList words;
        for (const QString &w : base.toLower().split(QRegularExpression(QStringLiteral("[\\s_\\-.]+")),
                                                     Qt::SkipEmptyParts))
            words.append(w);
        QFile side(folder + base + QStringLiteral(".txt"));
        if (side.open(QIODevice::ReadOnly))
            for (const QString &line : vz::NameValueFile::splitLines(vz::NameValueFile::decode(side.readAll())))
                if (!line.isEmpty())
                    words.append(line);
        table.appendThumbnail(fitText(display, fields[0].maxLength(), QStringLiteral("name"), file),
                              fitText(file, fields[1].maxLength(), QStringLiteral("file name"), file),
                              vz::bmp24Bytes(thumb), setName, fitLines(words, fields[4].maxLength()));
    }
    try {
        table.saveToFile(catalog);
        const QStringList files = dir.entryList(QDir::Files);
        if (std::none_of(files.begin(), files.end(),
                         [](const QString &f) { return vz::hasDataExtension(f, QStringLiteral("qn")); })) {
            const QString text =
                QStringLiteral("Name=%1\r\nDescription=%2\r\nSet=%3\r\n").arg(category, description, setName);
            QFile qn(folder + set + QStringLiteral(".qn"));
            if (!qn.open(QIODevice::WriteOnly) || qn.write(text.toUtf8()) < 0)
                throw vz::FileError(QStringLiteral("Cannot create file \"%1\".").arg(qn.fileName()));
        }
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    out(QStringLiteral("%1: %2 records").arg(catalog).arg(table.recordCount()));
    return 0;
}

int runCatalog(const QStringList &args)
{
    const QString sub = args.value(0);
    if (sub == QLatin1String("dump"))
        return runDump(args.mid(1));
    if (sub == QLatin1String("letters"))
        return runLetters(args.mid(1));
    if (sub == QLatin1String("build"))
        return runBuild(args.mid(1));
    if (sub == QLatin1String("update"))
        return runUpdate(args.mid(1));
    err(QStringLiteral("usage: vztool catalog dump|letters|build|update ..."));
    return 2;
}

Registration reg({QStringLiteral("catalog"),
                  QStringLiteral("catalog dump FILE... [--sorted] | catalog letters FOLDER | "
                                 "catalog build FOLDER --set NAME [--category TEXT] [--description TEXT] | "
                                 "catalog update FOLDER"),
                  QStringLiteral("print joined catalogs as TAB-separated lines; rebuild a letter catalog from "
                                 "JPEGs; write a clip-art catalog for a folder of images; rebuild every marked alphabet of a program folder"),
                  runCatalog});

} // namespace
