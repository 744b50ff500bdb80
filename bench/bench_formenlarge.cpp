// How quickly the preview window shows a slider move on a 12-megapixel image
// (the goal is 100 ms from the move to the repainted result), and what the
// full-size result taken by Apply costs.

#include "imaging/FormEnlarge.h"
#include "imaging/PictureView.h"
#include "imaging/RasterView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRandomGenerator>
#include <QSlider>
#include <QToolButton>

#include <memory>

namespace {

class Host : public vz::EnlargedViewHost
{
public:
    vz::PictureView thumb;
    int currentClipboardKind() const override { return 0; }
    bool clipartPageShown() const override { return false; }
    vz::PictureView *panelThumbnail() override { return &thumb; }
    void fitPanelThumbnail() override {}
    void showCopiedPicture(const vz::Picture &) override {}
};

QImage photo()
{
    QImage img(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator rng(3);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = qRgb((x / 16) & 255, (y / 12) & 255, int(rng.bounded(256)));
    }
    return img.convertToFormat(QImage::Format_BGR888); // as a 24-bit file is loaded
}

struct Fixture
{
    Host host;
    vz::TEnlargedView view{&host};
    Fixture()
    {
        view.RasterMode();
        view.imgMain().setBitmap(photo());
        view.show();
        QApplication::processEvents();
    }
};

// Widgets must go before the application object: main() resets it.
std::unique_ptr<Fixture> g_fixture;

Fixture &fixture()
{
    if (!g_fixture)
        g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

struct SliderCase { const char *button; const char *slider; int a; int b; };
const SliderCase kCases[] = {
    {"btnColor", "tbHue", 90, -90},          {"btnSaturation", "tbSaturation", 500, -500},
    {"btnBritness", "tbBrightness", 300, -300}, {"btncontrast", "tbContrast", 400, -400},
    {"btnSharpen", "tbSharpness", 500, -500}, {"btnMedian", "tbPaint", 20, 10},
};

// One move: from setting the slider to the result painted on the screen.
void BM_SliderMoveShown(benchmark::State &state)
{
    Fixture &f = fixture();
    const SliderCase &c = kCases[state.range(0)];
    f.view.findChild<QToolButton *>(c.button)->click();
    QSlider *slider = f.view.findChild<QSlider *>(c.slider);
    auto *shown = f.view.findChild<vz::RasterView *>(QStringLiteral("imgMain"));
    bool flip = false;
    for (auto _ : state) {
        const int before = f.view.effectComputations();
        slider->setValue(flip ? c.a : c.b);
        flip = !flip;
        while (f.view.effectComputations() == before)
            QApplication::processEvents();
        shown->repaint();
    }
    state.SetLabel(c.slider);
}
BENCHMARK(BM_SliderMoveShown)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// Ten moves in one burst: only the last one is computed.
void BM_SliderBurstShown(benchmark::State &state)
{
    Fixture &f = fixture();
    f.view.findChild<QToolButton *>("btnColor")->click();
    QSlider *slider = f.view.findChild<QSlider *>("tbHue");
    auto *shown = f.view.findChild<vz::RasterView *>(QStringLiteral("imgMain"));
    int base = 10;
    for (auto _ : state) {
        const int before = f.view.effectComputations();
        for (int i = 0; i < 10; ++i)
            slider->setValue(base + i);
        base = base == 10 ? 100 : 10;
        while (f.view.effectComputations() == before)
            QApplication::processEvents();
        shown->repaint();
    }
}
BENCHMARK(BM_SliderBurstShown)->Unit(benchmark::kMillisecond);

// The full-size result of a move, as Apply, OK and a resting slider take it.
void BM_FullSizeResult(benchmark::State &state)
{
    Fixture &f = fixture();
    const SliderCase &c = kCases[state.range(0)];
    f.view.findChild<QToolButton *>(c.button)->click();
    QSlider *slider = f.view.findChild<QSlider *>(c.slider);
    bool flip = false;
    for (auto _ : state) {
        slider->setValue(flip ? c.a : c.b);
        flip = !flip;
        benchmark::DoNotOptimize(f.view.imgMain().Bitmap().constBits());
    }
    state.SetLabel(c.slider);
}
BENCHMARK(BM_FullSizeResult)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();
    return 0;
}
