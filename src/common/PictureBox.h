#pragma once

#include "imaging/Picture.h"

#include <QImage>
#include <QWidget>

namespace vz {

// An image control: shows its picture (bitmap, metafile, JPEG...) stretched
// over its whole rectangle, or into a target rectangle. Its owner places it
// (usually fitted into a white box).
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    const Picture &picture() const { return m_picture; }
    bool isEmpty() const { return m_picture.isNull(); }
    void setPicture(const Picture &picture);
    void setImage(const QImage &image) { setPicture(image.isNull() ? Picture() : Picture::fromImage(image)); }
    // The bitmap of a raster picture (null for metafiles).
    QImage image() const { return m_picture.image(); }
    void clear() { setPicture(Picture()); }
    // Draws the picture into this rectangle instead of over the whole control.
    void setTargetRect(const QRect &r);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    Picture m_picture;
    QRect m_target;
};

} // namespace vz
