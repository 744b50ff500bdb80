#include "clipboards/ToteBags.h"

#include "common/Palette.h"
#include "common/VzError.h"

#include <array>

namespace vz {

namespace {
std::array<TToteBageImage, 4> &bags()
{
    static std::array<TToteBageImage, 4> all;
    return all;
}
bool g_copiedImageShown = false;
} // namespace

TToteBageImage &toteBag(int number)
{
    if (number < 1 || number > 4)
        throw VzError(QStringLiteral("There is no clipboard %1.").arg(number));
    return bags()[size_t(number - 1)];
}

void clearAllToteBags()
{
    for (TToteBageImage &bag : bags())
        bag.clear();
    g_copiedImageShown = false;
}

QString toteBagLabel(int number)
{
    switch (number) {
    case kAlphaClip: return QStringLiteral("Alphabets");
    case kClipartClip: return QStringLiteral("Clipart");
    case kMixClip: return QStringLiteral("Mix & Match");
    case kWindowsClip: return QStringLiteral("Windows");
    default: return {};
    }
}

QColor toteBagColour(int number)
{
    switch (number) {
    case kAlphaClip: return palette::frameAlphabets;
    case kClipartClip: return palette::frameClipart;
    case kMixClip: return palette::frameMixMatch;
    case kWindowsClip: return palette::frameWindows;
    default: return {};
    }
}

void setBitmapWidth(Picture &picture, int width)
{
    if (picture.kind() != Picture::Kind::Bitmap || width <= 0 || width == picture.width())
        return;
    const QImage old = picture.image().convertToFormat(QImage::Format_RGB32);
    QImage out(width, old.height(), QImage::Format_RGB32);
    out.fill(Qt::white);
    const size_t keep = size_t(qMin(width, old.width())) * sizeof(QRgb);
    for (int y = 0; y < out.height(); ++y)
        memcpy(out.scanLine(y), old.constScanLine(y), keep);
    picture = Picture::fromImage(out);
}

bool copiedImageShown() { return g_copiedImageShown; }
void setCopiedImageShown(bool shown) { g_copiedImageShown = shown; }

int CurrentClipboardKind(const QString &mainPage, const QString &lowerPage)
{
    if (mainPage == QLatin1String("VZAlphabet"))
        return lowerPage == QLatin1String("Alpha") ? 1 : 3;
    if (mainPage == QLatin1String("VZClipart"))
        return 2;
    if (mainPage == QLatin1String("VZPlugins"))
        return 4;
    if (mainPage == QLatin1String("VZFlash"))
        return 5;
    return 0;
}

} // namespace vz
