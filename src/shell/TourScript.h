#pragma once

#include "imagesets/MemTable.h"
#include "imaging/Picture.h"

#include <QString>

namespace vz {

inline const QString kMissTypedMessage = QStringLiteral("The Method was miss Typed.");

// What a tour step can do to the program. The script handles the codes that
// only move through the tour (0, 29 and 32) itself and hands every other
// code from 1 to 35 to `perform`; `missTyped` is told of any code outside.
class TourActions
{
public:
    virtual ~TourActions() = default;
    // `methodText` is the step's text argument (codes 6 and 25 use it).
    virtual void perform(int code, const QString &methodText) = 0;
    // An unknown code: the owner shows kMissTypedMessage; the step goes on.
    virtual void missTyped(int code) = 0;
};

// A quick tour: the steps of a ".tor" file, the current one and whether the
// tour stands past its end. Widget-free; the tour window shows the current
// step and calls next() on "Next Tour Page".
class TourScript
{
public:
    TourScript();

    // Replaces the steps; the first step becomes current and its actions are
    // not run. A missing or unreadable file gives an empty tour.
    void loadFromBytes(const QByteArray &bytes);
    void loadFromFile(const QString &path);

    int stepCount() const { return m_table.recordCount(); }
    int current() const { return m_current; }
    bool pastEnd() const { return m_pastEnd; }

    // The current step's fields (empty when there is no step).
    QString title() const;
    QString text() const;
    QString methodText() const;
    int code(int which) const; // which = 0, 1, 2
    // The step's picture; null when it is missing or cannot be decoded.
    Picture image() const;

    // Moves on and runs the step's three actions. Returns false when the
    // window should close instead (past the end, or no steps at all). On the
    // last step the tour stays there, marks it stands past its end, and runs
    // that step's actions again.
    bool next(TourActions &actions);

    const MemTable &table() const { return m_table; }

private:
    QString field(int index) const;

    MemTable m_table;
    int m_current = 0;
    bool m_pastEnd = false;
};

} // namespace vz
