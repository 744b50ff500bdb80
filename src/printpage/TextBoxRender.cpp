#include "printpage/TextBoxRender.h"

#include "metafile/WmfGenerator.h"
#include "printpage/TPolyTextLines.h"

#include <QPainter>

#include <algorithm>

namespace vz {

QRect textBoxPictureFrame(const QRect &bounds)
{
    return QRect(bounds.left() - 4, bounds.top() - 5, std::max(0, bounds.width()) + 10,
                 std::max(0, bounds.height()) + 10);
}

TextBoxPicture renderTextBoxPicture(const TextBoxData &box, int dpi)
{
    TextBoxPicture result;
    result.frame = textBoxPictureFrame(box.bounds);
    result.tag = box.tag;

    const int left = box.bounds.left();
    const int top = box.bounds.top();
    const int right = left + std::max(0, box.bounds.width());
    const int bottom = top + std::max(0, box.bounds.height());
    const QPolygon polygon({QPoint(left, top), QPoint(right, top), QPoint(right, bottom), QPoint(left, bottom)});

    mf::WmfGenerator generator;
    generator.setSize(result.frame.size());
    generator.setResolution(dpi);
    QPainter painter(&generator);
    // An invisible rectangle over the whole frame: readers that size a
    // metafile by what it draws (libwmf) then see its extent even when the
    // box is empty.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Qt::transparent));
    painter.drawRect(QRect(QPoint(0, 0), result.frame.size()));
    painter.setBrush(Qt::NoBrush);
    painter.setFont(box.font());
    PainterTextCanvas canvas(&painter);
    canvas.setTextColor(box.textColor());
    canvas.setOutlinePen(QPen(Qt::black, 1));
    canvas.setOutlineNonAnsi(true);

    TPolyTextLines lines(&canvas, polygon);
    lines.setMargin(box.borderFlag ? 5 : 0);
    lines.SetAlignment(box.alignment);
    lines.SetText(box.text);
    lines.Draw(true, box.borderFlag);
    for (const TPolyTextLine &line : lines.lines())
        result.lineTexts << line.text();
    painter.end();
    result.wmf = generator.data();
    result.picture = Picture::fromBytes(result.wmf, Picture::Kind::Metafile);
    return result;
}

} // namespace vz
