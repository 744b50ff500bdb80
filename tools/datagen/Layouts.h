#pragma once

#include <QString>
#include <QTextStream>

namespace datagen {

// The two demo pages, "Welcome.VZL" (portrait) and "Garden Party.VZL"
// (landscape), made from the clip-art and alphabets already generated below
// dataRoot and written into outFolder. Together they hold every picture kind
// a layout file knows (bitmap, metafile, JPEG, GIF), typed words as bitmaps
// and metafiles, a composition, and text boxes with and without a border in
// every alignment and style. Both are laid out for a page 800 page pixels
// high. The same data gives the same bytes.
bool generateLayouts(const QString &dataRoot, const QString &charactersFile, const QString &outFolder,
                     QTextStream &log);

} // namespace datagen
