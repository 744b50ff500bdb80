// Printing a page of text boxes: ten 700 x 600 boxes of 500 words each
// (Arial, size field 25) laid out and recorded as metafiles. Every
// iteration lays out words not measured before, and checks that every word
// was placed.

#include "metafile/WmfGenerator.h"
#include "printpage/TPolyTextLines.h"
#include "printpage/TextBoxRender.h"

#include <QPainter>

#include <QGuiApplication>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

constexpr int kBoxes = 10;
constexpr int kWords = 500;

QString randomWords(QRandomGenerator &rng)
{
    QString text;
    for (int w = 0; w < kWords; ++w) {
        if (w)
            text += (w % 60 == 0) ? QStringLiteral("\r\n") : QStringLiteral(" ");
        const int len = 2 + int(rng.bounded(8));
        for (int i = 0; i < len; ++i)
            text += QChar(u'a' + rng.bounded(26));
    }
    return text;
}

void BM_RenderTextBoxPage(benchmark::State &state)
{
    QRandomGenerator rng(20261210);
    std::vector<vz::TextBoxData> boxes(kBoxes);
    for (int i = 0; i < kBoxes; ++i) {
        boxes[size_t(i)].bounds = QRect(20 + 30 * i, 10 + 40 * i, 700, 600);
        boxes[size_t(i)].fontName = QStringLiteral("Arial");
        boxes[size_t(i)].fontSize = vz::fontSizeFromSizeField(25);
        boxes[size_t(i)].borderFlag = i % 2 == 0;
        boxes[size_t(i)].alignment = i % 3;
    }
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (vz::TextBoxData &box : boxes)
            box.text = randomWords(rng);
        state.ResumeTiming();
        for (const vz::TextBoxData &box : boxes) {
            const vz::TextBoxPicture pic = vz::renderTextBoxPicture(box, 96);
            bytes += pic.wmf.size();
            qsizetype placed = 0;
            for (const QString &line : pic.lineTexts)
                placed += line.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
            if (placed != kWords) {
                state.SkipWithError("not every word was placed");
                return;
            }
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetLabel("10 boxes of 500 words, 700 x 600, Arial size field 25");
}
BENCHMARK(BM_RenderTextBoxPage)->Unit(benchmark::kMillisecond);

// Rows and spans of a box a million pixels each way: 66,666 rows whose spans
// come from four edge crossings each, every row holding a line of its own.
void BM_LayoutHugeBox(benchmark::State &state)
{
    QRandomGenerator rng(7);
    vz::TextBoxData box;
    box.fontSize = vz::fontSizeFromSizeField(25);
    vz::mf::WmfGenerator device;
    QPainter painter(&device);
    painter.setFont(box.font());
    vz::PainterTextCanvas canvas(&painter);
    vz::TPolyTextLines layout(&canvas, QPolygon({QPoint(0, 0), QPoint(1000000, 0), QPoint(1000000, 1000000), QPoint(0, 1000000)}));
    size_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QString text;
        for (int row = 0; row < 70000; ++row)
            text += QStringLiteral("%1\r\n").arg(rng.generate());
        state.ResumeTiming();
        layout.SetText(text);
        lines = layout.lines().size();
    }
    painter.end();
    if (lines != 66666)
        state.SkipWithError("too few lines");
    state.SetLabel(QStringLiteral("%1 lines").arg(lines).toStdString());
}
BENCHMARK(BM_LayoutHugeBox)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
