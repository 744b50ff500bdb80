#pragma once

// Stand-ins and snapshots for the print page model's tests.

#include "printpage/PageModel.h"

#include <QImage>
#include <QStringList>

namespace vztest {

// A text box without a control: records what the page asks of it.
class StandInTextBox : public vz::PageTextBox
{
public:
    explicit StandInTextBox(QRect rect, QString text = QString())
        : m_rect(rect)
        , m_text(std::move(text))
    {
    }
    QRect geometry() const override { return m_rect; }
    void setGeometry(const QRect &rect) override { m_rect = rect; }
    QString text() const override { return m_text; }
    void selectAll() override { ++selectAllCalls; }
    bool hasKeyboardFocus() const override { return focused; }
    void setOnPage(bool on) override { onPage = on; }

    bool focused = false;
    bool onPage = false;
    int selectAllCalls = 0;

private:
    QRect m_rect;
    QString m_text;
};

// A bitmap whose pixels tell where they came from: red = x mod 256,
// green = x div 256, blue = y mod 256.
inline QImage positionImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(x & 0xFF, (x >> 8) & 0xFF, y & 0xFF);
    }
    return img;
}

inline vz::Picture bitmap(int w, int h)
{
    return vz::Picture::fromImage(positionImage(w, h));
}

inline QString rectText(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

// The whole visible state of a page as one comparable text: pictures in
// print order, text boxes in list order, the stacking order and the copy
// rectangle.
inline QString snapshot(const vz::PageModel &m)
{
    QStringList parts;
    auto describe = [&](vz::PageObjectId id) {
        const vz::PageObject *o = m.object(id);
        return QStringLiteral("#%1@%2").arg(id).arg(o ? rectText(o->rect) : QStringLiteral("?"));
    };
    QStringList pics, boxes, stack;
    for (vz::PageObjectId id : m.pictures())
        pics << describe(id);
    for (vz::PageObjectId id : m.textBoxes())
        boxes << describe(id);
    for (vz::PageObjectId id : m.stackingOrder())
        stack << QString::number(id);
    return QStringLiteral("pictures[%1] boxes[%2] stack[%3] copy[%4]")
        .arg(pics.join(' '), boxes.join(' '), stack.join(' '), rectText(m.copyRect()));
}

// A page geometry of the given page size (only the size matters to the model).
inline vz::PageGeometry pageOf(int w, int h)
{
    vz::PageGeometry g;
    g.page = QRect(10, 10, w, h);
    g.ppiX = g.ppiY = 72;
    g.scale = 1;
    return g;
}

} // namespace vztest
