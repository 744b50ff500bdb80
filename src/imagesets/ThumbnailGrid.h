#pragma once

#include "imagesets/GridLayout.h"
#include "imaging/Picture.h"

#include <QAbstractScrollArea>

#include <functional>

class QMimeData;
class QPixmap;

namespace vz {

// A grid of 55-pixel cells over a list of thumbnails, drawing only the cells
// in view. Cell i is at row i div columns, column i mod columns; the drawing
// of a cell that holds a thumbnail is left to a callback, other cells are
// blank. Used by the clip-art page and the alphabet page.
class ThumbnailGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    using DrawCell = std::function<void(QPainter &, int index, const QRect &cell)>;

    explicit ThumbnailGrid(QWidget *parent = nullptr);

    // Dragging a cell (the mouse moved past the drag distance with the left
    // button down) carries the picture this callback gives for the cell and
    // its file, as a copy. Without a callback, or for a null picture, cells
    // are not dragged. A press without moving stays a click.
    struct CellPicture
    {
        Picture picture;
        QString fileName;
    };
    using DragPicture = std::function<CellPicture(int index)>;
    void setDragPicture(DragPicture picture) { m_dragPicture = std::move(picture); }
    // Runs the drag of the data (taking it over); by default a copy drag
    // through QDrag. Tests replace it to see what a drag carries.
    using DragStarter = std::function<void(QMimeData *data, const QPixmap &pixmap)>;
    void setDragStarter(DragStarter starter) { m_dragStarter = std::move(starter); }

    void setDrawCell(DrawCell draw) { m_draw = std::move(draw); }
    // Sets how many cells hold thumbnails and lays the grid out again.
    void setCount(int count);
    int count() const { return m_count; }
    GridShape shape() const { return m_shape; }

    int currentRow() const { return m_row; }
    int currentColumn() const { return m_col; }
    // Index of the current cell: column + row x columns.
    int currentIndex() const { return m_col + m_row * m_shape.columns; }
    void setCurrentCell(int row, int column);

    // Paint the toolkit's focus frame on the current cell as well.
    void setShowFocusCell(bool on);

Q_SIGNALS:
    // The mouse went down on a cell (already current).
    void cellPressed(int index);
    // A key was released while the grid had focus.
    void keyReleased(int key);

protected:
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

private:
    DragPicture m_dragPicture;
    DragStarter m_dragStarter;
    QPoint m_dragStart;
    int m_dragIndex = -1; // the cell a left press went down on, until it moves or ends

    void relayout();
    void ensureCurrentVisible();

    DrawCell m_draw;
    int m_count = 0;
    GridShape m_shape;
    int m_row = 0;
    int m_col = 0;
    bool m_focusCell = false;
};

} // namespace vz
