#include "printpage/TextBoxStream.h"

#include "printpage/ComponentStream.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace vz {

namespace {

struct ColorName
{
    ColorValue value;
    const char *name;
};

// In the toolkit's order: a plain colour equal to a named one is written
// by its first name.
constexpr ColorName kColorNames[] = {
    {0x000000, "clBlack"}, {0x000080, "clMaroon"}, {0x008000, "clGreen"},
    {0x008080, "clOlive"}, {0x800000, "clNavy"}, {0x800080, "clPurple"},
    {0x808000, "clTeal"}, {0x808080, "clGray"}, {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"}, {0x00FF00, "clLime"}, {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"}, {0xFF00FF, "clFuchsia"}, {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"}, {0xC0DCC0, "clMoneyGreen"}, {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"}, {0xA4A0A0, "clMedGray"},
    {kSystemColorFlag | 10, "clActiveBorder"}, {kSystemColorFlag | 2, "clActiveCaption"},
    {kSystemColorFlag | 12, "clAppWorkSpace"}, {kSystemColorFlag | 1, "clBackground"},
    {kSystemColorFlag | 15, "clBtnFace"}, {kSystemColorFlag | 20, "clBtnHighlight"},
    {kSystemColorFlag | 16, "clBtnShadow"}, {kSystemColorFlag | 18, "clBtnText"},
    {kSystemColorFlag | 9, "clCaptionText"}, {kColorDefault, "clDefault"},
    {kSystemColorFlag | 27, "clGradientActiveCaption"},
    {kSystemColorFlag | 28, "clGradientInactiveCaption"},
    {kSystemColorFlag | 17, "clGrayText"}, {kSystemColorFlag | 13, "clHighlight"},
    {kSystemColorFlag | 14, "clHighlightText"}, {kSystemColorFlag | 26, "clHotLight"},
    {kSystemColorFlag | 11, "clInactiveBorder"}, {kSystemColorFlag | 3, "clInactiveCaption"},
    {kSystemColorFlag | 19, "clInactiveCaptionText"}, {kSystemColorFlag | 24, "clInfoBk"},
    {kSystemColorFlag | 23, "clInfoText"}, {kSystemColorFlag | 4, "clMenu"},
    {kSystemColorFlag | 30, "clMenuBar"}, {kSystemColorFlag | 29, "clMenuHighlight"},
    {kSystemColorFlag | 7, "clMenuText"}, {kColorNone, "clNone"},
    {kSystemColorFlag | 0, "clScrollBar"}, {kSystemColorFlag | 21, "cl3DDkShadow"},
    {kSystemColorFlag | 22, "cl3DLight"}, {kSystemColorFlag | 5, "clWindow"},
    {kSystemColorFlag | 6, "clWindowFrame"}, {kSystemColorFlag | 8, "clWindowText"},
};

struct CharsetName
{
    int value;
    const char *name;
};

constexpr CharsetName kCharsetNames[] = {
    {0, "ANSI_CHARSET"}, {1, "DEFAULT_CHARSET"}, {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"}, {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"}, {134, "GB2312_CHARSET"}, {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"}, {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"}, {178, "ARABIC_CHARSET"}, {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"}, {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

constexpr const char *kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

constexpr ColorValue kMemoBackground = 16382457; // #F9F9F9
constexpr int kMaxFontHeight = 10000;
constexpr qint64 kMaxBound = 1000000;

// Windows' MulDiv: a × b / c rounded halves away from zero.
int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const qint64 n = qint64(a) * b;
    const qint64 q = std::min<qint64>((std::llabs(n) * 2 + std::llabs(c)) / (std::llabs(qint64(c)) * 2), INT_MAX);
    return int(((n < 0) != (c < 0)) ? -q : q);
}

[[noreturn]] void bad(const QString &what)
{
    throw ComponentStreamError(QStringLiteral("Invalid text box: %1").arg(what));
}

qint64 integerOf(const ComponentValue &v, const QString &name)
{
    if (!v.isInteger())
        bad(name + QStringLiteral(" is not an integer"));
    return v.integer;
}

QString identOf(const ComponentValue &v, const QString &name)
{
    if (v.type != ValueType::Ident)
        bad(name + QStringLiteral(" is not an identifier"));
    return v.text;
}

bool boolOf(const ComponentValue &v, const QString &name)
{
    if (!v.isBool())
        bad(name + QStringLiteral(" is not a boolean"));
    return v.type == ValueType::True;
}

int boundOf(const ComponentValue &v, const QString &name, bool isSize)
{
    const qint64 n = integerOf(v, name);
    if (n > kMaxBound || n < (isSize ? 0 : -kMaxBound))
        bad(name + QStringLiteral(" out of range"));
    return int(n);
}

} // namespace

int fontHeightFromSize(int points, int screenDpi)
{
    return -mulDiv(points, screenDpi, 72);
}

int fontSizeFromHeight(int height, int screenDpi)
{
    return mulDiv(std::abs(height), 72, screenDpi);
}

QString colorIdentifier(ColorValue value)
{
    for (const ColorName &c : kColorNames)
        if (c.value == value)
            return QLatin1StringView(c.name);
    return {};
}

std::optional<ColorValue> colorFromIdentifier(const QString &ident)
{
    for (const ColorName &c : kColorNames)
        if (ident.compare(QLatin1StringView(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

QString charsetIdentifier(int charset)
{
    for (const CharsetName &c : kCharsetNames)
        if (c.value == charset)
            return QLatin1StringView(c.name);
    return {};
}

std::optional<int> charsetFromIdentifier(const QString &ident)
{
    for (const CharsetName &c : kCharsetNames)
        if (ident.compare(QLatin1StringView(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

QByteArray encodeTextBox(const TextBoxData &box, int tabOrder, int screenDpi)
{
    ComponentWriter w;
    w.writeHeader(QStringLiteral("TMemo"), QString());
    if (box.tag != 0) {
        w.writeName(QStringLiteral("Tag"));
        w.writeInteger(box.tag);
    }
    w.writeName(QStringLiteral("Left"));
    w.writeInteger(box.bounds.left());
    w.writeName(QStringLiteral("Top"));
    w.writeInteger(box.bounds.top());
    w.writeName(QStringLiteral("Width"));
    w.writeInteger(box.bounds.width());
    w.writeName(QStringLiteral("Height"));
    w.writeInteger(box.bounds.height());
    w.writeName(QStringLiteral("Cursor"));
    w.writeIdent(QStringLiteral("crIBeam"));
    if (box.alignment == int(TextAlign::Right) || box.alignment == int(TextAlign::Center)) {
        w.writeName(QStringLiteral("Alignment"));
        w.writeIdent(box.alignment == int(TextAlign::Right) ? QStringLiteral("taRightJustify")
                                                            : QStringLiteral("taCenter"));
    }
    if (!box.borderSingle) {
        w.writeName(QStringLiteral("BorderStyle"));
        w.writeIdent(QStringLiteral("bsNone"));
    }
    w.writeName(QStringLiteral("Color"));
    w.writeInteger(kMemoBackground);
    w.writeName(QStringLiteral("Font.Charset"));
    if (const QString name = charsetIdentifier(box.charset); !name.isEmpty())
        w.writeIdent(name);
    else
        w.writeInteger(box.charset);
    w.writeName(QStringLiteral("Font.Color"));
    if (const QString name = colorIdentifier(box.color); !name.isEmpty())
        w.writeIdent(name);
    else
        w.writeInteger(qint32(box.color));
    w.writeName(QStringLiteral("Font.Height"));
    w.writeInteger(fontHeightFromSize(box.fontSize, screenDpi));
    w.writeName(QStringLiteral("Font.Name"));
    w.writeString(box.fontName);
    w.writeName(QStringLiteral("Font.Style"));
    QStringList style;
    const bool flags[] = {box.bold, box.italic, box.underline, box.strikeOut};
    for (int i = 0; i < 4; ++i)
        if (flags[i])
            style.append(QLatin1StringView(kStyleNames[i]));
    w.writeSet(style);
    QStringList lines = box.text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (!lines.isEmpty()) {
        w.writeName(QStringLiteral("Lines.Strings"));
        w.beginList();
        for (const QString &line : lines)
            w.writeString(line);
        w.endList();
    }
    w.writeName(QStringLiteral("ParentFont"));
    w.writeBool(false);
    w.writeName(QStringLiteral("ParentShowHint"));
    w.writeBool(false);
    w.writeName(QStringLiteral("PopupMenu"));
    w.writeIdent(QStringLiteral("frmPrint.PopupMenu1"));
    w.writeName(QStringLiteral("ShowHint"));
    w.writeBool(box.borderFlag);
    w.writeName(QStringLiteral("TabOrder"));
    w.writeInteger(tabOrder);
    w.writeEnd(); // properties
    w.writeEnd(); // child components
    return w.data();
}

TextBoxData decodeTextBox(QByteArrayView stream, int screenDpi)
{
    ComponentReader r(stream);
    r.readHeader(nullptr, nullptr);
    TextBoxData box;
    box.borderSingle = true; // the memo's default border
    box.text.clear();
    int left = 0, top = 0, width = 0, height = 0;
    while (!r.atListEnd()) {
        const QString name = r.readShortString();
        const ComponentValue v = r.readValue();
        const QString key = name.toLower();
        if (key == u"tag") {
            const qint64 n = integerOf(v, name);
            if (n < INT32_MIN || n > INT32_MAX)
                bad(name + QStringLiteral(" out of range"));
            box.tag = int(n);
        } else if (key == u"left") {
            left = boundOf(v, name, false);
        } else if (key == u"top") {
            top = boundOf(v, name, false);
        } else if (key == u"width") {
            width = boundOf(v, name, true);
        } else if (key == u"height") {
            height = boundOf(v, name, true);
        } else if (key == u"alignment") {
            const QString a = identOf(v, name).toLower();
            if (a == u"taleftjustify")
                box.alignment = int(TextAlign::Left);
            else if (a == u"tarightjustify")
                box.alignment = int(TextAlign::Right);
            else if (a == u"tacenter")
                box.alignment = int(TextAlign::Center);
            else
                bad(QStringLiteral("unknown alignment"));
        } else if (key == u"borderstyle") {
            const QString b = identOf(v, name).toLower();
            if (b == u"bsnone")
                box.borderSingle = false;
            else if (b == u"bssingle")
                box.borderSingle = true;
            else
                bad(QStringLiteral("unknown border style"));
        } else if (key == u"font.charset") {
            if (v.isInteger()) {
                if (v.integer < 0 || v.integer > 255)
                    bad(QStringLiteral("charset out of range"));
                box.charset = int(v.integer);
            } else {
                const auto c = charsetFromIdentifier(identOf(v, name));
                if (!c)
                    bad(QStringLiteral("unknown charset"));
                box.charset = *c;
            }
        } else if (key == u"font.color") {
            if (v.isInteger()) {
                if (v.integer < INT32_MIN || v.integer > INT32_MAX)
                    bad(QStringLiteral("colour out of range"));
                box.color = ColorValue(quint32(qint32(v.integer)));
            } else {
                const auto c = colorFromIdentifier(identOf(v, name));
                if (!c)
                    bad(QStringLiteral("unknown colour"));
                box.color = *c;
            }
        } else if (key == u"font.height") {
            const qint64 h = integerOf(v, name);
            if (h == 0 || h > kMaxFontHeight || h < -kMaxFontHeight)
                bad(QStringLiteral("font height out of range"));
            box.fontSize = fontSizeFromHeight(int(h), screenDpi);
        } else if (key == u"font.name") {
            if (!v.isString())
                bad(QStringLiteral("font name is not a string"));
            box.fontName = v.text;
        } else if (key == u"font.style") {
            if (v.type != ValueType::Set)
                bad(QStringLiteral("font style is not a set"));
            box.bold = box.italic = box.underline = box.strikeOut = false;
            bool *flags[] = {&box.bold, &box.italic, &box.underline, &box.strikeOut};
            for (const QString &m : v.set) {
                int i = 0;
                while (i < 4 && m.compare(QLatin1StringView(kStyleNames[i]), Qt::CaseInsensitive) != 0)
                    ++i;
                if (i == 4)
                    bad(QStringLiteral("unknown font style"));
                *flags[i] = true;
            }
        } else if (key == u"lines.strings") {
            if (v.type != ValueType::List)
                bad(QStringLiteral("lines are not a list"));
            QStringList lines;
            for (const ComponentValue &item : v.items) {
                if (!item.isString())
                    bad(QStringLiteral("a line is not a string"));
                lines.append(item.text);
            }
            box.text = lines.join(QStringLiteral("\r\n"));
        } else if (key == u"showhint") {
            box.borderFlag = boolOf(v, name);
        } else if (key == u"parentfont" || key == u"parentshowhint") {
            boolOf(v, name);
        }
        // Cursor, Color, PopupMenu (always the page's menu), TabOrder (the
        // list position decides) and unknown properties are not kept.
    }
    r.readChildrenEnd();
    box.bounds = QRect(left, top, width, height);
    return box;
}

} // namespace vz
