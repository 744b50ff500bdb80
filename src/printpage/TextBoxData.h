#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <array>

namespace vz {

// Colours as the original toolkit stores them: 0x00BBGGRR for a plain colour,
// 0x80000000 | index for a system colour (the index is Windows' COLOR_*), plus
// the two special values "none" and "default". Kept as the value, not as a
// QColor, so a named system colour read from a layout file is written back by
// name.
using ColorValue = quint32;

constexpr ColorValue kSystemColorFlag = 0x80000000u;
constexpr ColorValue kColorNone = 0x1FFFFFFFu;
constexpr ColorValue kColorDefault = 0x20000000u;
constexpr ColorValue kColorWindowText = kSystemColorFlag | 8u; // COLOR_WINDOWTEXT
constexpr int kSystemColorCount = 31;                          // COLOR_SCROLLBAR .. COLOR_MENUBAR

constexpr bool isSystemColor(ColorValue v) { return (v & 0xFF000000u) == kSystemColorFlag; }

// The colour a value stands for. System colours take Windows' default
// (classic scheme) RGB; "none" is transparent; "default" and unknown system
// indexes are black, the colour text falls back to.
QColor colorFromValue(ColorValue value);
// The plain 0x00BBGGRR value of a colour (alpha is dropped).
ColorValue colorValueOf(const QColor &color);
// A value for `color` that keeps `previous` when it already draws as that
// colour, so an untouched system colour stays a system colour.
ColorValue colorValueKeeping(ColorValue previous, const QColor &color);

// The sixteen basic colours in the toolkit's order: black, maroon, green,
// olive, navy, purple, teal, gray, silver, red, lime, yellow, blue, fuchsia,
// aqua, white.
const std::array<ColorValue, 16> &basicColorValues();

// Horizontal alignment of a text box, with the edit control's values.
enum class TextAlign : int { Left = 0, Right = 1, Center = 2 };

// Everything that makes one text box on the page, as a value: what the
// layout file stores, what undo restores and what printing renders.
struct TextBoxData
{
    QRect bounds;     // page pixels
    QString text;     // lines separated by CR LF
    QString fontName = QStringLiteral("Arial");
    int fontSize = 6; // points, the on-screen size
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    ColorValue color = kColorWindowText;
    int charset = 1;  // DEFAULT_CHARSET
    int alignment = 0; // TextAlign values
    bool borderSingle = false; // the border style: single line or none
    bool borderFlag = false;   // printing and reselection read this, not the style
    int tag = 0;               // index in the text-box list when created

    // The font to measure and draw with. Sizes below 1 or above 1000 points
    // (from a damaged file) draw as 1 or 1000; a missing family falls back to
    // fontconfig's substitute.
    QFont font() const;
    QColor textColor() const { return colorFromValue(color); }

    friend bool operator==(const TextBoxData &, const TextBoxData &) = default;
};

constexpr int kMinFontPoints = 1;
constexpr int kMaxFontPoints = 1000;

// Text whose lines end in LF, CR LF or a lone CR, with every line end made
// CR LF (what the box's text holds). Qt's paragraph and line separators
// (U+2029, U+2028) count as line ends too.
QString toCrLfLines(const QString &text);

// The toolbar's size field shows the font size × 2.5; a field value sets the
// font size to value / 2.5 (both rounded half to even).
int sizeFieldFromFontSize(int fontSize);
int fontSizeFromSizeField(int field);

} // namespace vz
