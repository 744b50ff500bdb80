#include "SvgArt.h"

#include <QColor>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <algorithm>
#include <memory>

namespace datagen {

namespace {

// Elements that Qt Svg (6.4) ignores or draws differently from the author's intent.
const QSet<QString> &unsupportedElements()
{
    static const QSet<QString> names{QStringLiteral("filter"),   QStringLiteral("mask"),
                                     QStringLiteral("clipPath"), QStringLiteral("pattern"),
                                     QStringLiteral("flowRoot"), QStringLiteral("image"),
                                     QStringLiteral("marker"),
                                     QStringLiteral("textPath")};
    return names;
}

// Words that say nothing about a picture.
const QSet<QString> &fillerWords()
{
    static const QSet<QString> words{
        QStringLiteral("a"),       QStringLiteral("an"),      QStringLiteral("the"),     QStringLiteral("of"),
        QStringLiteral("and"),     QStringLiteral("or"),      QStringLiteral("in"),      QStringLiteral("on"),
        QStringLiteral("with"),    QStringLiteral("for"),     QStringLiteral("to"),      QStringLiteral("at"),
        QStringLiteral("by"),      QStringLiteral("from"),    QStringLiteral("is"),      QStringLiteral("it"),
        QStringLiteral("svg"),     QStringLiteral("png"),     QStringLiteral("clip"),    QStringLiteral("art"),
        QStringLiteral("clipart"), QStringLiteral("image"),   QStringLiteral("picture"), QStringLiteral("public"),
        QStringLiteral("domain"),  QStringLiteral("inkscape"), QStringLiteral("openclipart"),
        QStringLiteral("remix"),   QStringLiteral("media"),   QStringLiteral("drawing"), QStringLiteral("vector"),
        QStringLiteral("created"), QStringLiteral("untitled"), QStringLiteral("new"),    QStringLiteral("color"),
        QStringLiteral("colour"),  QStringLiteral("hash"),    QStringLiteral("version"), QStringLiteral("copy"),
        QStringLiteral("ocal"),    QStringLiteral("sodipodi"), QStringLiteral("illustration"),
        QStringLiteral("icon"),    QStringLiteral("symbol"),  QStringLiteral("sign"),    QStringLiteral("signs"),
        QStringLiteral("symbols"), QStringLiteral("externalsource"), QStringLiteral("jpg"),
        QStringLiteral("scan"),    QStringLiteral("nice"),    QStringLiteral("simple"),  QStringLiteral("small"),
        QStringLiteral("big"),     QStringLiteral("style"),   QStringLiteral("outline"), QStringLiteral("line"),
        QStringLiteral("lineart"), QStringLiteral("cartoon"), QStringLiteral("etc"),     QStringLiteral("misc"),
        QStringLiteral("unsorted"), QStringLiteral("other"),  QStringLiteral("stuff"),   QStringLiteral("thing"), QStringLiteral("di"),
        QStringLiteral("del"),     QStringLiteral("la"),      QStringLiteral("le")};
    return words;
}

QStringList wordsOf(const QString &text)
{
    static const QRegularExpression nonLetters(QStringLiteral("[^A-Za-z]+"));
    QStringList out;
    for (const QString &w : text.split(nonLetters, Qt::SkipEmptyParts))
        out << w.toLower();
    return out;
}

// Open Clip Art file names end in the author's name, often cut short.
bool isAuthorWord(const QString &word, const QSet<QString> &authorWords)
{
    if (authorWords.contains(word))
        return true;
    if (word.size() < 2)
        return false;
    return std::any_of(authorWords.begin(), authorWords.end(),
                       [&](const QString &a) { return a.size() > word.size() && a.startsWith(word); });
}

QSet<QString> authorWordsOf(const SvgInfo &info)
{
    // Uploaders whose names the library's files carry in their keywords and
    // file names but not always in their metadata.
    QSet<QString> words{QStringLiteral("ganson"), QStringLiteral("architetto"), QStringLiteral("francesco"),
                        QStringLiteral("rollandin"), QStringLiteral("buculei"), QStringLiteral("nicu")};
    for (const QString &a : info.authors)
        for (const QString &w : wordsOf(a))
            if (w.size() > 1)
                words.insert(w);
    return words;
}

bool meaningfulTitle(const QString &t)
{
    if (t.isEmpty() || t.startsWith(QLatin1String("HASH(")) || t.contains(QLatin1String("Created with"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("Clipart by"), Qt::CaseInsensitive))
        return false;
    static const QRegularExpression noLetters(QStringLiteral("^[^A-Za-z]*$"));
    if (noLetters.match(t).hasMatch())
        return false;
    const QString l = t.toLower();
    return l != QLatin1String("untitled") && !l.startsWith(QLatin1String("untitled ")) && !l.endsWith(QLatin1String(".svg"));
}

QString capitalised(QString s)
{
    if (!s.isEmpty())
        s[0] = s[0].toUpper();
    return s;
}

int luma(int r, int g, int b)
{
    return (r * 299 + g * 587 + b * 114 + 500) / 1000;
}

QString greyHex(const QColor &c)
{
    const int y = luma(c.red(), c.green(), c.blue());
    return QStringLiteral("#%1%1%1").arg(y, 2, 16, QLatin1Char('0'));
}

} // namespace

SvgInfo readSvgInfo(const QByteArray &svg)
{
    SvgInfo info;
    QXmlStreamReader xml(svg);
    QStringList stack;
    QString text;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = xml.name().toString();
            if (info.unsupported.isEmpty() && unsupportedElements().contains(name))
                info.unsupported = name;
            stack << name;
            text.clear();
        } else if (token == QXmlStreamReader::Characters) {
            text += xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            const QString name = stack.isEmpty() ? QString() : stack.takeLast();
            const QString parent = stack.isEmpty() ? QString() : stack.last();
            const QString value = text.simplified();
            if (name == QLatin1String("title") && parent == QLatin1String("Work") && info.title.isEmpty())
                info.title = value;
            else if (name == QLatin1String("li") && stack.contains(QLatin1String("subject")) && !value.isEmpty())
                info.keywords << value;
            else if (name == QLatin1String("title") && parent == QLatin1String("Agent") && stack.size() >= 2
                     && stack.at(stack.size() - 2) == QLatin1String("creator") && !value.isEmpty())
                info.authors << value;
            text.clear();
        }
    }
    return info;
}

QStringList fileNameWords(const QString &baseName)
{
    QString stem = baseName;
    const int dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        stem.truncate(dot);
    QStringList out;
    for (const QString &w : wordsOf(stem))
        if (w.size() > 1)
            out << w;
    return out;
}

QString pictureName(const SvgInfo &info, const QString &baseName, int maxLength)
{
    QString name;
    if (meaningfulTitle(info.title)) {
        name = info.title;
    } else {
        const QSet<QString> authors = authorWordsOf(info);
        QStringList words;
        const QStringList all = fileNameWords(baseName);
        for (int i = 0; i < all.size(); ++i)
            if (i == 0 || !isAuthorWord(all.at(i), authors))
                words << all.at(i);
        name = words.join(QLatin1Char(' '));
    }
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    name = capitalised(name.simplified());
    // "=" separates fields of entries elsewhere; keep names plain.
    name.replace(QLatin1Char('='), QLatin1Char('-'));
    if (name.size() > maxLength)
        name = name.left(maxLength).trimmed();
    return name;
}

QString searchWords(const SvgInfo &info, const QString &baseName, int maxLength)
{
    const QSet<QString> authors = authorWordsOf(info);
    QStringList words;
    QSet<QString> seen;
    auto add = [&](const QString &w, bool fromFileName) {
        if (w.size() < 2 || fillerWords().contains(w) || seen.contains(w))
            return;
        if (authors.contains(w) || (fromFileName && isAuthorWord(w, authors)))
            return;
        seen.insert(w);
        words << w;
    };
    for (const QString &k : info.keywords)
        for (const QString &w : wordsOf(k))
            add(w, false);
    const QStringList fileWords = fileNameWords(baseName);
    for (int i = 0; i < fileWords.size(); ++i) {
        // The first word of a file name is the subject, never an author.
        if (i == 0 && !seen.contains(fileWords.at(0)) && !fillerWords().contains(fileWords.at(0))
            && fileWords.at(0).size() > 1) {
            seen.insert(fileWords.at(0));
            words << fileWords.at(0);
            continue;
        }
        add(fileWords.at(i), true);
    }
    QString out;
    for (const QString &w : words) {
        const QString next = out.isEmpty() ? w : out + QStringLiteral("\r\n") + w;
        if (next.size() > maxLength)
            break;
        out = next;
    }
    return out;
}

bool usesTranslucency(const QByteArray &svg)
{
    static const QRegularExpression opacity(QStringLiteral("(?<![A-Za-z:])(?:fill-|stroke-|stop-)?opacity\\s*[:=]\\s*[\"']?\\s*(\\d*\\.?\\d+)"));
    auto it = opacity.globalMatch(QString::fromUtf8(svg));
    while (it.hasNext())
        if (it.next().captured(1).toDouble() < 0.999)
            return true;
    return false;
}

QByteArray greySvg(const QByteArray &svg)
{
    QString text = QString::fromUtf8(svg);
    // Hex colours, but not references such as url(#face01) or href="#abc".
    static const QRegularExpression hex(
        QStringLiteral("(?<!url\\()(?<!href=\")(?<!href=')#([0-9a-fA-F]{6}|[0-9a-fA-F]{3})(?![0-9A-Za-z_.-])"));
    static const QRegularExpression rgb(QStringLiteral("rgb\\(\\s*(\\d+)%?\\s*,\\s*(\\d+)%?\\s*,\\s*(\\d+)%?\\s*\\)"));
    static const QRegularExpression named(
        QStringLiteral("((?:fill|stroke|stop-color|flood-color|color)\\s*(?::|=\\s*\"|=\\s*')\\s*)([A-Za-z]+)"));
    QString out;
    out.reserve(text.size());
    auto replaceAll = [](const QString &in, const QRegularExpression &re, auto &&fn) {
        QString result;
        result.reserve(in.size());
        qsizetype last = 0;
        auto it = re.globalMatch(in);
        while (it.hasNext()) {
            const auto m = it.next();
            result += QStringView(in).mid(last, m.capturedStart() - last);
            result += fn(m);
            last = m.capturedEnd();
        }
        result += QStringView(in).mid(last);
        return result;
    };
    text = replaceAll(text, hex, [](const QRegularExpressionMatch &m) {
        return greyHex(QColor(QLatin1Char('#') + m.captured(1)));
    });
    text = replaceAll(text, rgb, [](const QRegularExpressionMatch &m) {
        return greyHex(QColor(qBound(0, m.captured(1).toInt(), 255), qBound(0, m.captured(2).toInt(), 255),
                              qBound(0, m.captured(3).toInt(), 255)));
    });
    text = replaceAll(text, named, [](const QRegularExpressionMatch &m) {
        const QString value = m.captured(2);
        const QColor c = QColor::fromString(value);
        if (!c.isValid() || value.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
            return m.captured(0);
        return m.captured(1) + greyHex(c);
    });
    return text.toUtf8();
}

bool SvgPicture::load(const QByteArray &svg, QString *reason)
{
    m_svg = svg;
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        *reason = QStringLiteral("unreadable");
        return false;
    }
    QRectF full = renderer.viewBoxF();
    if (full.isEmpty())
        full = QRectF(QPointF(0, 0), QSizeF(renderer.defaultSize()));
    if (full.isEmpty() || full.width() > 1e6 || full.height() > 1e6) {
        *reason = QStringLiteral("no size");
        return false;
    }
    // Find the drawing's extent on a transparent probe, then crop to it, since
    // many pictures sit small on a whole page.
    const int probe = 400;
    const double scale = probe / std::max(full.width(), full.height());
    const int pw = std::max(1, int(full.width() * scale + 0.5));
    const int ph = std::max(1, int(full.height() * scale + 0.5));
    QImage img(pw, ph, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.setViewBox(full);
        renderer.render(&p, QRectF(0, 0, pw, ph));
    }
    int left = pw, right = -1, top = ph, bottom = -1;
    qint64 inked = 0;
    for (int y = 0; y < ph; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < pw; ++x) {
            if (qAlpha(line[x]) < 16)
                continue;
            // White on white shows nothing either.
            if (qRed(line[x]) > 245 && qGreen(line[x]) > 245 && qBlue(line[x]) > 245)
                continue;
            ++inked;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0 || inked < 200 || right - left < 8 || bottom - top < 8) {
        *reason = QStringLiteral("blank");
        return false;
    }
    const double margin = 0.02 * std::max(right - left + 1, bottom - top + 1) + 1;
    QRectF crop(left - margin, top - margin, right - left + 1 + 2 * margin, bottom - top + 1 + 2 * margin);
    crop &= QRectF(0, 0, pw, ph);
    m_box = QRectF(full.x() + crop.x() / scale, full.y() + crop.y() / scale, crop.width() / scale,
                   crop.height() / scale);
    return true;
}

QSize SvgPicture::sizeForLongSide(int longSide) const
{
    if (m_box.width() >= m_box.height())
        return QSize(longSide, std::max(1, int(longSide * m_box.height() / m_box.width() + 0.5)));
    return QSize(std::max(1, int(longSide * m_box.width() / m_box.height() + 0.5)), longSide);
}

QImage SvgPicture::render(int longSide) const
{
    const QSize size = sizeForLongSide(longSide);
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    renderTo(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

void SvgPicture::renderTo(QPainter *painter, const QRectF &target) const
{
    QSvgRenderer renderer(m_svg);
    renderer.setViewBox(m_box);
    renderer.render(painter, target);
}

SvgPicture SvgPicture::withSource(const QByteArray &svg) const
{
    SvgPicture p = *this;
    p.m_svg = svg;
    return p;
}

namespace {
thread_local SvgWarnings *t_warnings = nullptr;
QtMessageHandler g_previous = nullptr;

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (t_warnings && context.category && qstrcmp(context.category, "qt.svg") == 0) {
        t_warnings->add(message);
        return;
    }
    if (g_previous)
        g_previous(type, context, message);
}
} // namespace

SvgWarnings::SvgWarnings()
    : m_outer(t_warnings)
{
    t_warnings = this;
}

SvgWarnings::~SvgWarnings()
{
    t_warnings = m_outer;
}

void SvgWarnings::install()
{
    g_previous = qInstallMessageHandler(handler);
}

QImage toGrey(const QImage &image)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int v = luma(qRed(line[x]), qGreen(line[x]), qBlue(line[x]));
            line[x] = qRgb(v, v, v);
        }
    }
    return out;
}

} // namespace datagen
