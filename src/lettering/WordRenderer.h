#pragma once

#include "imaging/Picture.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace vz {

class CharacterMap;

// Words are drawn as bitmaps (raster letters) or as metafiles (".WMF" letters).
enum class WordKind { Bitmap, Metafile };

inline const QString kNewLine = QStringLiteral("NewLine");

// The typed text as a bitmap: letters at their natural size, left to right,
// touching and aligned at the top, on white. Characters without a letter (or
// whose letter has no picture) draw nothing and take no room; a text with
// none gives a null image (0 x 0).
QImage renderTypedWordBitmap(const QString &text, CharacterMap &map);

// Whether the typed text draws anything: at least one of its characters has
// a letter with a picture of some size. A text that draws nothing makes no
// picture of either kind; there is nothing to send, preview or write.
bool typedWordDraws(const QString &text, CharacterMap &map);

// The typed text as a metafile: each letter's metafile stretched side by
// side at eight times its size in pixels on a metafile eight times the sum of
// their physical sizes, whose size in pixels is then set to a sixteenth (so
// its physical size is about half that of the letters side by side).
Picture renderTypedWordMetafile(const QString &text, CharacterMap &map, int screenDpi = 96);

// The bitmap of a composition: file entries loaded as bitmaps and placed left
// to right, "NewLine" entries starting a new line `lineSpace - 30` pixels
// below the last letter drawn. Raises FileError for an entry that cannot be
// loaded. A composition with no height gives a null image.
QImage renderCompositionBitmap(const QStringList &entries, int lineSpace);

// The preview of a typed word: each letter scaled on its own to `height`,
// its width rounded half to even, side by side on white.
QImage DrawWordPreview(const QString &text, CharacterMap &map, int height);

// Renders the typed text in `kind`; writes it to `fileName` when that is
// given and its folder exists (a BMP, PNG for a ".png" name, or a placeable
// WMF; beside the name and renamed), and puts it on the system clipboard
// when asked. A text that draws nothing writes and copies nothing, in
// either kind.
void RenderTypedWord(const QString &text, CharacterMap &map, WordKind kind, bool copyToClipboard,
                     const QString &fileName);

// Renders a composition (as a bitmap whatever the alphabet's kind); writes
// and copies as RenderTypedWord does. Returns the picture (null when empty).
QImage RenderComposition(const QStringList &entries, int lineSpace, bool copyToClipboard, const QString &fileName);

} // namespace vz
