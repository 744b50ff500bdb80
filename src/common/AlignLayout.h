#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

namespace vz {

// Placement of a child in the manner of the original forms: aligned to an
// edge of its parent (taking the full length of that edge and a width or
// height of its own), filling what is left (Client), or placed freely (None)
// and kept at fixed distances from the edges it is anchored to.
enum class Align { None, Top, Bottom, Left, Right, Client };
enum Anchor { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };
constexpr int AnchorsDefault = AnchorLeft | AnchorTop;
constexpr int AnchorsAll = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;
// Asks addWidget for the anchors the alignment implies: a free control gets
// AnchorsDefault; an aligned one its own edge and the two sides along it
// (top: left, top, right), a client one all four.
constexpr int AnchorsImplied = -1;
int impliedAnchors(Align align);

class AlignLayout : public QLayout
{
    Q_OBJECT
public:
    explicit AlignLayout(QWidget *parent);
    ~AlignLayout() override;

    // Adds `w` (reparented to the layout's widget). For Left/Right only the
    // rectangle's width counts, for Top/Bottom its height; for None the whole
    // rectangle, taken relative to the parent's current size.
    void addWidget(QWidget *w, Align align, const QRect &design = QRect(), int anchors = AnchorsImplied);

    struct Spec
    {
        QWidget *widget = nullptr;
        Align align = Align::None;
        int anchors = AnchorsDefault;
        QRect rect;    // design rectangle (for aligned ones, the extent that matters)
        QSize base;    // the parent size `rect` was given for (None only)
    };

    Spec *spec(QWidget *w);
    const QList<Spec> &specs() const { return m_specs; }

    // Changes a child's design rectangle, taken at the parent's present size.
    void setDesignRect(QWidget *w, const QRect &rect);
    // Width of a Left/Right child or height of a Top/Bottom child.
    void setExtent(QWidget *w, int extent);
    int extent(QWidget *w) const;

    // The closest visible child aligned to the same side that lies between
    // `w` and that side (the control a splitter resizes).
    QWidget *neighbourBefore(QWidget *w) const;

    // The parent's client size the free children's rectangles were designed
    // for; anchored children keep their distances from it. Without it, the
    // parent's size when a child is added counts.
    void setDesignSize(const QSize &size) { m_designSize = size; }

    // The parent's area that children are placed in (inside the margins).
    QSize clientSize() const;
    QRect clientRect() const;

    static AlignLayout *of(QWidget *parent);
    static Align alignOf(const QWidget *w);
    static int anchorsOf(const QWidget *w);

    // QLayout
    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    void setGeometry(const QRect &r) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;

private:
    QList<QLayoutItem *> m_items;
    QList<Spec> m_specs; // parallel to m_items
    QSize m_designSize;
};

} // namespace vz
