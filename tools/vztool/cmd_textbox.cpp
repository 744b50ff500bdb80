#include "Command.h"

#include "common/Rounding.h"
#include "metafile/WmfGenerator.h"
#include "printpage/TPolyTextLines.h"
#include "printpage/TextBoxData.h"

#include <QFile>
#include <QPainter>

using namespace vztool;

namespace {

const QString kUsage = QStringLiteral(
    "usage: vztool textbox lines W H FONT FIELDSIZE [--border] [--align left|center|right] TEXTFILE");

constexpr int kMaxSide = 1000000;
constexpr int kMaxField = 2500; // 1000 points

bool parseInt(const QString &text, int low, int high, int *value)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}

int runTextbox(const QStringList &argsIn)
{
    QStringList args = argsIn;
    if (args.isEmpty() || args.takeFirst() != QLatin1String("lines")) {
        err(kUsage);
        return 2;
    }
    bool border = false;
    int alignment = int(vz::TextAlign::Left);
    QStringList plain;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--border")) {
            border = true;
        } else if (a == QLatin1String("--align") && !args.isEmpty()) {
            const QString v = args.takeFirst();
            if (v == QLatin1String("left"))
                alignment = int(vz::TextAlign::Left);
            else if (v == QLatin1String("right"))
                alignment = int(vz::TextAlign::Right);
            else if (v == QLatin1String("center") || v == QLatin1String("centre"))
                alignment = int(vz::TextAlign::Center);
            else {
                err(QStringLiteral("vztool textbox: --align takes left, center or right"));
                return 2;
            }
        } else {
            plain << a;
        }
    }
    if (plain.size() != 5) {
        err(kUsage);
        return 2;
    }
    int width = 0, height = 0, field = 0;
    if (!parseInt(plain[0], 1, kMaxSide, &width) || !parseInt(plain[1], 1, kMaxSide, &height)) {
        err(QStringLiteral("vztool textbox: W and H must be whole numbers from 1 to %1").arg(kMaxSide));
        return 2;
    }
    if (!parseInt(plain[3], 1, kMaxField, &field)) {
        err(QStringLiteral("vztool textbox: FIELDSIZE must be a whole number from 1 to %1").arg(kMaxField));
        return 2;
    }
    QFile file(plain[4]);
    if (!file.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("vztool textbox: cannot read %1: %2").arg(plain[4], file.errorString()));
        return 1;
    }
    vz::TextBoxData box;
    box.bounds = QRect(0, 0, width, height);
    box.fontName = plain[2];
    box.fontSize = vz::fontSizeFromSizeField(field);
    box.alignment = alignment;
    box.borderFlag = box.borderSingle = border;
    box.text = vz::toCrLfLines(QString::fromUtf8(file.readAll()));

    // Measured on a metafile device at 96 dpi, as a printed box is.
    vz::mf::WmfGenerator device;
    device.setResolution(96);
    QPainter painter(&device);
    painter.setFont(box.font());
    vz::PainterTextCanvas canvas(&painter);
    vz::TPolyTextLines layout(&canvas, QPolygon({QPoint(0, 0), QPoint(width, 0), QPoint(width, height), QPoint(0, height)}));
    layout.setMargin(border ? 5 : 0);
    layout.SetAlignment(alignment);
    layout.SetText(box.text);
    for (const vz::TPolyTextLine &line : layout.lines())
        out(QStringLiteral("%1\t%2\t%3\t%4").arg(line.left()).arg(line.right()).arg(line.top()).arg(line.text()));
    painter.end();
    return 0;
}

Registration reg({QStringLiteral("textbox"),
                  QStringLiteral("textbox lines W H FONT FIELDSIZE [--border] [--align left|center|right] TEXTFILE"),
                  QStringLiteral("lay out a UTF-8 text file in a WxH text box (FONT at the toolbar's size FIELDSIZE, "
                                 "96 dpi) and print each placed line: left, right, top, text (tab-separated)"),
                  runTextbox, true});

} // namespace
