#include "lettering/WordRenderer.h"

#include "common/Rounding.h"
#include "common/VzError.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/Letters.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace vz {

namespace {

// The letters a typed text draws, in order.
QList<const QImage *> drawnLetters(const QString &text, CharacterMap &map)
{
    QList<const QImage *> out;
    for (QChar c : text) {
        if (c.unicode() > 255)
            continue;
        TCompleteLetter *letter = map.letter(CharacterMap::codeText(uchar(c.unicode())));
        if (!letter)
            continue;
        if (const QImage *img = LetterPicture(*letter))
            out.append(img);
    }
    return out;
}

// A composition entry as a bitmap.
QImage loadEntry(const QString &path)
{
    QImageReader reader(path);
    QImage img = reader.read();
    if (img.isNull())
        throw FileError(QStringLiteral("Cannot load the picture \"%1\": %2").arg(path, reader.errorString()));
    return img;
}

QImage whiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

bool folderExists(const QString &fileName)
{
    return !fileName.isEmpty() && QFileInfo(QFileInfo(fileName).absolutePath()).isDir();
}

void writeBmp(const QImage &img, const QString &fileName)
{
    if (!folderExists(fileName) || img.isNull())
        return;
    if (!img.convertToFormat(QImage::Format_RGB888).save(fileName, "BMP"))
        throw FileError(QStringLiteral("Cannot create file \"%1\".").arg(fileName));
}

} // namespace

QImage renderTypedWordBitmap(const QString &text, CharacterMap &map)
{
    const QList<const QImage *> letters = drawnLetters(text, map);
    int w = 0, h = 0;
    for (const QImage *l : letters) {
        w += l->width();
        h = std::max(h, l->height());
    }
    if (w == 0 || h == 0)
        return QImage();
    QImage out = whiteImage(w, h);
    QPainter p(&out);
    int x = 0;
    for (const QImage *l : letters) {
        p.drawImage(x, 0, *l);
        x += l->width();
    }
    return out;
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
    struct Placed { const QImage *img; int width; };
    QList<Placed> placed;
    int total = 0;
    for (const QImage *l : drawnLetters(text, map)) {
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
        p.drawImage(QRect(x, 0, pl.width, height), *pl.img);
        x += pl.width;
    }
    return out;
}

void RenderTypedWord(const QString &text, CharacterMap &map, WordKind kind, bool copyToClipboard, const QString &fileName)
{
    Q_UNUSED(kind);
    const QImage word = renderTypedWordBitmap(text, map);
    writeBmp(word, fileName);
    if (copyToClipboard && !word.isNull())
        QGuiApplication::clipboard()->setImage(word);
}

QImage RenderComposition(const QStringList &entries, int lineSpace, bool copyToClipboard, const QString &fileName)
{
    const QImage picture = renderCompositionBitmap(entries, lineSpace);
    writeBmp(picture, fileName);
    if (copyToClipboard && !picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
    return picture;
}

} // namespace vz
