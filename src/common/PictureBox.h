#pragma once

#include <QImage>
#include <QWidget>

namespace vz {

// An image control: shows its picture stretched over its whole rectangle.
// Its owner places it (usually fitted into a white box).
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }
    bool isEmpty() const { return m_image.isNull(); }
    void setImage(const QImage &image);
    void clear() { setImage(QImage()); }
    // Draws the picture into this rectangle instead of over the whole control.
    void setTargetRect(const QRect &r);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QImage m_image;
    QRect m_target;
};

} // namespace vz
