#pragma once

#include <QImage>
#include <QWidget>

namespace vz {

// Shows one raster on white, fitted into the control keeping its aspect
// ratio and centred. The scaled copy is kept until the image or the size
// changes, so repaints of a large image stay cheap.
class RasterView : public QWidget
{
    Q_OBJECT
public:
    explicit RasterView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    const QImage &image() const { return m_image; }
    // Where an image of `size` is drawn.
    QRect targetRect(const QSize &size) const;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    QImage m_scaled;
};

} // namespace vz
