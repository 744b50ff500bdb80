#pragma once

#include "imaging/Picture.h"

#include <QWidget>

namespace vz {

// An image control: holds one picture and draws it stretched over the whole
// control (or a target rectangle in it), with nothing behind it (the parent's background shows where the
// picture does not cover). The clipboard thumbnails and the preview window's
// picture view are such controls; the owner sizes them by the fitting rule.
class PictureView : public QWidget
{
    Q_OBJECT
public:
    explicit PictureView(QWidget *parent = nullptr);

    const Picture &picture() const { return m_picture; }
    bool isEmpty() const { return m_picture.isNull(); }
    void setPicture(const Picture &picture);
    void clear();
    // A bitmap as the picture.
    void setImage(const QImage &image) { setPicture(image.isNull() ? Picture() : Picture::fromImage(image)); }
    // The bitmap of a raster picture (null for metafiles).
    QImage image() const { return m_picture.image(); }
    // Draws into this rectangle instead of over the whole control.
    void setTargetRect(const QRect &target);
    // The held bitmap's width (a bitmap picture only; see vz::setBitmapWidth).
    void setBitmapWidth(int width);

    // The clipboard number a click on the control stands for.
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Picture m_picture;
    QImage m_scaled; // the raster scaled to the target, kept between paints
    QRect m_target;  // null: the whole control
    int m_tag = 0;
};

} // namespace vz
