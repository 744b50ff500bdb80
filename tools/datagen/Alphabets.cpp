#include "Alphabets.h"

#include "GifWriter.h"
#include "LetterArt.h"
#include "Lists.h"
#include "Writers.h"

#include "common/NameValueFile.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>

namespace datagen {

namespace {

QString charsOf(const QString &set)
{
    QString out;
    for (char c = 'A'; c <= 'Z'; ++c)
        out += QLatin1Char(c);
    if (set == QLatin1String("caps"))
        return out;
    if (set == QLatin1String("all")) {
        out.clear();
        for (int c = 33; c <= 126; ++c)
            out += QChar(c);
        return out;
    }
    for (char c = 'a'; c <= 'z'; ++c)
        out += QLatin1Char(c);
    if (set == QLatin1String("letters"))
        return out;
    for (char c = '0'; c <= '9'; ++c)
        out += QLatin1Char(c);
    if (set == QLatin1String("basic"))
        out += QStringLiteral(".,!?'&-");
    return out;
}

QList<QColor> coloursOf(const QString &text)
{
    QList<QColor> out;
    for (const QString &c : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out << QColor::fromString(c.trimmed());
    return out;
}

LetterStyle styleOf(const Block &b)
{
    LetterStyle s;
    s.look = b.value(QStringLiteral("look"), QStringLiteral("solid"));
    s.colours = coloursOf(b.value(QStringLiteral("colours")));
    s.outline = QColor::fromString(b.value(QStringLiteral("outline")));
    s.outlineWidth = b.value(QStringLiteral("outlinewidth"), QStringLiteral("0")).toDouble();
    s.shadow = QColor::fromString(b.value(QStringLiteral("shadow")));
    s.shadowOffset = b.value(QStringLiteral("shadowoffset"), QStringLiteral("0")).toInt();
    s.pattern = b.value(QStringLiteral("pattern"));
    return s;
}

QByteArray encodeRaster(const QImage &img, const QString &format)
{
    if (format == QLatin1String("gif"))
        return encodeGif(img);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (format == QLatin1String("jpg")) {
        QImageWriter w(&buf, "JPEG");
        w.setQuality(92);
        w.write(img);
    } else {
        img.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP");
    }
    return bytes;
}

// Character -> its name in the "characters" file (first line wins).
QMap<QChar, QString> characterNames(const QString &charactersFile)
{
    vz::NameValueFile file;
    QMap<QChar, QString> names;
    if (!file.load(charactersFile))
        return names;
    for (const QString &line : file.lines()) {
        const QString name = vz::NameValueFile::nameOf(line);
        const QString value = file.value(name);
        if (name.isEmpty() || value.isEmpty() || names.contains(value.at(0)))
            continue;
        names.insert(value.at(0), name);
    }
    return names;
}

} // namespace

QString letterFileName(const QString &prefix, const QString &letterName, const QString &format)
{
    // Mix & Match's space takes the letter that sorts last by file name, so the
    // space letter's free part before the "_" is made to sort after the prefix.
    if (letterName == QLatin1String("SPACE"))
        return prefix + QStringLiteral("Space_SPACE.") + format;
    return prefix + QLatin1Char('_') + letterName + QLatin1Char('.') + format;
}

bool generateAlphabets(const QString &outRoot, const QString &fontsRoot, const QString &charactersFile,
                       const QString &listFile, QTextStream &log, AlphabetSummary *summary)
{
    const QMap<QChar, QString> names = characterNames(charactersFile);
    if (names.isEmpty()) {
        log << "cannot read the character names in " << charactersFile << '\n';
        return false;
    }
    const QList<Block> blocks = readBlocks(listFile);
    for (const Block &b : blocks) {
        const QString folder = outRoot + QStringLiteral("Alphabets/Color/") + b.value(QStringLiteral("folder")) + QLatin1Char('/');
        const QString prefix = b.value(QStringLiteral("prefix"));
        const QString format = b.value(QStringLiteral("format"));
        const int height = b.value(QStringLiteral("height")).toInt();
        const LetterStyle style = styleOf(b);
        const bool vector = format == QLatin1String("wmf");
        LetterFont font;
        if (!font.load(fontsRoot + b.value(QStringLiteral("font")), height, style)) {
            log << "cannot load font " << b.value(QStringLiteral("font")) << '\n';
            return false;
        }
        if (!freshFolder(folder)) {
            log << "cannot make " << folder << '\n';
            return false;
        }
        QString chars = charsOf(b.value(QStringLiteral("chars")));
        if (b.value(QStringLiteral("space")) == QLatin1String("yes"))
            chars += QLatin1Char(' ');
        int index = 0;
        QStringList made;
        for (const QChar c : chars) {
            const bool space = c == QLatin1Char(' ');
            if (!space && (!names.contains(c) || !font.hasGlyph(c))) {
                log << "  " << prefix << ": no letter for '" << c << "'\n";
                continue;
            }
            LetterShape shape = font.shape(c, index++);
            if (space)
                shape.width = std::max(shape.width, height / 3);
            const QString file = letterFileName(prefix, space ? QStringLiteral("SPACE") : names.value(c), format);
            QByteArray bytes;
            if (vector) {
                bytes = makeWmf(QSize(shape.width, height),
                                [&](QPainter &p) { paintLetter(p, shape, height, style, true); });
            } else {
                QImage img(shape.width, height, QImage::Format_RGB32);
                img.fill(Qt::white);
                {
                    QPainter p(&img);
                    paintLetter(p, shape, height, style, false);
                }
                bytes = encodeRaster(img, format);
            }
            if (bytes.isEmpty() || !writeBytes(folder + file, bytes)) {
                log << "cannot write " << folder << file << '\n';
                return false;
            }
            made << file;
        }
        const bool isFont = b.value(QStringLiteral("type")) == QLatin1String("Font");
        QStringList qn{QStringLiteral("Version=2"), QStringLiteral("Name=") + b.value(QStringLiteral("name")),
                       QStringLiteral("Type=") + b.value(QStringLiteral("type"))};
        if (isFont)
            qn << QStringLiteral("Baser=") + b.value(QStringLiteral("baser"));
        qn << QStringLiteral("Description=") + b.value(QStringLiteral("description"))
           << QStringLiteral("Fill=") + b.value(QStringLiteral("fill"), QStringLiteral("0"));
        if (isFont)
            qn << QStringLiteral("Month=") + b.value(QStringLiteral("month"));
        qn << QStringLiteral("Cover=") + letterFileName(prefix, QStringLiteral("A"), format);
        if (!writeTextFile(folder + QStringLiteral("ImageSetData.qn"), qn))
            return false;

        // The catalog lists the letters in the order the program sorts them.
        std::sort(made.begin(), made.end(),
                  [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QList<LetterRecord> records;
        for (const QString &file : made)
            records << LetterRecord{file, makeThumbnail(folder + file)};
        writeLetterCatalog(folder + QStringLiteral("Images.catalog"), records);
        log << "  " << b.value(QStringLiteral("name")) << ": " << made.size() << " letters, " << format << ", "
            << height << " px\n";
        ++summary->alphabets;
        summary->letters += made.size();
    }
    return true;
}

} // namespace datagen
