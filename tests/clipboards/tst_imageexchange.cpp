// The toolbar's Copy, Open and Save on the main window: what each page
// copies, the page-changed flag by the answers given, the types and names
// the image saves write, and their two choosers.

#include "exchangetestutils.h"
#include "../metafile/emfbuilder.h"

#include "clipboards/ImageExchange.h"
#include "clipboards/formOpenChooseDlg.h"
#include "clipboards/formSaveChooseDlg.h"
#include "common/Dialogs.h"
#include "common/WaitCursor.h"
#include "platform/SystemClipboard.h"
#include "printpage/formPrint.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QRadioButton>
#include <QScopeGuard>
#include <QToolButton>

#include <csignal>
#include <sys/resource.h>

using namespace vz;

namespace {

const QString kSaveQuestion = QStringLiteral("Would you like to save the current page?");
const QString kSentinel = QStringLiteral("left alone");

// What a file holds, by its first bytes.
QString fileKind(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("missing");
    const QByteArray head = f.read(8);
    if (head.startsWith("BM"))
        return QStringLiteral("BMP");
    if (head.startsWith("\x89PNG"))
        return QStringLiteral("PNG");
    if (head.startsWith("\xD7\xCD\xC6\x9A"))
        return QStringLiteral("WMF");
    if (head.startsWith("\xFF\xD8"))
        return QStringLiteral("JPEG");
    return QStringLiteral("other");
}

// The size of the picture a file holds, whatever its kind.
QSize fileImageSize(const QString &path)
{
    if (fileKind(path) == QLatin1String("WMF"))
        return Picture::fromFile(path, Picture::Kind::Metafile).size();
    return QImage(path).size();
}

const DialogRequest *lastOfKind(const DialogResponder &r, DialogRequest::Kind kind)
{
    for (auto it = r.requests().crbegin(); it != r.requests().crend(); ++it)
        if (it->kind == kind)
            return &*it;
    return nullptr;
}

int countOfKind(const DialogResponder &r, DialogRequest::Kind kind)
{
    int n = 0;
    for (const DialogRequest &q : r.requests())
        n += q.kind == kind;
    return n;
}

} // namespace

class TestImageExchange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void copyByPage_data();
    void copyByPage();
    void openFlagByAnswer_data();
    void openFlagByAnswer();
    void saveFlagByAnswer_data();
    void saveFlagByAnswer();
    void layoutThroughToolbarSetsTheFlag();
    void saveClipartTypes_data();
    void saveClipartTypes();
    void saveRenderedResult_data();
    void saveRenderedResult();
    void namesForWrittenKind_data();
    void namesForWrittenKind();
    void existingFileAskedForTheWrittenName();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void choosersAnswerAsShown_data();
    void choosersAnswerAsShown();

private:
    std::unique_ptr<extest::MainFixture> m_f;
    std::unique_ptr<DialogResponder> m_responder;
    std::unique_ptr<vztest::Sandbox> m_temp;
};

void TestImageExchange::initTestCase()
{
    // Temporary files go where the test can see that none are left.
    m_temp = std::make_unique<vztest::Sandbox>();
    qputenv("TMPDIR", QFile::encodeName(m_temp->path()));
}

void TestImageExchange::init()
{
    m_responder = std::make_unique<DialogResponder>();
    m_f = std::make_unique<extest::MainFixture>();
    QVERIFY(QTest::qWaitForWindowExposed(m_f->window.get()));
    QGuiApplication::clipboard()->setText(kSentinel);
}

void TestImageExchange::cleanup()
{
    m_f.reset();
    m_responder.reset();
    setPageChanged(false);
}

// ---- Copy ------------------------------------------------------------------

void TestImageExchange::copyByPage_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("copied"); // none, bitmap, wmf
    QTest::addColumn<QSize>("size");     // of the picture copied; empty: not checked
    QTest::addColumn<QString>("error");

    QTest::newRow("blank text") << "blank" << "none" << QSize() << "";
    QTest::newRow("text without letters") << "nodraw" << "none" << QSize() << "";
    QTest::newRow("bitmap word") << "word" << "bitmap" << QSize(50, 40) << "";
    QTest::newRow("metafile word") << "metaword" << "wmf" << QSize() << "";
    QTest::newRow("empty composition") << "emptymix" << "none" << QSize() << "";
    QTest::newRow("composition") << "mix" << "bitmap" << QSize(50, 40) << "";
    QTest::newRow("clip-art bitmap") << "clipbmp" << "bitmap" << QSize(64, 48) << "";
    QTest::newRow("clip-art JPEG") << "clipjpeg" << "bitmap" << QSize(64, 48) << "";
    QTest::newRow("clip-art metafile") << "clipwmf" << "wmf" << QSize(80, 60) << "";
    QTest::newRow("bad metafile file") << "badwmf" << "none" << QSize() << "Metafile is not valid";
    QTest::newRow("metafile file gone") << "gonewmf" << "wmf" << QSize(80, 60) << "";
    // An enhanced metafile's file is no placeable one: it goes as its picture.
    QTest::newRow("clip-art EMF") << "clipemf" << "bitmap" << QSize() << "";
    QTest::newRow("no clip-art shown") << "noclip" << "none" << QSize() << "";
    QTest::newRow("enhancements page") << "enhance" << "none" << QSize() << "";
}

void TestImageExchange::copyByPage()
{
    QFETCH(QString, setup);
    QFETCH(QString, copied);
    QFETCH(QSize, size);
    QFETCH(QString, error);
    extest::MainFixture &f = *m_f;
    QString wmfFile;
    if (setup == "blank")
        f.typeWord("Wide", "   ");
    else if (setup == "nodraw")
        f.typeWord("Wide", "CC");
    else if (setup == "word")
        f.typeWord("Wide", "AB");
    else if (setup == "metaword")
        f.typeWord("Meta", "AB");
    else if (setup == "emptymix")
        f.compose("");
    else if (setup == "mix")
        f.compose("AB");
    else if (setup == "clipbmp")
        f.showClipart(f.box.write("art/pic.bmp", lettertest::bmp(lettertest::solid(64, 48, Qt::green))));
    else if (setup == "clipjpeg")
        f.showClipart(f.box.write("art/pic.jpg", extest::jpeg(lettertest::solid(64, 48, Qt::green))));
    else if (setup == "clipemf")
        f.showClipart(f.box.write("art/pic.emf", vztest::EmfBuilder(QRect(0, 0, 2000, 1500)).build()));
    else if (setup == "noclip")
        f.click("btnClipart");
    else if (setup == "enhance")
        f.click("btnEnhance");
    else {
        wmfFile = f.box.write("art/pic.wmf", extest::wmf(80, 60, Qt::green));
        f.showClipart(wmfFile);
        if (setup == "badwmf") {
            QByteArray bytes = extest::wmf(80, 60, Qt::green);
            bytes[21] = char(bytes[21] ^ 0x55); // the checksum
            f.box.write("art/pic.wmf", bytes);
        } else if (setup == "gonewmf") {
            QVERIFY(QFile::remove(wmfFile));
        }
    }

    f.click("btncopy");

    QCOMPARE(m_responder->messages(), error.isEmpty() ? QStringList() : QStringList{error});
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime);
    const bool hasWmf = mime->hasFormat(QString::fromLatin1(kWmfMimeType));
    if (copied == "none") {
        QCOMPARE(mime->text(), kSentinel);
        QVERIFY(!mime->hasImage());
        QVERIFY(f.windowsPicture().isNull());
        QVERIFY(!copiedImageShown());
    } else {
        QVERIFY(mime->hasImage());
        QCOMPARE(hasWmf, copied == "wmf");
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        if (!size.isEmpty())
            QCOMPARE(image.size(), size);
        if (setup == "word" || setup == "mix") {
            QCOMPARE(image.pixelColor(10, 20), QColor(Qt::red));
            QCOMPARE(image.pixelColor(40, 20), QColor(Qt::blue));
        }
        if (hasWmf) {
            const QByteArray bytes = mime->data(QString::fromLatin1(kWmfMimeType));
            if (setup == "clipwmf") {
                QFile file(wmfFile);
                QVERIFY(file.open(QIODevice::ReadOnly));
                QCOMPARE(bytes, file.readAll()); // taken from the file, unchanged
            }
            QCOMPARE(Picture::fromBytes(bytes, Picture::Kind::Metafile).kind(), Picture::Kind::Metafile);
        }
        // The copy shows on the "Windows" clipboard, in its own kind (the
        // clip-art as MainImage holds it).
        QVERIFY(copiedImageShown());
        QVERIFY(!f.windowsPicture().isNull());
        QCOMPARE(f.windowsPicture().isMetafile(), copied == "wmf" || setup == "clipemf");
        if (setup.startsWith("clip"))
            QCOMPARE(f.windowsPicture().kind(), f.mainImage()->picture().kind());
    }
    // Every path restores the cursor and leaves no temporary file.
    QCOMPARE(WaitCursor::depth(), 0);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(QDir(m_temp->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// ---- Open and Save: the page-changed flag -----------------------------------

void TestImageExchange::openFlagByAnswer_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer"); // MsgResult, or -1: not asked
    QTest::addColumn<int>("choice"); // -1 Cancel, 0 layout, 1 image
    QTest::addColumn<bool>("imageFile");
    QTest::addColumn<bool>("chooserShown");
    QTest::addColumn<bool>("flagAfter");
    QTest::addColumn<int>("picturesAfter");

    const int yes = int(MsgResult::Yes), no = int(MsgResult::No), cancel = int(MsgResult::Cancel);
    QTest::newRow("saved page, chooser cancelled") << false << -1 << -1 << false << true << false << 0;
    QTest::newRow("saved page, image opened") << false << -1 << 1 << true << true << true << 1;
    QTest::newRow("Cancel") << true << cancel << -1 << false << false << true << 1;
    // No layout is written here (its save dialog is cancelled).
    QTest::newRow("Yes, save not written") << true << yes << -1 << false << false << true << 1;
    QTest::newRow("No, chooser cancelled") << true << no << -1 << false << true << true << 1;
    QTest::newRow("No, layout not opened") << true << no << 0 << false << true << true << 1;
    QTest::newRow("No, image dialog cancelled") << true << no << 1 << false << true << true << 1;
    QTest::newRow("No, image opened") << true << no << 1 << true << true << true << 2;
}

void TestImageExchange::openFlagByAnswer()
{
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(int, choice);
    QFETCH(bool, imageFile);
    QFETCH(bool, chooserShown);
    QFETCH(bool, flagAfter);
    QFETCH(int, picturesAfter);
    TfrmPrint *print = m_f->w().printPage();
    if (changed) {
        print->model().placePicture(Picture::fromImage(lettertest::solid(40, 40, Qt::red)), PlaceSource::Clipboard);
        QVERIFY(pageChanged());
    }
    if (answer >= 0)
        m_responder->queueResult(MsgResult(answer));
    m_responder->queueChoice(choice);
    if (imageFile)
        m_responder->queueFileName(m_f->box.write("open.bmp", lettertest::bmp(lettertest::solid(30, 20, Qt::blue))));

    m_f->click("btnOpen");

    QCOMPARE(m_responder->messages(), answer >= 0 ? QStringList{kSaveQuestion} : QStringList());
    if (answer >= 0)
        QCOMPARE(lastOfKind(*m_responder, DialogRequest::Message)->buttons, MsgButtons::YesNoCancel);
    const DialogRequest *chooser = lastOfKind(*m_responder, DialogRequest::Choice);
    QCOMPARE(chooser != nullptr, chooserShown);
    if (chooser) {
        QCOMPARE(chooser->text, QStringLiteral("Open ?"));
        QCOMPARE(chooser->choices, (QStringList{"Open a page layout.", "Open an image file."}));
    }
    QCOMPARE(pageChanged(), flagAfter);
    QCOMPARE(print->model().pictures().size(), picturesAfter);
    if (imageFile)
        QCOMPARE(m_f->w().mainPageName(), QStringLiteral("VZPrint"));
}

void TestImageExchange::saveFlagByAnswer_data()
{
    QTest::addColumn<int>("choice");
    QTest::newRow("chooser cancelled") << -1;
    QTest::newRow("layout not written") << 0; // its save dialog is cancelled
    QTest::newRow("image chosen") << 1;
}

void TestImageExchange::saveFlagByAnswer()
{
    QFETCH(int, choice);
    m_f->typeWord("Wide", "AB");
    m_f->w().printPage()->model().placePicture(Picture::fromImage(lettertest::solid(40, 40, Qt::red)),
                                               PlaceSource::Clipboard);
    m_responder->queueChoice(choice);
    m_f->click("btnSave");
    const DialogRequest *chooser = lastOfKind(*m_responder, DialogRequest::Choice);
    QVERIFY(chooser);
    QCOMPARE(chooser->text, QStringLiteral("Save ?"));
    QCOMPARE(chooser->choices, (QStringList{"Save a page layout.", "Save a selected image as a file."}));
    if (choice != 0)
        QCOMPARE(countOfKind(*m_responder, DialogRequest::SaveFile), choice < 0 ? 0 : 1);
    // Nothing was written as a layout: the page is still unsaved, so the
    // next Open asks before it could replace it.
    QVERIFY(pageChanged());
    m_responder->clear();
    m_responder->queueResult(MsgResult::Cancel);
    m_f->click("btnOpen");
    QCOMPARE(m_responder->messages(), QStringList{kSaveQuestion});
}

// ---- Save: what is written under which name ----------------------------------

// With the page's own Save and Open behind the choosers: a written layout
// marks the page saved, and a page opened from a file starts unchanged.
void TestImageExchange::layoutThroughToolbarSetsTheFlag()
{
    TfrmPrint *print = m_f->w().printPage();
    print->model().placePicture(Picture::fromImage(lettertest::solid(40, 40, Qt::red)), PlaceSource::Clipboard);
    QVERIFY(pageChanged());
    const QString file = m_f->box.path("page.VZL");
    m_responder->queueChoice(0);
    m_responder->queueFileName(file);
    m_f->click("btnSave");
    QVERIFY(QFileInfo(file).isFile());
    QVERIFY(!pageChanged());

    print->model().placePicture(Picture::fromImage(lettertest::solid(30, 30, Qt::blue)), PlaceSource::Clipboard);
    QVERIFY(pageChanged());
    m_responder->clear();
    m_responder->queueResult(MsgResult::No); // Open: don't save
    m_responder->queueChoice(0);
    m_responder->queueFileName(file);
    m_responder->queueResult(MsgResult::No); // the load's Clear: don't save
    m_f->click("btnOpen");
    QCOMPARE(print->model().pictures().size(), 1);
    QVERIFY(!pageChanged());
}

void TestImageExchange::saveClipartTypes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("chosen");   // empty: no dialog expected
    QTest::addColumn<QString>("written");  // the file name written
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");

    const QString bmps = "bitmaps (*.bmp)", wmfs = "metafiles (*.wmf)", jpegs = "JPEG pictures (*.jpg *.jpeg)";
    // The clipboard's raster goes first, also while a metafile is shown.
    QTest::newRow("raster over shown metafile, .wmf") << "raster" << "out.wmf" << "out.bmp" << bmps << "bmp" << "BMP" << QSize(70, 30);
    QTest::newRow("raster, .png") << "raster" << "out.png" << "out.png" << bmps << "bmp" << "PNG" << QSize(70, 30);
    QTest::newRow("raster, .PNG") << "raster" << "out.PNG" << "out.PNG" << bmps << "bmp" << "PNG" << QSize(70, 30);
    QTest::newRow("held metafile over shown bitmap, .bmp") << "held" << "out.bmp" << "out.wmf" << wmfs << "wmf" << "WMF" << QSize(50, 25);
    QTest::newRow("held metafile, .png") << "held" << "out.png" << "out.wmf" << wmfs << "wmf" << "WMF" << QSize(50, 25);
    QTest::newRow("shown bitmap, .wmf") << "bmp" << "out.wmf" << "out.bmp" << bmps << "bmp" << "BMP" << QSize(64, 48);
    QTest::newRow("shown bitmap, .png") << "bmp" << "out.png" << "out.png" << bmps << "bmp" << "PNG" << QSize(64, 48);
    QTest::newRow("shown JPEG, .bmp") << "jpeg" << "out.bmp" << "out.jpg" << jpegs << "jpg" << "JPEG" << QSize(64, 48);
    QTest::newRow("shown JPEG, .jpeg") << "jpeg" << "out.jpeg" << "out.jpeg" << jpegs << "jpg" << "JPEG" << QSize(64, 48);
    QTest::newRow("shown metafile, bare") << "wmf" << "out" << "out.wmf" << wmfs << "wmf" << "WMF" << QSize(80, 60);
    QTest::newRow("shown metafile, .png") << "wmf" << "out.png" << "out.wmf" << wmfs << "wmf" << "WMF" << QSize(80, 60);
    QTest::newRow("nothing held or shown") << "none" << "" << "" << "" << "" << "" << QSize();
}

void TestImageExchange::saveClipartTypes()
{
    QFETCH(QString, source);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, filter);
    QFETCH(QString, extension);
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    extest::MainFixture &f = *m_f;
    TToteBageImage &bag = toteBag(kClipartClip);
    const QString shownBmp = f.box.write("art/pic.bmp", lettertest::bmp(lettertest::solid(64, 48, Qt::green)));
    const QByteArray jpegBytes = extest::jpeg(lettertest::solid(64, 48, Qt::green));
    if (source == "raster") {
        f.showClipart(f.box.write("art/pic.wmf", extest::wmf(80, 60, Qt::green)));
        extest::setRaster(bag, lettertest::solid(70, 30, Qt::red));
    } else if (source == "held") {
        f.showClipart(shownBmp);
        bag.SetPicture(Picture::fromBytes(extest::wmf(50, 25, Qt::red), Picture::Kind::Metafile));
    } else if (source == "bmp") {
        f.showClipart(shownBmp);
    } else if (source == "jpeg") {
        f.showClipart(f.box.write("art/pic.jpg", jpegBytes));
    } else if (source == "wmf") {
        f.showClipart(f.box.write("art/pic.wmf", extest::wmf(80, 60, Qt::green)));
    } else {
        f.click("btnClipart");
    }
    f.box.mkdir("out");
    m_responder->queueChoice(1);
    if (!chosen.isEmpty())
        m_responder->queueFileName(f.box.path("out/" + chosen));

    f.click("btnSave");

    QCOMPARE(m_responder->messages(), QStringList());
    const DialogRequest *dialog = lastOfKind(*m_responder, DialogRequest::SaveFile);
    QCOMPARE(dialog != nullptr, !chosen.isEmpty());
    if (!dialog) {
        QCOMPARE(QDir(f.box.path("out")).entryList(QDir::Files), QStringList());
        return;
    }
    QCOMPARE(dialog->filter, filter);
    QCOMPARE(dialog->defaultSuffix, extension);
    // Remembered for the next use.
    QCOMPARE(f.w().imageExchange()->filter(), filter);
    QCOMPARE(f.w().imageExchange()->defaultExtension(), extension);
    // Only the file named for what it holds is there.
    QCOMPARE(QDir(f.box.path("out")).entryList(QDir::Files), QStringList{written});
    const QString path = f.box.path("out/" + written);
    QCOMPARE(fileKind(path), kind);
    QCOMPARE(fileImageSize(path), size);
    if (source == "jpeg") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), jpegBytes); // never re-encoded
    }
}

void TestImageExchange::saveRenderedResult_data()
{
    QTest::addColumn<QString>("page");     // Alpha or MixMatch
    QTest::addColumn<QString>("alphabet");
    QTest::addColumn<QString>("letters");  // typed, or composed
    QTest::addColumn<bool>("raster");      // the page's clipboard holds a 70 x 30 raster
    QTest::addColumn<QString>("chosen");   // empty: no dialog expected
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");

    QTest::newRow("bitmap word, bare") << "Alpha" << "Wide" << "AB" << false << "w" << "w.BMP" << "BMP" << QSize(50, 40);
    QTest::newRow("bitmap word, .png") << "Alpha" << "Wide" << "AB" << false << "w.png" << "w.png" << "PNG" << QSize(50, 40);
    QTest::newRow("bitmap word, .wmf") << "Alpha" << "Wide" << "AB" << false << "w.wmf" << "w.BMP" << "BMP" << QSize(50, 40);
    QTest::newRow("metafile word, .bmp") << "Alpha" << "Meta" << "AB" << false << "w.bmp" << "w.WMF" << "WMF" << QSize();
    QTest::newRow("metafile word, bare") << "Alpha" << "Meta" << "AB" << false << "w" << "w.WMF" << "WMF" << QSize();
    QTest::newRow("raster before metafile word") << "Alpha" << "Meta" << "AB" << true << "w.wmf" << "w.BMP" << "BMP" << QSize(70, 30);
    QTest::newRow("raster, nothing typed") << "Alpha" << "Wide" << "" << true << "w" << "w.BMP" << "BMP" << QSize(70, 30);
    QTest::newRow("nothing drawn, no raster") << "Alpha" << "Wide" << "CC" << false << "" << "" << "" << QSize();
    QTest::newRow("nothing typed, no raster") << "Alpha" << "Meta" << "" << false << "" << "" << "" << QSize();
    QTest::newRow("composition") << "MixMatch" << "Wide" << "AB" << false << "m" << "m.BMP" << "BMP" << QSize(50, 40);
    QTest::newRow("composition raster, .png") << "MixMatch" << "Wide" << "AB" << true << "m.png" << "m.png" << "PNG" << QSize(70, 30);
    QTest::newRow("empty composition") << "MixMatch" << "Wide" << "" << false << "" << "" << "" << QSize();
}

void TestImageExchange::saveRenderedResult()
{
    QFETCH(QString, page);
    QFETCH(QString, alphabet);
    QFETCH(QString, letters);
    QFETCH(bool, raster);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    extest::MainFixture &f = *m_f;
    if (page == "Alpha")
        f.typeWord(alphabet, letters);
    else
        f.compose(letters);
    if (raster)
        extest::setRaster(toteBag(page == "Alpha" ? kAlphaClip : kMixClip), lettertest::solid(70, 30, Qt::red));
    f.box.mkdir("out");
    m_responder->queueChoice(1);
    if (!chosen.isEmpty())
        m_responder->queueFileName(f.box.path("out/" + chosen));

    f.click("btnSave");

    QCOMPARE(m_responder->messages(), QStringList());
    const DialogRequest *dialog = lastOfKind(*m_responder, DialogRequest::SaveFile);
    QCOMPARE(dialog != nullptr, !chosen.isEmpty());
    if (!dialog)
        return;
    QCOMPARE(dialog->filter, kind == "WMF" ? QStringLiteral("metafiles (*.wmf)") : QStringLiteral("bitmaps (*.bmp)"));
    QCOMPARE(QDir(f.box.path("out")).entryList(QDir::Files), QStringList{written});
    const QString path = f.box.path("out/" + written);
    QCOMPARE(fileKind(path), kind);
    if (!size.isEmpty())
        QCOMPARE(fileImageSize(path), size);
    if (kind == "WMF") {
        const QImage drawn = Picture::fromFile(path, Picture::Kind::Metafile).render(QSize(100, 80));
        QCOMPARE(drawn.pixelColor(20, 40), QColor(Qt::red));
        QCOMPARE(drawn.pixelColor(85, 40), QColor(Qt::blue));
    }
}

void TestImageExchange::namesForWrittenKind_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("keepPng");
    QTest::addColumn<QString>("name");

    QTest::newRow("bare") << "/d/pic" << "bmp" << true << "/d/pic.bmp";
    QTest::newRow("trailing dot") << "/d/pic." << "WMF" << false << "/d/pic.WMF";
    QTest::newRow("own kind, other case") << "/d/pic.Bmp" << "bmp" << true << "/d/pic.Bmp";
    QTest::newRow("own kind, other spelling") << "/d/pic.jpeg" << "jpg" << false << "/d/pic.jpeg";
    QTest::newRow("another kind") << "/d/pic.emf" << "wmf" << false << "/d/pic.wmf";
    QTest::newRow("png for a bitmap") << "/d/pic.png" << "BMP" << true << "/d/pic.png";
    QTest::newRow("png for a metafile") << "/d/pic.png" << "WMF" << false << "/d/pic.WMF";
    QTest::newRow("no picture suffix") << "/d/pic.v2" << "bmp" << true << "/d/pic.v2";
    QTest::newRow("dot in the folder only") << "/d.x/pic" << "bmp" << true << "/d.x/pic.bmp";
}

void TestImageExchange::namesForWrittenKind()
{
    QFETCH(QString, chosen);
    QFETCH(QString, extension);
    QFETCH(bool, keepPng);
    QTEST(savedImageName(chosen, extension, keepPng), "name");
}

void TestImageExchange::existingFileAskedForTheWrittenName()
{
    // The dialog's own question would be about the name chosen, not the one
    // written, so it is asked after the name is settled.
    extest::MainFixture &f = *m_f;
    f.showClipart(f.box.write("art/pic.bmp", lettertest::bmp(lettertest::solid(64, 48, Qt::green))));
    const QString existing = f.box.write("out/pic.bmp", "old");
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        m_responder->clear();
        m_responder->queueChoice(1);
        m_responder->queueFileName(f.box.path("out/pic.wmf"));
        m_responder->queueResult(answer);
        f.click("btnSave");
        QVERIFY(!lastOfKind(*m_responder, DialogRequest::SaveFile)->overwriteQuestion);
        QCOMPARE(m_responder->messages(), QStringList{"pic.bmp already exists.\nDo you want to replace it?"});
        QCOMPARE(fileKind(existing), answer == MsgResult::Yes ? QStringLiteral("BMP") : QStringLiteral("other"));
        QVERIFY(!QFile::exists(f.box.path("out/pic.wmf")));
    }
}

void TestImageExchange::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("bmp") << "w.bmp";
    QTest::newRow("png") << "w.png";
}

void TestImageExchange::failedWriteKeepsOldFile()
{
    QFETCH(QString, name);
    extest::MainFixture &f = *m_f;
    f.typeWord("Wide", "AB");
    const QString path = f.box.write("out/" + name, "the old file");
    m_responder->queueChoice(1);
    m_responder->queueFileName(path);
    m_responder->queueResult(MsgResult::Yes); // replace it

    // Writes past 64 bytes fail (also for root); the signal is ignored so
    // the write returns an error instead.
    rlimit old {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    {
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        });
        f.click("btnSave");
    }
    // The failure is reported, and the old file is whole with nothing beside it.
    QCOMPARE(m_responder->messages().size(), 2);
    QVERIFY2(m_responder->messages().at(1).contains(path), qPrintable(m_responder->messages().at(1)));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the old file"));
    QCOMPARE(QDir(f.box.path("out")).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    QCOMPARE(WaitCursor::depth(), 0);
}

// ---- The choosers themselves -------------------------------------------------

void TestImageExchange::choosersAnswerAsShown_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("action"); // ok, second, cancel
    QTest::addColumn<int>("result");
    for (const bool save : {false, true}) {
        const char *which = save ? "Save" : "Open";
        QTest::addRow("%s: OK at start", which) << save << "ok" << 0;
        QTest::addRow("%s: second, OK", which) << save << "second" << 1;
        QTest::addRow("%s: second, Cancel", which) << save << "cancel" << -1;
    }
}

void TestImageExchange::choosersAnswerAsShown()
{
    QFETCH(bool, save);
    QFETCH(QString, action);
    // The real dialog, answered through its controls.
    m_responder.reset();
    QString caption, first, second;
    bool startsOnFirst = false;
    QSize size;
    TfrmBaseDlg::setModalHook([&](TfrmBaseDlg &dlg) {
        caption = dlg.windowTitle();
        size = dlg.size();
        auto *rb1 = dlg.findChild<QRadioButton *>("RadioButton1");
        auto *rb2 = dlg.findChild<QRadioButton *>("RadioButton2");
        QVERIFY(rb1 && rb2);
        first = rb1->text();
        second = rb2->text();
        startsOnFirst = rb1->isChecked() && !rb2->isChecked();
        if (action != "ok")
            rb2->click();
        (action == "cancel" ? dlg.fcImageBtn1() : dlg.btnOk())->click();
    });
    const auto unhook = qScopeGuard([] { TfrmBaseDlg::setModalHook({}); });
    const int result = save ? TfrmSaveChooseDlg::ask(m_f->window.get()) : TfrmOpenchoosedlg::ask(m_f->window.get());
    QTEST(result, "result");
    QCOMPARE(caption, save ? QStringLiteral("Save ?") : QStringLiteral("Open ?"));
    QCOMPARE(first, save ? QStringLiteral("Save a page layout.") : QStringLiteral("Open a page layout."));
    QCOMPARE(second, save ? QStringLiteral("Save a selected image as a file.") : QStringLiteral("Open an image file."));
    QVERIFY(startsOnFirst);
    QCOMPARE(size, QSize(381, 178));
}

QTEST_MAIN(TestImageExchange)
#include "tst_imageexchange.moc"
