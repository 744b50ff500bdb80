#pragma once

#include "metafile/EmfPlusReader.h"

#include <QPainter>
#include <QRectF>

#include <memory>

namespace vz::mf {

// Plays the EMF+ records of an enhanced metafile onto a painter, the
// header's frame (at the EMF+ resolution) stretched into `target`. The EMF
// player drives it comment by comment and asks what to do with the GDI
// records in between.
class EmfPlusPlayer
{
public:
    enum class GdiMode {
        Skip, // the GDI records only keep their state; EMF+ draws
        All,  // after GetDC: the GDI records draw
        Text, // text the EMF+ part could not draw: the GDI records' text draws
    };

    EmfPlusPlayer(const EmfDocument &doc, const EmfPlusStream &stream, QPainter &painter, const QRectF &target);
    ~EmfPlusPlayer();
    EmfPlusPlayer(const EmfPlusPlayer &) = delete;
    EmfPlusPlayer &operator=(const EmfPlusPlayer &) = delete;

    // Whether EMF record `emfIndex` carries EMF+ records.
    bool holdsRecords(int emfIndex) const;
    // Plays them; returns how the GDI records after it are to be played.
    GdiMode playComment(int emfIndex);
    // Hands the painter back with the caller's transform and hints, before
    // GDI records draw.
    void yieldToGdi();
    // An EMF+ end-of-file record was played.
    bool ended() const;

    int primitives() const;
    QRectF drawn() const; // in target coordinates

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vz::mf
