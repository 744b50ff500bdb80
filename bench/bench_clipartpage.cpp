// The clip-art page over a generated tree of 10,000 catalogued pictures in
// 100 sets: from choosing "Everything" to the first painted grid, one
// scrolled repaint of the grid, and a search over all records.

#include "imagesets/ClipartPage.h"
#include "imagesets/ThumbnailGrid.h"
#include "shell/AppState.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSets = 100;
constexpr int kPerSet = 100;

QString makeTree(const QString &root)
{
    const QString program = root + "/program/";
    const char *words[] = {"cat", "dog", "bird", "flower", "star", "car", "tree", "sun", "moon", "fish"};
    for (int s = 0; s < kSets; ++s) {
        const QString folder = program + QStringLiteral("Images/Color/Set%1/").arg(s, 3, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        QFile qn(folder + "set.qn");
        qn.open(QIODevice::WriteOnly);
        qn.write(QStringLiteral("Name=Set %1\r\nDescription=d\r\nSet=set%1\r\n").arg(s).toUtf8());
        vz::ThumbnailDataClip table;
        for (int i = 0; i < kPerSet; ++i) {
            QImage img(55, 55, QImage::Format_RGB888);
            img.fill(QColor::fromHsv((s * 37 + i * 11) % 360, 200, 230));
            QByteArray bmp;
            QBuffer buf(&bmp);
            buf.open(QIODevice::WriteOnly);
            img.save(&buf, "BMP");
            const QString w = QString::fromLatin1(words[(s + i) % 10]);
            table.appendThumbnail(QStringLiteral("Picture %1 %2").arg(s).arg(i),
                                  QStringLiteral("p%1_%2.bmp").arg(i, 3, 10, QLatin1Char('0')).arg(s), bmp,
                                  QStringLiteral("set%1").arg(s), w + "\r\n" + w + "s\r\ncolour");
        }
        table.saveToFile(folder + "Images.catalog");
    }
    return program;
}

struct Fixture
{
    QTemporaryDir dir;
    vz::AppState state;
    QWidget mainPage;
    QWidget lowerPage;
    std::unique_ptr<vz::ClipartPage> page;

    Fixture()
    {
        state.programFolder = makeTree(dir.path());
        mainPage.resize(900, 600);
        lowerPage.resize(900, 121);
        page = std::make_unique<vz::ClipartPage>(state, &mainPage, &lowerPage);
        page->ShowClipart();
    }

    QImage paintGrid()
    {
        vz::ThumbnailGrid *g = page->grid();
        QImage frame(g->viewport()->size(), QImage::Format_RGB32);
        g->viewport()->render(&frame);
        return frame;
    }
};

std::unique_ptr<Fixture> g_fixture;

Fixture &fixture()
{
    if (!g_fixture)
        g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

void BM_EverythingToFirstPaint(benchmark::State &state)
{
    Fixture &f = fixture();
    QListWidget *list = f.page->categories();
    for (auto _ : state) {
        list->setCurrentRow(list->count() - 1); // "Everything"
        f.page->GetClipart();
        benchmark::DoNotOptimize(f.paintGrid());
    }
    state.counters["records"] = f.page->table().count();
}
BENCHMARK(BM_EverythingToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_ScrollRepaint(benchmark::State &state)
{
    Fixture &f = fixture();
    QListWidget *list = f.page->categories();
    list->setCurrentRow(list->count() - 1);
    f.page->GetClipart();
    QScrollBar *sb = f.page->grid()->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + sb->pageStep()) % qMax(1, sb->maximum());
        sb->setValue(value);
        benchmark::DoNotOptimize(f.paintGrid());
    }
}
BENCHMARK(BM_ScrollRepaint)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State &state)
{
    Fixture &f = fixture();
    QListWidget *list = f.page->categories();
    list->setCurrentRow(list->count() - 1);
    f.page->GetClipart();
    int found = 0;
    for (auto _ : state) {
        vz::ThumbnailDataClip &t = const_cast<vz::ThumbnailDataClip &>(f.page->table());
        t.setSearch(QStringLiteral("bird"), true);
        found = t.count();
        t.setSearch(QString(), false);
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_Search)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset(); // widgets go before the application
    return 0;
}
