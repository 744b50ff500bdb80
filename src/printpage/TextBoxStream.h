#pragma once

#include "printpage/TextBoxData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace vz {

// A text box as the toolkit's memo component stream ("TMemo") stores it in
// a layout file. The font size is stored as a height in screen pixels, so
// both directions need the screen's dots per inch.
QByteArray encodeTextBox(const TextBoxData &box, int tabOrder, int screenDpi);
// Raises ComponentStreamError for a damaged stream, an unknown colour,
// charset, alignment, border or style name, a font height of 0 or beyond
// ±10,000, bounds beyond ±1,000,000 or a negative size. Unknown properties
// are skipped.
TextBoxData decodeTextBox(QByteArrayView stream, int screenDpi);

// Font.Height for a size in points and back (MulDiv's rounding: halves away
// from zero).
int fontHeightFromSize(int points, int screenDpi);
int fontSizeFromHeight(int height, int screenDpi);

// The toolkit's colour identifiers ("clWindowText", "clRed", ...) and
// charset identifiers ("DEFAULT_CHARSET", ...). Names for values without one
// are empty.
QString colorIdentifier(ColorValue value);
std::optional<ColorValue> colorFromIdentifier(const QString &ident);
QString charsetIdentifier(int charset);
std::optional<int> charsetFromIdentifier(const QString &ident);

} // namespace vz
