#pragma once

#include "metafile/WmfReader.h"

#include <QPainter>
#include <QRectF>

namespace vz::mf {

struct PlayResult
{
    int records = 0;    // records played
    int primitives = 0; // shapes, texts and images drawn
    QRectF drawn;       // what they covered, in target coordinates
};

// Plays a Windows metafile onto a painter, its frame stretched into
// `target` (in the painter's coordinates).
PlayResult playWmf(const WmfDocument &doc, QPainter &painter, const QRectF &target);

// The slots the object table hands out for a metafile's records, in order
// of the creating records; -1 for records that create nothing. For tests
// and diagnostics.
std::vector<int> wmfObjectSlots(const WmfDocument &doc);

} // namespace vz::mf
