// Lettering speed: choosing an alphabet of 100 letters (thumbnails, letter
// binding, grid), repainting the preview of a 30-letter word, and rendering
// a word of 30 letters 150 pixels high.

#include "imagesets/CharacterMap.h"
#include "imagesets/ThumbnailGrid.h"
#include "imagesets/ThumbnailTable.h"
#include "lettering/AlphabetPage.h"
#include "lettering/ImageStringEdit.h"
#include "lettering/WordRenderer.h"
#include "shell/AppState.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray bmpOf(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP");
    return bytes;
}

struct Fixture
{
    QTemporaryDir dir;
    vz::AppState state;
    vz::CharacterMap map;
    QWidget mainPage, lowerPage;
    std::unique_ptr<vz::AlphabetPage> page;
    QString word;

    Fixture()
    {
        const QString root = dir.path() + "/";
        QStringList lines;
        for (int c = 33; c < 127; ++c)
            lines << QStringLiteral("c%1=%2").arg(c).arg(QChar(c));
        QFile chars(root + "characters");
        chars.open(QIODevice::WriteOnly);
        chars.write(lines.join("\r\n").toLatin1());
        chars.close();
        map.load(root + "characters");

        const QString folder = root + "Alphabets/Color/Bench/";
        QDir().mkpath(folder);
        QFile qn(folder + "ImageSetData.qn");
        qn.open(QIODevice::WriteOnly);
        qn.write("Version=2\r\nName=Bench\r\nType=CA\r\nFill=0\r\n");
        qn.close();
        vz::ThumbnailData table;
        for (int i = 0; i < 100; ++i) {
            const int c = 33 + i % 94;
            QImage img(90 + (i % 7) * 5, 150, QImage::Format_RGB32);
            QPainter p(&img);
            QLinearGradient g(0, 0, 0, 150);
            g.setColorAt(0, QColor::fromHsv(i * 3 % 360, 200, 250));
            g.setColorAt(1, Qt::white);
            p.fillRect(img.rect(), g);
            p.end();
            const QString file = QStringLiteral("Bench%1_c%2.bmp").arg(i).arg(c);
            QFile f(folder + file);
            f.open(QIODevice::WriteOnly);
            f.write(bmpOf(img));
            table.appendThumbnail(file, file, bmpOf(img.scaled(55, 55)));
        }
        table.saveToFile(folder + "Images.catalog");

        state.programFolder = root;
        mainPage.resize(700, 400);
        lowerPage.resize(700, 121);
        page = std::make_unique<vz::AlphabetPage>(state, map, &mainPage, &lowerPage);
        page->fillAlphabetList(root + "Alphabets/Color");
        page->selectAndChoose(0);
        for (int i = 0; i < 30; ++i)
            word += QChar(65 + i % 26);
        page->typingBox()->setText(word);
        page->PreviewAlf(); // letters load once per binding
    }
};

std::unique_ptr<Fixture> g_fixture;
Fixture &fixture()
{
    if (!g_fixture)
        g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

void BM_ChooseAlphabet100(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        f.page->selectAndChoose(0);
        QImage frame(f.page->grid()->size(), QImage::Format_RGB32);
        f.page->grid()->render(&frame); // the grid's first paint, thumbnails decoded
    }
}
BENCHMARK(BM_ChooseAlphabet100)->Unit(benchmark::kMillisecond);

void BM_PreviewRepaint30(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        const QImage preview = vz::DrawWordPreview(f.word, f.map, 57);
        benchmark::DoNotOptimize(preview.constBits());
    }
}
BENCHMARK(BM_PreviewRepaint30)->Unit(benchmark::kMillisecond);

void BM_RenderTypedWord30(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        const QImage w = vz::renderTypedWordBitmap(f.word, f.map);
        benchmark::DoNotOptimize(w.constBits());
    }
}
BENCHMARK(BM_RenderTypedWord30)->Unit(benchmark::kMillisecond);

void BM_RenderTypedWord30ToFile(benchmark::State &state)
{
    Fixture &f = fixture();
    const QString file = f.dir.path() + "/word.bmp";
    for (auto _ : state)
        vz::RenderTypedWord(f.word, f.map, vz::WordKind::Bitmap, false, file);
}
BENCHMARK(BM_RenderTypedWord30ToFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();
    return 0;
}
