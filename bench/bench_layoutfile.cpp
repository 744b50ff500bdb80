// Saving and opening a full page layout: 20 pictures (one 4000 x 3000
// bitmap, the rest the demo pages' clip-art and words of every kind) and 10
// text boxes. Goals: encoding 150 ms or less, reading back (parse, every
// picture decoded) 150 ms or less. The atomic write (with its disk sync) is
// timed on its own beside them, into a folder on /dev/shm where there is one,
// so the figure is the program's work rather than the disk's.
//
// Needs the demo data of the build's program folder (or the folder named by
// $VZ_PROGRAM_DIR); skips without it.
#include "common/AtomicFile.h"
#include "common/VzError.h"
#include "imaging/Picture.h"
#include "printpage/LayoutFile.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

using namespace vz;

namespace {

constexpr int kPictures = 20;
constexpr int kBoxes = 10;

QString programDir()
{
    const QString env = qEnvironmentVariable("VZ_PROGRAM_DIR");
    return (env.isEmpty() ? QStringLiteral(VZ_PROGRAM_DIR) : env) + QLatin1Char('/');
}

// The page, or nothing when the demo data is missing.
std::optional<PageLayout> makePage(QString *why)
{
    const QString program = programDir();
    PageLayout page;
    page.ppiX = page.ppiY = 68; // the demo pages' portrait page, 800 pixels high
    QList<DecodedPicture> demo;
    QList<TextBoxData> boxes;
    for (const char *name : {"Welcome.VZL", "Garden Party.VZL"}) {
        QFile f(program + QStringLiteral("PageLayout/") + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly)) {
            *why = QStringLiteral("no demo layouts in %1 (build with VZ_BUILD_DATA=ON)").arg(program);
            return std::nullopt;
        }
        const DecodedLayout d = decodeLayout(f.readAll(), 96);
        if (d.status != DecodedLayout::Status::Ok) {
            *why = QStringLiteral("%1 does not open").arg(QLatin1String(name));
            return std::nullopt;
        }
        demo += d.pictures;
        boxes += d.boxes;
    }
    // More clip-art of each kind the pages do not already hold enough of.
    QStringList more;
    QDirIterator it(program + QStringLiteral("Images/Color"), {QStringLiteral("*.jpg"), QStringLiteral("*.wmf"),
                                                             QStringLiteral("*.bmp")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        more << it.next();
    more.sort();

    QImage big(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < big.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(big.scanLine(y));
        for (int x = 0; x < big.width(); ++x)
            line[x] = qRgb(x * 255 / 4000, y * 255 / 3000, (x ^ y) & 0xFF);
    }
    page.pictures.append({Picture::fromImage(big), QRect(10, 10, 400, 300)});
    for (const DecodedPicture &p : demo)
        if (page.pictures.size() < kPictures)
            page.pictures.append({p.picture, QRect(20 + int(page.pictures.size()) * 20, 320, 120, 100)});
    for (qsizetype i = 0; i < more.size() && page.pictures.size() < kPictures; i += more.size() / 8 + 1)
        page.pictures.append({Picture::fromFile(more.at(i)), QRect(30 + int(page.pictures.size()) * 20, 450, 120, 100)});
    for (int i = 0; page.boxes.size() < kBoxes && !boxes.isEmpty(); ++i) {
        TextBoxData b = boxes.at(i % boxes.size());
        b.bounds.translate(0, (i / boxes.size()) * 20);
        b.tag = int(page.boxes.size());
        page.boxes.append(b);
    }
    if (page.pictures.size() != kPictures || page.boxes.size() != kBoxes) {
        *why = QStringLiteral("not enough demo pictures or text boxes");
        return std::nullopt;
    }
    return page;
}

struct Fixture
{
    std::optional<PageLayout> page;
    QByteArray bytes;
    QString why;
    std::unique_ptr<QTemporaryDir> folder;

    Fixture()
    {
        try {
            page = makePage(&why);
            if (page)
                bytes = encodeLayout(*page);
        } catch (const VzError &e) {
            page.reset();
            why = e.message();
        }
        // A RAM file system where the machine has one.
        if (QFileInfo(QStringLiteral("/dev/shm")).isDir())
            folder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/vzbench-XXXXXX"));
        if (!folder || !folder->isValid())
            folder = std::make_unique<QTemporaryDir>();
    }
    bool ready(benchmark::State &state) const
    {
        if (!page)
            state.SkipWithError(why.toStdString().c_str());
        return page.has_value();
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_EncodeLayout(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ready(state))
        return;
    for (auto _ : state) {
        const QByteArray bytes = encodeLayout(*f.page);
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
    state.counters["file_MB"] = double(f.bytes.size()) / 1e6;
}
BENCHMARK(BM_EncodeLayout)->Unit(benchmark::kMillisecond);

// The encoded file written beside its name and renamed over it, synced.
void BM_AtomicWrite(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ready(state))
        return;
    const QString path = f.folder->filePath(QStringLiteral("page.VZL"));
    for (auto _ : state) {
        QString error;
        if (!writeFileAtomically(path, f.bytes, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
    state.SetLabel(f.folder->path().startsWith(QLatin1String("/dev/shm")) ? "on /dev/shm" : "on the temporary folder");
}
BENCHMARK(BM_AtomicWrite)->Unit(benchmark::kMillisecond);

// Saving as the page does it: encode, then the atomic write.
void BM_WriteLayoutFile(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ready(state))
        return;
    const QString path = f.folder->filePath(QStringLiteral("saved.VZL"));
    for (auto _ : state) {
        QString error;
        if (!writeFileAtomically(path, encodeLayout(*f.page), &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
}
BENCHMARK(BM_WriteLayoutFile)->Unit(benchmark::kMillisecond);

// Opening: the file read, parsed and every picture decoded.
void BM_ReadLayout(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!f.ready(state))
        return;
    const QString path = f.folder->filePath(QStringLiteral("read.VZL"));
    if (!writeFileAtomically(path, f.bytes)) {
        state.SkipWithError("cannot write the file to read");
        return;
    }
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the file back");
            break;
        }
        const DecodedLayout d = decodeLayout(file.readAll(), 96);
        if (d.status != DecodedLayout::Status::Ok || d.pictures.size() != kPictures || d.boxes.size() != kBoxes) {
            state.SkipWithError("the file does not read back whole");
            break;
        }
        benchmark::DoNotOptimize(d.pictures.constData());
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}
BENCHMARK(BM_ReadLayout)->Unit(benchmark::kMillisecond);

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
