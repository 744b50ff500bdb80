// What a drop on the print page gives: files written by other programs,
// the shared metafiles, refused and broken files, the in-process picture,
// and the drags that start from the alphabet and clip-art grids.

#include "testutils.h"

#include "common/ProgramFolder.h"
#include "common/VzError.h"
#include "imagesets/ClipartPage.h"
#include "imagesets/ThumbnailGrid.h"
#include "imagesets/ThumbnailTable.h"
#include "lettering/AlphabetPage.h"
#include "printpage/PictureDrop.h"
#include "shell/formVZMain.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace vz;

namespace {

QByteArray bmpOf(const QColor &c, QSize size)
{
    QImage img(size, QImage::Format_RGB888);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

QMimeData *urlsOf(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << (p.contains(QLatin1String("://")) ? QUrl(p) : QUrl::fromLocalFile(p));
    data->setUrls(urls);
    return data;
}

QString imageMagick() { return QStandardPaths::findExecutable(QStringLiteral("convert")); }

// One drag the grid started.
struct SeenDrag
{
    std::unique_ptr<QMimeData> data;
    QPixmap pixmap;
};

} // namespace

class TestPictureDrop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void otherProgramsFiles_data();
    void otherProgramsFiles();
    void pngOnWhite();
    void sharedMetafiles_data();
    void sharedMetafiles();
    void refusesOtherFiles();
    void brokenFilesGiveErrorLines();
    void inProcessPicture();
    void gridClickIsNoDrag();
    void alphabetCellDrag();
    void clipartCellDrag();

private:
    struct Program
    {
        vztest::Sandbox box;
        std::unique_ptr<TfrmVZMain> window;
    };
    std::unique_ptr<Program> startProgram();
    static void drag(ThumbnailGrid *grid, int cellIndex, int distance);
};

void TestPictureDrop::otherProgramsFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("kind");
    const int bitmap = int(Picture::Kind::Bitmap);
    QTest::newRow("BMP 24-bit") << "a.bmp" << QStringList{"-type", "truecolor"} << bitmap;
    QTest::newRow("BMP 8-bit RLE") << "b.BMP" << QStringList{"-type", "palette", "-compress", "RLE"} << bitmap;
    QTest::newRow("BMP 4-bit as .dib") << "c.Dib" << QStringList{"-colors", "12"} << bitmap;
    QTest::newRow("JPEG") << "d.jpg" << QStringList{"-quality", "80"} << int(Picture::Kind::Jpeg);
    QTest::newRow("JPEG, .JPEG") << "e.JPEG" << QStringList{} << int(Picture::Kind::Jpeg);
    QTest::newRow("GIF") << "f.gif" << QStringList{} << int(Picture::Kind::Gif);
    QTest::newRow("PNG") << "g.Png" << QStringList{} << bitmap;
    QTest::newRow("icon") << "h.ico" << QStringList{} << int(Picture::Kind::Icon);
}

void TestPictureDrop::otherProgramsFiles()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(int, kind);
    if (imageMagick().isEmpty())
        QSKIP("ImageMagick's convert is not installed");
    vztest::Sandbox box;
    const QString path = box.path(file);
    const QString suffix = QFileInfo(file).suffix().toUpper();
    const QString format = suffix == "BMP" || suffix == "DIB" ? "BMP3" : suffix == "JPEG" ? "JPG" : suffix;
    QStringList args{"-size", "48x32", "plasma:fractal"};
    args << options << format + ":" + path;
    QCOMPARE(QProcess::execute(imageMagick(), args), 0);

    std::unique_ptr<QMimeData> data(urlsOf({path}));
    QVERIFY(canAcceptPictures(data.get()));
    const DroppedPictures dropped = picturesFromMimeData(data.get());
    QCOMPARE(dropped.errors, QStringList());
    QCOMPARE(dropped.pictures.size(), 1);
    QCOMPARE(int(dropped.pictures[0].kind()), kind);
    QCOMPARE(dropped.pictures[0].size(), QSize(48, 32));
    // Open Image reads the same.
    QCOMPARE(readPagePicture(path).size(), QSize(48, 32));
}

void TestPictureDrop::pngOnWhite()
{
    vztest::Sandbox box;
    QImage img(4, 2, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    img.setPixelColor(1, 0, QColor(255, 0, 0));
    img.setPixelColor(2, 1, QColor(0, 0, 255, 128));
    const QString path = box.path("see-through.png");
    QVERIFY(img.save(path, "PNG"));
    const Picture p = readPagePicture(path);
    QCOMPARE(p.kind(), Picture::Kind::Bitmap);
    const QImage got = p.image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(got.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(got.pixel(1, 0), qRgb(255, 0, 0));
    QVERIFY(qAbs(qRed(got.pixel(2, 1)) - 127) <= 1 && qBlue(got.pixel(2, 1)) == 255);
}

void TestPictureDrop::sharedMetafiles_data()
{
    VZ_SAMPLE_METAFILE_ROWS();
}

// Every shared metafile drops as one metafile picture, or at worst one
// error line: never a crash, never a silent loss.
void TestPictureDrop::sharedMetafiles()
{
    QFETCH(QString, path);
    std::unique_ptr<QMimeData> data(urlsOf({path}));
    QVERIFY(canAcceptPictures(data.get()));
    const DroppedPictures dropped = picturesFromMimeData(data.get());
    QCOMPARE(dropped.pictures.size() + dropped.errors.size(), 1);
    if (!dropped.pictures.isEmpty()) {
        QVERIFY(dropped.pictures[0].isMetafile());
        QVERIFY(dropped.pictures[0].width() > 0);
    } else {
        QVERIFY(dropped.errors[0].startsWith(QFileInfo(path).fileName() + ": "));
    }
}

void TestPictureDrop::refusesOtherFiles()
{
    vztest::Sandbox box;
    const QString txt = box.write("notes.txt", "not a picture");
    const QString bmp = box.write("red.bmp", bmpOf(Qt::red, QSize(5, 4)));
    std::unique_ptr<QMimeData> onlyText(urlsOf({txt}));
    QVERIFY(!canAcceptPictures(onlyText.get()));
    std::unique_ptr<QMimeData> remote(urlsOf({"https://example.com/red.bmp"}));
    QVERIFY(!canAcceptPictures(remote.get()));
    QMimeData plain;
    plain.setText(bmp);
    QVERIFY(!canAcceptPictures(&plain));
    QVERIFY(!canAcceptPictures(nullptr));
    // Mixed: the picture is placed, the text file named.
    std::unique_ptr<QMimeData> mixed(urlsOf({txt, bmp}));
    QVERIFY(canAcceptPictures(mixed.get()));
    const DroppedPictures dropped = picturesFromMimeData(mixed.get());
    QCOMPARE(dropped.pictures.size(), 1);
    QCOMPARE(dropped.errors, QStringList{"notes.txt: not a picture file"});
}

void TestPictureDrop::brokenFilesGiveErrorLines()
{
    vztest::Sandbox box;
    const QByteArray good = bmpOf(Qt::blue, QSize(30, 20));
    const QString first = box.write("first.bmp", good);
    // Cut inside its header (the BMP reader shows a file cut among its rows
    // with the missing rows white, so that one would still be placed).
    const QString cut = box.write("cut.bmp", good.left(40));
    const QString empty = box.write("empty.gif", QByteArray());
    const QString last = box.write("last.BMP", good);
    std::unique_ptr<QMimeData> data(urlsOf({first, cut, box.path("gone.jpg"), empty, last}));
    const DroppedPictures dropped = picturesFromMimeData(data.get());
    QCOMPARE(dropped.pictures.size(), 2);
    QCOMPARE(dropped.errors.size(), 3);
    QVERIFY(dropped.errors[0].startsWith("cut.bmp: "));
    QVERIFY(dropped.errors[1].startsWith("gone.jpg: "));
    QVERIFY(dropped.errors[2].startsWith("empty.gif: "));
    for (const QString &line : dropped.errors)
        QVERIFY2(line.section(": ", 1).size() > 0, qPrintable(line));
    QCOMPARE(dropErrorMessage(dropped.errors),
             "These files could not be placed:\n" + dropped.errors.join('\n'));
    QVERIFY_THROWS_EXCEPTION(FileError, readPagePicture(cut));
}

void TestPictureDrop::inProcessPicture()
{
    vztest::Sandbox box;
    const QString path = box.write("x.bmp", bmpOf(Qt::green, QSize(6, 6)));
    const Picture wmf = Picture::fromImage(QImage(3, 9, QImage::Format_RGB32)); // any picture, not the file's
    PictureMimeData data(wmf, path);
    QVERIFY(data.hasFormat(PictureMimeData::mimeType()));
    QCOMPARE(data.urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QVERIFY(canAcceptPictures(&data));
    const DroppedPictures dropped = picturesFromMimeData(&data);
    QCOMPARE(dropped.pictures.size(), 1);
    QCOMPARE(dropped.pictures[0].size(), QSize(3, 9)); // the carried picture, not the file
    // A null picture carried is no picture: the file URL then counts.
    PictureMimeData none(Picture(), path);
    QCOMPARE(picturesFromMimeData(&none).pictures.at(0).size(), QSize(6, 6));
}

std::unique_ptr<TestPictureDrop::Program> TestPictureDrop::startProgram()
{
    auto p = std::make_unique<Program>();
    const vztest::Sandbox &b = p->box;
    b.write("program/characters", "A=A\r\nB=B\r\n");
    // An alphabet of two letters.
    b.write("program/Alphabets/Color/Caps/ImageSetData.qn", "Version=2\r\nName=Caps\r\nType=CA\r\nFill=0\r\n");
    ThumbnailData letters;
    for (const auto &[name, colour] : {std::pair{"A", QColor(Qt::red)}, std::pair{"B", QColor(Qt::blue)}}) {
        const QString file = QStringLiteral("Bab_%1.bmp").arg(name);
        b.write("program/Alphabets/Color/Caps/" + file, bmpOf(colour, QSize(20, 40)));
        letters.appendThumbnail(name, file, bmpOf(colour, QSize(55, 55)));
    }
    letters.saveToFile(b.path("program/Alphabets/Color/Caps/Images.catalog"));
    // A clip-art set of one picture.
    b.write("program/Images/Color/Animals/animals.qn", "Name=Animals\r\nDescription=Animals\r\nSet=Animals\r\n");
    ThumbnailDataClip clips;
    b.write("program/Images/Color/Animals/dog.bmp", bmpOf(Qt::darkRed, QSize(120, 60)));
    clips.appendThumbnail("Dog", "dog.bmp", bmpOf(Qt::darkRed, QSize(55, 55)), "Animals", "dog");
    clips.saveToFile(b.path("program/Images/Color/Animals/Images.catalog"));
    setProgramFolder(b.path("program"));
    p->window = std::make_unique<TfrmVZMain>(QStringList{"local"});
    p->window->resize(800, 600);
    p->window->show();
    if (!QTest::qWaitForWindowExposed(p->window.get()))
        return nullptr;
    return p;
}

// A left press on the cell, a move of `distance` pixels, a release.
void TestPictureDrop::drag(ThumbnailGrid *grid, int cellIndex, int distance)
{
    const int columns = qMax(1, grid->shape().columns);
    const QPoint at((cellIndex % columns) * 55 + 20, (cellIndex / columns) * 55 + 20);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(distance, 0)), grid->viewport()->mapToGlobal(QPointF(at + QPoint(distance, 0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at + QPoint(distance, 0));
}

void TestPictureDrop::gridClickIsNoDrag()
{
    ThumbnailGrid grid;
    grid.resize(200, 200);
    grid.setCount(3);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    int asked = 0;
    grid.setDragPicture([&](int) {
        ++asked;
        return ThumbnailGrid::CellPicture{Picture::fromImage(QImage(8, 8, QImage::Format_RGB32)), QString()};
    });
    std::vector<SeenDrag> drags;
    grid.setDragStarter([&](QMimeData *d, const QPixmap &pm) { drags.push_back({std::unique_ptr<QMimeData>(d), pm}); });
    QSignalSpy pressed(&grid, &ThumbnailGrid::cellPressed);
    // Still, and short of the drag distance: clicks.
    drag(&grid, 1, 0);
    drag(&grid, 1, QApplication::startDragDistance() - 1);
    QCOMPARE(pressed.size(), 2);
    QCOMPARE(asked, 0);
    QVERIFY(drags.empty());
    // Past it: one drag for the press, however far it goes on.
    drag(&grid, 2, QApplication::startDragDistance() + 5);
    QCOMPARE(drags.size(), size_t(1));
    QCOMPARE(asked, 1);
    QVERIFY(!drags[0].pixmap.isNull());
    // Beyond the thumbnails nothing is dragged.
    drag(&grid, 3, 30);
    QCOMPARE(drags.size(), size_t(1));
    // A cell without a picture starts no drag.
    grid.setDragPicture([](int) { return ThumbnailGrid::CellPicture{}; });
    drag(&grid, 0, 30);
    QCOMPARE(drags.size(), size_t(1));
    // Nor does one whose file cannot be read.
    grid.setDragPicture([](int) -> ThumbnailGrid::CellPicture { throw FileError("Bitmap image is not valid"); });
    drag(&grid, 0, 30);
    QCOMPARE(drags.size(), size_t(1));
}

void TestPictureDrop::alphabetCellDrag()
{
    auto program = startProgram();
    QVERIFY(program);
    AlphabetPage *page = program->window->alphabetPage();
    QVERIFY(page);
    QTRY_COMPARE(page->grid()->count(), 2);
    std::vector<SeenDrag> drags;
    page->grid()->setDragStarter([&](QMimeData *d, const QPixmap &pm) { drags.push_back({std::unique_ptr<QMimeData>(d), pm}); });
    drag(page->grid(), 1, 30);
    QCOMPARE(drags.size(), size_t(1));
    const auto *data = qobject_cast<const PictureMimeData *>(drags[0].data.get());
    QVERIFY(data);
    QCOMPARE(data->picture().kind(), Picture::Kind::Bitmap);
    QCOMPARE(data->picture().size(), QSize(20, 40));
    QCOMPARE(data->picture().image().pixelColor(5, 5), QColor(Qt::blue));
    QCOMPARE(QFileInfo(data->fileName()).fileName(), QString("Bab_B.bmp"));
    QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(data->fileName())});
    QCOMPARE(picturesFromMimeData(data).pictures.size(), 1);
}

void TestPictureDrop::clipartCellDrag()
{
    auto program = startProgram();
    QVERIFY(program);
    program->window->findChild<QAbstractButton *>("btnClipart")->click();
    ClipartPage *page = program->window->findChild<ClipartPage *>();
    QVERIFY(page);
    QTRY_COMPARE(page->grid()->count(), 1);
    std::vector<SeenDrag> drags;
    page->grid()->setDragStarter([&](QMimeData *d, const QPixmap &pm) { drags.push_back({std::unique_ptr<QMimeData>(d), pm}); });
    drag(page->grid(), 0, 30);
    QCOMPARE(drags.size(), size_t(1));
    const auto *data = qobject_cast<const PictureMimeData *>(drags[0].data.get());
    QVERIFY(data);
    QCOMPARE(data->picture().size(), QSize(120, 60));
    QCOMPARE(data->fileName(), program->box.path("program/Images/Color/Animals/dog.bmp"));
    QVERIFY(canAcceptPictures(data));
}

QTEST_MAIN(TestPictureDrop)
#include "tst_picturedrop.moc"
