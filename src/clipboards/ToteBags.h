#pragma once

#include "clipboards/TToteBageImage.h"

#include <QColor>
#include <QString>

namespace vz {

// The four image clipboards of the program, numbered as the pages that fill
// them: 1 "Alphabets", 2 "Clipart", 3 "Mix & Match", 4 "Windows".
enum ClipboardNumber { kAlphaClip = 1, kClipartClip = 2, kMixClip = 3, kWindowsClip = 4 };

// The width the alphabet and Mix & Match thumbnails show of a raster: a
// wider one is cut at the right, a narrower one gains white there.
constexpr int kClipThumbnailWidth = 800;
// Sets a bitmap picture's width that way; other kinds stay as they are.
void setBitmapWidth(Picture &picture, int width);

// The process-wide clipboards (created on first use, live to the end of the
// run). `number` is 1..4; anything else raises VzError.
TToteBageImage &toteBag(int number);
// Resets the flags of all four and CopiedImageShown.
void clearAllToteBags();

// The label shown on the panel and the frame colour.
QString toteBagLabel(int number);
QColor toteBagColour(int number);

// True while the "Windows" clipboard thumbnail holds a picture of its own
// (set by every copy, an enhancement's picture and the system-clipboard
// pick-up; cleared only by Clear All Clipboards).
bool copiedImageShown();
void setCopiedImageShown(bool shown);

// The clipboard the shown pages belong to: 1 alphabet page, 3 Mix & Match
// (any other lower page under "VZAlphabet"), 2 clip-art, 4 enhancements,
// 5 text effects, 0 otherwise.
int CurrentClipboardKind(const QString &mainPage, const QString &lowerPage);

} // namespace vz
