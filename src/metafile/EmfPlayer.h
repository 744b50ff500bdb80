#pragma once

#include "metafile/EmfReader.h"
#include "metafile/WmfPlayer.h"

namespace vz::mf {

// Plays an enhanced metafile onto a painter, its frame stretched into
// `target` (in the painter's coordinates).
PlayResult playEmf(const EmfDocument &doc, QPainter &painter, const QRectF &target);

} // namespace vz::mf
