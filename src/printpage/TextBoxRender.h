#pragma once

#include "imaging/Picture.h"
#include "printpage/TextBoxData.h"

#include <QByteArray>
#include <QRect>
#include <QStringList>

namespace vz {

// A text box turned into a picture for printing: a placeable metafile and
// the page rectangle it is drawn into, 1:1.
struct TextBoxPicture
{
    QByteArray wmf;
    Picture picture; // the same metafile, ready for the page
    QRect frame;     // page pixels
    int tag = 0;
    QStringList lineTexts; // the text of each placed line, in layout order
};

// The frame of a box's picture: 10 pixels wider and higher than the box,
// at its left − 4 and top − 5, so the text lands where the box shows it and
// the outline (drawn at (5, 5) in the picture) is not cut off.
QRect textBoxPictureFrame(const QRect &bounds);

// Lays the box's text out with its font at `dpi` (the screen's, so the text
// measures as on screen) and records it as a metafile: the text in the font
// colour, the outline in a black one-pixel pen when the border flag is on,
// no background.
TextBoxPicture renderTextBoxPicture(const TextBoxData &box, int dpi);

} // namespace vz
