#include "lettering/WordRenderer.h"

#include "common/Rounding.h"
#include "common/VzError.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/Letters.h"
#include "imaging/ImageLoader.h"
#include "imaging/RasterFile.h"
#include "metafile/WmfGenerator.h"
#include "platform/SystemClipboard.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace vz {

namespace {

// The letters a typed text draws, in order.
QList<const Picture *> drawnLetters(const QString &text, CharacterMap &map)
{
    QList<const Picture *> out;
    for (QChar c : text) {
        if (c.unicode() > 255)
            continue;
        TCompleteLetter *letter = map.letter(CharacterMap::codeText(uchar(c.unicode())));
        if (!letter)
            continue;
        if (const Picture *pic = LetterPicture(*letter))
            out.append(pic);
    }
    return out;
}

// A composition entry as a bitmap. A metafile letter is drawn at its own
// size in pixels on white, so compositions work alike with every alphabet.
QImage loadEntry(const QString &path)
{
    const Picture::Kind kind = Picture::kindForExtension(QFileInfo(path).suffix());
    if (kind == Picture::Kind::Metafile || kind == Picture::Kind::EnhancedMetafile)
        return Picture::fromFile(path).render();
    QImage img;
    LoadImageAsBitmap(path, img);
    if (img.isNull())
        throw FileError(QStringLiteral("Cannot load the picture \"%1\".").arg(path));
    return img;
}

QImage whiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// The screen is the reference device of metafile words.
int screenResolution()
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (const QScreen *s = app->primaryScreen())
            return qRound(s->logicalDotsPerInch());
    return 96;
}

bool folderExists(const QString &fileName)
{
    return !fileName.isEmpty() && QFileInfo(QFileInfo(fileName).absolutePath()).isDir();
}

// A 24-bit BMP, or PNG for a ".png" name; written beside the name and
// renamed, so a failed write keeps the file that was there.
void writeBmp(const QImage &img, const QString &fileName)
{
    if (!folderExists(fileName) || img.isNull())
        return;
    writeBitmapFile(fileName, img);
}

} // namespace

bool typedWordDraws(const QString &text, CharacterMap &map)
{
    const QList<const Picture *> letters = drawnLetters(text, map);
    return std::any_of(letters.cbegin(), letters.cend(),
                       [](const Picture *l) { return l->width() > 0 && l->height() > 0; });
}

QImage renderTypedWordBitmap(const QString &text, CharacterMap &map)
{
    const QList<const Picture *> letters = drawnLetters(text, map);
    int w = 0, h = 0;
    for (const Picture *l : letters) {
        w += l->width();
        h = std::max(h, l->height());
    }
    if (w == 0 || h == 0)
        return QImage();
    QImage out = whiteImage(w, h);
    QPainter p(&out);
    int x = 0;
    for (const Picture *l : letters) {
        l->draw(p, QRectF(x, 0, l->width(), l->height()));
        x += l->width();
    }
    return out;
}

Picture renderTypedWordMetafile(const QString &text, CharacterMap &map, int screenDpi)
{
    const QList<const Picture *> letters = drawnLetters(text, map);
    // Physical sizes in hundredths of a millimetre, starting from 1 x 1.
    qint64 physW = 1, physH = 1;
    for (const Picture *l : letters) {
        physW += l->physicalSize().width();
        physH = std::max<qint64>(physH, l->physicalSize().height());
    }
    physW *= 8;
    physH *= 8;
    const int pxW = std::max(1, roundHalfEven(double(physW) * screenDpi / 2540.0));
    const int pxH = std::max(1, roundHalfEven(double(physH) * screenDpi / 2540.0));
    mf::WmfGenerator generator;
    generator.setResolution(screenDpi);
    generator.setSize(QSize(pxW, pxH));
    {
        QPainter p(&generator);
        int x = 0;
        for (const Picture *l : letters) {
            l->draw(p, QRectF(x, 0, 8 * l->width(), 8 * l->height()));
            x += 8 * l->width();
        }
    }
    Picture word = Picture::fromBytes(generator.data(), Picture::Kind::Metafile);
    word.setSize(QSize(pxW / 16, pxH / 16));
    return word;
}

QImage renderCompositionBitmap(const QStringList &entries, int lineSpace)
{
    // Measuring: H height, W width, M tallest letter so far, L current line.
    int H = 0, W = 0, M = 0, L = 0;
    for (const QString &e : entries) {
        if (e == kNewLine) {
            H = H + M - 30 + lineSpace;
            L = 0;
            continue;
        }
        const QImage img = loadEntry(e);
        H = std::max(H, img.height());
        L += img.width();
        if (L > W - 10)
            W += img.width();
        M = std::max(M, img.height());
    }
    if (W <= 0 || H <= 0)
        return QImage();
    QImage out = whiteImage(W, H);
    QPainter p(&out);
    int x = 0, y = 0, P = 0;
    for (const QString &e : entries) {
        if (e == kNewLine) {
            y = y + P - 30 + lineSpace;
            x = 0;
            continue;
        }
        const QImage img = loadEntry(e);
        p.drawImage(x, y, img);
        x += img.width();
        P = img.height();
    }
    return out;
}

QImage DrawWordPreview(const QString &text, CharacterMap &map, int height)
{
    if (text.isEmpty() || height <= 0)
        return QImage();
    struct Placed { const Picture *pic; int width; };
    QList<Placed> placed;
    int total = 0;
    for (const Picture *l : drawnLetters(text, map)) {
        if (l->height() == 0)
            continue;
        const double factor = double(height) / double(l->height());
        const int w = roundHalfEven(l->width() * factor);
        placed.append({l, w});
        total += w;
    }
    if (total <= 0)
        return QImage();
    QImage out = whiteImage(total, height);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    int x = 0;
    for (const Placed &pl : placed) {
        pl.pic->draw(p, QRectF(x, 0, pl.width, height));
        x += pl.width;
    }
    return out;
}

void RenderTypedWord(const QString &text, CharacterMap &map, WordKind kind, bool copyToClipboard, const QString &fileName)
{
    if (kind == WordKind::Metafile) {
        // An empty metafile would still be a file that claims a word.
        if (!typedWordDraws(text, map))
            return;
        const Picture word = renderTypedWordMetafile(text, map, screenResolution());
        if (copyToClipboard)
            SystemClipboard::putPicture(word);
        if (folderExists(fileName))
            word.saveToFile(fileName);
        return;
    }
    const QImage word = renderTypedWordBitmap(text, map);
    writeBmp(word, fileName);
    if (copyToClipboard && !word.isNull())
        SystemClipboard::putBitmap(word);
}

QImage RenderComposition(const QStringList &entries, int lineSpace, bool copyToClipboard, const QString &fileName)
{
    const QImage picture = renderCompositionBitmap(entries, lineSpace);
    writeBmp(picture, fileName);
    if (copyToClipboard && !picture.isNull())
        SystemClipboard::putBitmap(picture);
    return picture;
}

} // namespace vz
