#pragma once

#include "imaging/Picture.h"

#include <QImage>
#include <QWidget>

namespace vz {

// A picture placed on the print page, stretched to the control's bounds.
// The picture is drawn once per size and kept, so moving the selection
// frame over it repaints from memory (metafiles are not replayed).
class PlacedPicture : public QWidget
{
    Q_OBJECT
public:
    explicit PlacedPicture(const Picture &picture, QWidget *parent = nullptr);

    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    // How often the picture was drawn anew (a new size); tests and the
    // benchmark read it.
    int renderCount() const { return m_renders; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Picture m_picture;
    QImage m_cache;
    int m_renders = 0;
};

} // namespace vz
