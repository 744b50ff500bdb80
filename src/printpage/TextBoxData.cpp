#include "printpage/TextBoxData.h"

#include "common/Rounding.h"

#include <algorithm>

namespace vz {

namespace {

// Windows' classic default scheme, indexed by COLOR_*; as 0xRRGGBB.
constexpr std::array<quint32, kSystemColorCount> kSystemDefaults = {
    0xC0C0C0, // scroll bar
    0x008080, // background (desktop)
    0x000080, // active caption
    0x808080, // inactive caption
    0xC0C0C0, // menu
    0xFFFFFF, // window
    0x000000, // window frame
    0x000000, // menu text
    0x000000, // window text
    0xFFFFFF, // caption text
    0xC0C0C0, // active border
    0xC0C0C0, // inactive border
    0x808080, // application workspace
    0x000080, // highlight
    0xFFFFFF, // highlight text
    0xC0C0C0, // button face
    0x808080, // button shadow
    0x808080, // grey text
    0x000000, // button text
    0xC0C0C0, // inactive caption text
    0xFFFFFF, // 3D highlight
    0x000000, // 3D dark shadow
    0xC0C0C0, // 3D light
    0x000000, // info text
    0xFFFFE1, // info background
    0xB5B5B5, // (unused slot)
    0x0000FF, // hot light
    0x1084D0, // gradient active caption
    0xB5B5B5, // gradient inactive caption
    0x000080, // menu highlight
    0xC0C0C0, // menu bar
};

constexpr ColorValue bgr(int r, int g, int b) { return ColorValue(r) | (ColorValue(g) << 8) | (ColorValue(b) << 16); }

} // namespace

QColor colorFromValue(ColorValue value)
{
    if (value == kColorNone)
        return QColor(Qt::transparent);
    if (isSystemColor(value)) {
        const quint32 index = value & 0x00FFFFFFu;
        if (index >= kSystemDefaults.size())
            return QColor(Qt::black);
        return QColor::fromRgb(QRgb(0xFF000000u | kSystemDefaults[index]));
    }
    if (value & 0xFF000000u) // "default" and anything else the toolkit would not draw as RGB
        return QColor(Qt::black);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

ColorValue colorValueOf(const QColor &color)
{
    const QColor c = color.toRgb();
    return bgr(c.red(), c.green(), c.blue());
}

ColorValue colorValueKeeping(ColorValue previous, const QColor &color)
{
    if (colorFromValue(previous).rgba() == color.toRgb().rgba())
        return previous;
    return colorValueOf(color);
}

const std::array<ColorValue, 16> &basicColorValues()
{
    static const std::array<ColorValue, 16> values = {
        bgr(0, 0, 0),       bgr(128, 0, 0),   bgr(0, 128, 0),   bgr(128, 128, 0),
        bgr(0, 0, 128),     bgr(128, 0, 128), bgr(0, 128, 128), bgr(128, 128, 128),
        bgr(192, 192, 192), bgr(255, 0, 0),   bgr(0, 255, 0),   bgr(255, 255, 0),
        bgr(0, 0, 255),     bgr(255, 0, 255), bgr(0, 255, 255), bgr(255, 255, 255),
    };
    return values;
}

QFont TextBoxData::font() const
{
    QFont f(fontName);
    f.setPointSize(std::clamp(fontSize, kMinFontPoints, kMaxFontPoints));
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    return f;
}

QString toCrLfLines(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += QStringLiteral("\r\n");
        } else if (c == u'\n' || c == QChar(0x2029) || c == QChar(0x2028)) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

int sizeFieldFromFontSize(int fontSize)
{
    return roundHalfEven(fontSize * 2.5);
}

int fontSizeFromSizeField(int field)
{
    return roundHalfEven(field / 2.5);
}

} // namespace vz
