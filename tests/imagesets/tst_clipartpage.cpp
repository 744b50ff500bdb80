#include "common/Dialogs.h"
#include "imaging/PictureView.h"
#include "common/ProgramFolder.h"
#include "imagesets/ClipartPage.h"
#include "imagesets/GridLayout.h"
#include "imagesets/ThumbnailGrid.h"
#include "shell/AppState.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>

using namespace vz;

namespace {

QByteArray bmpBytes(const QColor &c, QSize size = QSize(55, 55))
{
    QImage img(size, QImage::Format_RGB888);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

struct Pic
{
    const char *file;
    const char *name;
    const char *search;
    QColor colour;
};

// A clip-art set: its .qn file, image files and one catalog.
void writeSet(const vztest::Sandbox &box, const QString &folder, const QString &name, const QString &set,
              const QList<Pic> &pics, const QString &catalog = "Images.catalog", bool writeImages = true)
{
    box.write(folder + "/" + name.toLower() + ".qn",
              QStringLiteral("Name=%1\r\nDescription=%1 pictures\r\nSet=%2\r\n").arg(name, set).toUtf8());
    ThumbnailDataClip table;
    for (const Pic &p : pics) {
        table.appendThumbnail(p.name, p.file, bmpBytes(p.colour), set, p.search);
        if (writeImages)
            box.write(folder + "/" + p.file, bmpBytes(p.colour, QSize(120, 60)));
    }
    table.saveToFile(box.path(folder + "/" + catalog));
}

} // namespace

class TestClipartPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void gridShapes_data();
    void gridShapes();
    void categoriesAndEverything();
    void sameSetNameUsesFolderScannedFirst();
    void blackAndWhiteKeepsIndex();
    void showImageAndStatus();
    void unreadableImageKeepsPicture();
    void search();
    void setBuiltByTheToolShows_data();
    void setBuiltByTheToolShows();

private:
    std::unique_ptr<vztest::Sandbox> m_box;
    std::unique_ptr<TfrmVZMain> m_window;
    ClipartPage *page() const { return m_window->findChild<ClipartPage *>(); }
    void click(const char *name) { m_window->findChild<QAbstractButton *>(name)->click(); }
    void clickCell(int row, int col)
    {
        ThumbnailGrid *g = page()->grid();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(col * 55 + 20, row * 55 + 20));
    }
};

void TestClipartPage::init()
{
    m_window.reset();
    m_box = std::make_unique<vztest::Sandbox>();
    const vztest::Sandbox &b = *m_box;
    b.write("program/characters", "A=A\r\n");
    writeSet(b, "program/Images/Color/Animals", "Animals", "Animals",
             {{"dog.bmp", "Dog", "dog\r\npet", Qt::red}, {"Cat.bmp", "Cat", "cat\r\npet\r\nkitten", Qt::green}});
    // A second catalog in a subfolder of the set.
    writeSet(b, "program/Images/Color/Animals/Wild", "Wild", "Wild", {{"bear.bmp", "Bear", "bear\r\nwild", Qt::blue}});
    writeSet(b, "program/Images/Color/Flowers", "Flowers", "flowers", {{"rose.bmp", "Rose", "rose\r\nred", Qt::magenta}});
    // Declares the set "animals" again: its pictures are looked for in the
    // folder scanned first.
    writeSet(b, "program/Images/Color/Zoo", "Zoo", "ANIMALS", {{"zebra.bmp", "Zebra", "zebra", Qt::black}});
    writeSet(b, "program/Images/BW/Animals", "Animals", "animals",
             {{"dog.bmp", "Dog", "dog", Qt::gray}, {"Cat.bmp", "Cat", "cat", Qt::darkGray}});
    writeSet(b, "program/Images/BW/Flowers", "Flowers", "flowers-bw", {{"rose.bmp", "Rose", "rose", Qt::lightGray}});
    setProgramFolder(b.path("program"));
    m_window = std::make_unique<TfrmVZMain>(QStringList{"local"});
    m_window->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestClipartPage::gridShapes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("narrower than 60") << 59 << 3 << 1 << 3;
    QTest::newRow("nothing") << 400 << 0 << 7 << 1;
    QTest::newRow("less than a row gains an empty row") << 400 << 3 << 7 << 2;
    QTest::newRow("exact rows") << 390 << 14 << 7 << 2;
    QTest::newRow("rest") << 390 << 15 << 7 << 3;
    QTest::newRow("tiny") << 0 << 1 << 1 << 1;
}

void TestClipartPage::gridShapes()
{
    QFETCH(int, width);
    QFETCH(int, count);
    const GridShape g = gridShape(width, count);
    QTEST(g.columns, "columns");
    QTEST(g.rows, "rows");
}

void TestClipartPage::categoriesAndEverything()
{
    click("btnClipart");
    QListWidget *list = page()->categories();
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    QCOMPARE(names, (QStringList{"Animals", "Flowers", "Wild", "Zoo", "Everything"}));
    QCOMPARE(list->currentRow(), 0);
    // The Animals folder loads its own catalog and its subfolder's.
    QCOMPARE(page()->table().count(), 3);
    // Everything: every catalog of the tree, shown sorted by file name.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(4)).center());
    QCOMPARE(page()->table().count(), 5);
    QStringList files;
    for (int i = 0; i < page()->table().count(); ++i)
        files << page()->table().fileName(i);
    QCOMPARE(files, (QStringList{"bear.bmp", "Cat.bmp", "dog.bmp", "rose.bmp", "zebra.bmp"}));
    QCOMPARE(m_window->state().categoryRow, 4);
    // Thumbnails decode only as cells are drawn.
    QVERIFY(page()->table().decodedCount() <= 5);
    QCOMPARE(page()->searchWords(), (QStringList{"bear", "cat", "dog", "kitten", "pet", "red", "rose", "wild", "zebra"}));
}

void TestClipartPage::sameSetNameUsesFolderScannedFirst()
{
    click("btnClipart");
    QListWidget *list = page()->categories();
    list->setCurrentRow(3); // Zoo
    page()->GetClipart();
    DialogResponder responder;
    clickCell(0, 0);
    // zebra.bmp is looked for in the Animals folder, where it is not.
    QCOMPARE(page()->setFolders().folderOf("animals"), m_box->path("program/Images/Color/Animals/"));
    QCOMPARE(responder.messages().size(), 1);
    QVERIFY(responder.messages().first().contains("Images/Color/Animals/zebra.bmp"));
    // Also across trees: the colour tree was scanned first.
    click("btnBW");
    QCOMPARE(page()->setFolders().folderOf("animals"), m_box->path("program/Images/Color/Animals/"));
}

void TestClipartPage::blackAndWhiteKeepsIndex()
{
    click("btnClipart");
    QListWidget *list = page()->categories();
    list->setCurrentRow(1);
    page()->GetClipart();
    click("btnBW");
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(list->currentItem()->text(), QString("Flowers"));
    QCOMPARE(list->count(), 3);
    QVERIFY(m_window->state().blackAndWhite);
    QVERIFY(!m_window->findChild<QAbstractButton *>("btnColor")->isChecked());
    // Leaving the page and coming back remembers black and white.
    click("btnAlpha");
    click("btnClipart");
    QVERIFY(m_window->findChild<QAbstractButton *>("btnBW")->isChecked());
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->currentRow(), 1);
    click("btnColor");
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(!m_window->state().blackAndWhite);
}

void TestClipartPage::showImageAndStatus()
{
    click("btnClipart");
    QCOMPARE(page()->statusText(), QString("Help: vellozine.example/help"));
    clickCell(0, 1); // Cat.bmp, bear.bmp, dog.bmp in file name order
    PictureView *img = page()->mainImage();
    QCOMPARE(img->picture().size(), QSize(120, 60));
    QCOMPARE(page()->statusText(), QString("Cat"));
    QCOMPARE(m_window->state().clipartPath, m_box->path("program/Images/Color/Animals/Cat.bmp"));
    // Fitted into its white box, inset by 3.
    const QRect box = page()->panelImageInner()->rect();
    QCOMPARE(img->x(), 3);
    QCOMPARE(img->width(), box.width() - 6);
    // Keys move the cell and show the picture when released.
    page()->grid()->setFocus();
    QTest::keyClick(page()->grid(), Qt::Key_Left);
    QCOMPARE(page()->statusText(), QString("Bear"));
    // A click beyond the last thumbnail does nothing.
    clickCell(0, 5);
    QCOMPARE(page()->statusText(), QString("Bear"));
}

void TestClipartPage::unreadableImageKeepsPicture()
{
    click("btnClipart");
    clickCell(0, 0);
    const QImage before = page()->mainImage()->image();
    QVERIFY(!before.isNull());
    m_box->write("program/Images/Color/Animals/Wild/bear.bmp", "not an image");
    m_box->write("program/Images/Color/Animals/dog.bmp", "not an image either");
    DialogResponder responder;
    clickCell(0, 2);
    QCOMPARE(responder.messages().size(), 1);
    QCOMPARE(responder.requests().first().icon, MsgIcon::Error);
    QCOMPARE(page()->mainImage()->image(), before);
}

void TestClipartPage::search()
{
    click("btnClipart");
    auto *box = m_window->findChild<QComboBox *>("cbSearch");
    // Empty box: nothing happens.
    click("btnSearch");
    QCOMPARE(page()->searchCaption(), QString());
    QCOMPARE(page()->table().count(), 3);
    // Capitals find nothing: only the record side is lower-cased.
    box->setEditText("Cat");
    click("btnSearch");
    QCOMPARE(page()->table().count(), 0);
    QCOMPARE(page()->grid()->shape().rows, 1);
    QCOMPARE(page()->searchCaption(), QString("No Search Results Found:"));
    // Enter in the box starts the search; "at" is a substring of "cat".
    box->setEditText("at");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(page()->table().count(), 1);
    QCOMPARE(page()->searchCaption(), QString("Search Results:"));
    DialogResponder responder;
    clickCell(0, 1); // beyond the filtered records
    QCOMPARE(page()->statusText(), QString("Help: vellozine.example/help"));
    clickCell(0, 0);
    QCOMPARE(page()->statusText(), QString("Cat"));
    // A search that spans lines needs the line break.
    box->setEditText("pet\r\nkit");
    click("btnSearch");
    QCOMPARE(page()->table().count(), 1);
    // Refresh ends the search and empties the picture.
    click("btnRefresh");
    QCOMPARE(page()->table().count(), 3);
    QCOMPARE(page()->searchCaption(), QString());
    QVERIFY(page()->mainImage()->isEmpty());
    QVERIFY(responder.messages().isEmpty());
}

void TestClipartPage::setBuiltByTheToolShows_data()
{
    QTest::addColumn<QByteArray>("setFile"); // empty: the tool writes it
    QTest::newRow("set data file by the tool") << QByteArray();
    // Another maker's set whose category entry ends in "=".
    QTest::newRow("empty description") << QByteArray("Name=On the farm\r\nDescription=\r\nSet=Farm\r\n");
}

void TestClipartPage::setBuiltByTheToolShows()
{
    QFETCH(QByteArray, setFile);
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR) + "/vztool";
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    const QString farm = "program/Images/Color/Farm/";
    m_box->write(farm + "cow.bmp", bmpBytes(Qt::black, QSize(90, 60)));
    m_box->write(farm + "pig.bmp", bmpBytes(Qt::magenta, QSize(40, 40)));
    if (!setFile.isEmpty())
        m_box->write(farm + "farm.qn", setFile);
    QProcess p;
    p.start(tool, {"catalog", "build", m_box->path(farm), "--set", "Farm", "--category", "On the farm"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);

    click("btnClipart");
    QListWidget *list = page()->categories();
    const QList<QListWidgetItem *> found = list->findItems("On the farm", Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    QCOMPARE(page()->table().count(), 2);
    clickCell(0, 0);
    QCOMPARE(page()->statusText(), QString("cow"));
    QCOMPARE(page()->mainImage()->picture().size(), QSize(90, 60));
    QCOMPARE(m_window->state().clipartPath, m_box->path(farm + "cow.bmp"));
}

QTEST_MAIN(TestClipartPage)
#include "tst_clipartpage.moc"
