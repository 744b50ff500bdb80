// The print page model's share of placing a large picture: a 6000 x 4000
// bitmap reduced for a 1920-pixel screen and fitted, and the rescale of a
// full page when the window is resized.

#include "printpage/PageModel.h"

#include <QCoreApplication>
#include <QImage>

#include <benchmark/benchmark.h>

namespace {

const vz::Picture &bigBitmap()
{
    static const vz::Picture picture = [] {
        QImage img(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                row[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
        }
        return vz::Picture::fromImage(img);
    }();
    return picture;
}

vz::PageGeometry page(int w, int h)
{
    vz::PageGeometry g;
    g.page = QRect(10, 10, w, h);
    g.ppiX = g.ppiY = 72;
    g.scale = 1;
    return g;
}

void BM_PlaceWideBitmap(benchmark::State &state)
{
    const vz::Picture &picture = bigBitmap();
    for (auto _ : state) {
        vz::PageModel model;
        model.setGeometry(page(600, 776));
        model.setScreenWidth(1920);
        const vz::PageObjectId id = model.placePicture(picture, vz::PlaceSource::Clipboard);
        benchmark::DoNotOptimize(model.object(id)->picture.width());
    }
    state.SetLabel("6000 x 4000 on a 1920 screen");
}
BENCHMARK(BM_PlaceWideBitmap)->Unit(benchmark::kMillisecond);

void BM_RescaleFullPage(benchmark::State &state)
{
    vz::PageModel model;
    model.setGeometry(page(600, 776));
    const vz::Picture small = vz::Picture::fromImage(QImage(8, 8, QImage::Format_RGB32));
    for (int i = 0; i < 50; ++i)
        model.appendPictureAt(small, QRect(i * 7, i * 11, 100 + i, 80 + i));
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        model.setGeometry(wide ? page(913, 1181) : page(600, 776));
    }
    state.SetLabel("50 pictures");
}
BENCHMARK(BM_RescaleFullPage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
