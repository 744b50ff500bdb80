// The print page's Save Page and Open Page: names and questions, what a
// saved page brings back, damaged files, another page size or orientation,
// failed writes, and what a load leaves behind (history, flag, cursor).

#include "printpagetestutils.h"

#include "common/Dialogs.h"
#include "common/PageChanged.h"
#include "common/ProgramFolder.h"
#include "common/Rounding.h"
#include "common/WaitCursor.h"
#include "imaging/Picture.h"
#include "printpage/LayoutFile.h"
#include "printpage/TTextBox.h"
#include "printpage/TextBoxStream.h"
#include "printpage/TextBoxTool.h"
#include "testutils.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPrinterInfo>
#include <QUndoStack>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>

using namespace vz;
using namespace pptest;

Q_DECLARE_METATYPE(vz::Picture)

namespace {

const QString kBodyMessage = QStringLiteral("An error occured while loading the file.\nThe file could not be loaded.");
const QString kHeaderMessage = QStringLiteral("The file header appears to be corrupt.  The ZO Dodiduv cannot open the file");
const QString kNotLayout = QStringLiteral("This is not a VZL file Please make try again.");
const QString kReplace = QStringLiteral("This file already exist would you like to replace it?");
const QString kSaveBeforeClear = QStringLiteral("Would you like to save before you clear this page?");

// What the page asked, in order: "save", "open", or a message's text.
QStringList asked(const DialogResponder &r)
{
    QStringList out;
    for (const DialogRequest &q : r.requests()) {
        switch (q.kind) {
        case DialogRequest::SaveFile: out << QStringLiteral("save"); break;
        case DialogRequest::OpenFile: out << QStringLiteral("open"); break;
        case DialogRequest::Message: out << q.text; break;
        default: out << QStringLiteral("other"); break;
        }
    }
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return out;
}

const QByteArray kGif = QByteArray::fromHex(
    "47494638396101000100f0000000000000000021f90401000000002c00000000010001000002024401003b");

TextBoxData boxData(const QRect &bounds, const QString &text, int tag)
{
    TextBoxData d;
    d.bounds = bounds;
    d.text = text;
    d.fontName = QStringLiteral("DejaVu Sans");
    d.fontSize = 12;
    d.tag = tag;
    return d;
}

struct FlowFixture : PageFixture
{
    vztest::Sandbox sandbox;
    DialogResponder dialogs;
    QString savedFolder = programFolder();

    FlowFixture()
    {
        setProgramFolder(sandbox.path());
        sandbox.mkdir(QStringLiteral("PageLayout"));
        setPageChanged(false);
    }
    ~FlowFixture() { setProgramFolder(savedFolder); }

    QString layoutPath(const QString &name) const { return sandbox.path(QStringLiteral("PageLayout/") + name); }

    PageObjectId put(const Picture &p, const QRect &r) { return model().appendPictureAt(p, r); }
    PageObjectId putBox(const TextBoxData &d) { return page.textTool()->appendTextBox(d); }

    // Saves the page under `name` in the layout folder; true when written.
    bool save(const QString &name)
    {
        dialogs.queueFileName(layoutPath(name));
        const bool ok = page.SavePage();
        dialogs.clear();
        return ok;
    }
    bool open(const QString &path)
    {
        dialogs.queueFileName(path);
        return page.OpenPage();
    }
    QList<QRect> pictureRects()
    {
        QList<QRect> out;
        for (PageObjectId id : model().pictures())
            out << rectOf(id);
        return out;
    }
    QList<TextBoxData> boxes() const
    {
        QList<TextBoxData> out;
        for (const TTextBox *b : page.textBoxList())
            out << b->data();
        return out;
    }
    // Resizes the window until the page is `height` page pixels high.
    void setPageHeight(int height)
    {
        for (int i = 0; i < 4 && page.pnlPage()->height() != height; ++i)
            page.resize(page.width(), page.height() + height - page.pnlPage()->height());
        QCOMPARE(page.pnlPage()->height(), height);
    }
};

// Ignores SIGXFSZ and caps the size of files this process writes while it lives.
struct FileSizeLimit
{
    rlimit old{};
    void (*oldHandler)(int) = nullptr;
    bool ok = false;
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ok = getrlimit(RLIMIT_FSIZE, &old) == 0;
        rlimit lim = old;
        lim.rlim_cur = bytes;
        ok = ok && setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
};

} // namespace

class TestLayoutFlows : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void boxesRoundTrip();
    void saveNames_data();
    void saveNames();
    void openNames_data();
    void openNames();
    void headerErrorsLeaveThePage_data();
    void headerErrorsLeaveThePage();
    void bodyErrorsKeepEarlierRecords_data();
    void bodyErrorsKeepEarlierRecords();
    void clearQuestionInALoad_data();
    void clearQuestionInALoad();
    void landscapeFileOnPortraitPage();
    void landscapeFileWithoutAPrinter();
    void smallerPageScalesPictures();
    void failedSaveKeepsTheOldFile();
    void tooManyPicturesRefused();
    void menuItemsAndCtrlS_data();
    void menuItemsAndCtrlS();
};

void TestLayoutFlows::roundTrip_data()
{
    QTest::addColumn<Picture>("picture");
    QTest::addColumn<int>("kindBack");
    QTest::addColumn<QByteArray>("bytesBack"); // empty: compared by their pixels

    QImage red(6, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    QTest::newRow("bitmap") << bitmap(40, 30) << int(Picture::Kind::Bitmap) << bitmap(40, 30).saveData();
    const QByteArray jpeg = encoded(red, "JPEG");
    QTest::newRow("jpeg") << Picture::fromBytes(jpeg, Picture::Kind::Jpeg) << int(Picture::Kind::Jpeg) << jpeg;
    QTest::newRow("gif") << Picture::fromBytes(kGif, Picture::Kind::Gif) << int(Picture::Kind::Gif) << kGif;
    const Picture wmf = metafile(40, 30);
    QTest::newRow("wmf") << wmf << int(Picture::Kind::Metafile) << wmf.saveData();
    const QString emfPath = vztest::sampleMetafileDir() + QStringLiteral("test_libuemf_ref.emf");
    const QByteArray emf = readAll(emfPath);
    if (!emf.isEmpty())
        QTest::newRow("emf") << Picture::fromBytes(emf, Picture::Kind::Metafile)
                             << int(Picture::Kind::EnhancedMetafile) << emf;
    // An icon with a transparent corner: it comes back as the bitmap it shows on white.
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(QColor(0, 0, 200));
    for (int y = 0; y < 8; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(icon.scanLine(y)), 8, qRgba(0, 0, 0, 0));
    QTest::newRow("icon") << Picture::fromBytes(encoded(icon, "ICO"), Picture::Kind::Icon)
                          << int(Picture::Kind::Bitmap) << QByteArray();
}

void TestLayoutFlows::roundTrip()
{
    QFETCH(Picture, picture);
    QFETCH(int, kindBack);
    QFETCH(QByteArray, bytesBack);
    QVERIFY(!picture.isNull());

    FlowFixture f;
    const QRect at(37, 51, 123, 77);
    f.put(picture, at);
    f.put(bitmap(10, 10, Qt::green), QRect(200, 10, 20, 20));
    QVERIFY(f.save(QStringLiteral("page.VZL")));

    f.page.ClearPage();
    f.page.placePictures({bitmap(5, 5)}); // something to undo
    setPageChanged(false);
    QVERIFY(f.open(f.layoutPath(QStringLiteral("page.VZL"))));

    QCOMPARE(f.dialogs.messages(), QStringList());
    QCOMPARE(f.pictureRects(), (QList<QRect>{at, QRect(200, 10, 20, 20)}));
    const Picture back = f.model().object(f.model().pictures().first())->picture;
    QCOMPARE(int(back.kind()), kindBack);
    if (!bytesBack.isEmpty()) {
        QCOMPARE(back.kind() == Picture::Kind::Jpeg || back.kind() == Picture::Kind::Gif ? back.sourceBytes()
                                                                                           : back.saveData(),
                 bytesBack);
    } else {
        QCOMPARE(back.size(), picture.size());
        QCOMPARE(vztest::maxChannelDiff(back.render(), picture.render(QSize(), Qt::white, false)), 0);
        const QImage shown = back.render();
        QCOMPARE(shown.pixelColor(2, 2), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(12, 12), QColor(0, 0, 200));
    }
    QCOMPARE(f.page.undoStack()->count(), 0);
    QVERIFY(!pageChanged());
    QCOMPARE(WaitCursor::depth(), 0);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(f.host.log.count(QStringLiteral("showPrintPage")), 1);
    // The loaded pictures are real controls on the page, at their rectangles.
    QWidget *shownControl = f.page.control(f.model().pictures().first());
    QVERIFY(shownControl);
    QCOMPARE(shownControl->geometry(), at);
}

void TestLayoutFlows::boxesRoundTrip()
{
    FlowFixture f;
    TextBoxData a = boxData(QRect(10, 20, 150, 60), QStringLiteral("first line\r\nsecond line"), 0);
    a.bold = true;
    a.alignment = int(TextAlign::Center);
    a.borderSingle = a.borderFlag = true;
    TextBoxData b = boxData(QRect(200, 300, 90, 40), QStringLiteral("Grüße ✓"), 3);
    b.italic = b.underline = true;
    b.color = 0x0000FFu;
    b.alignment = int(TextAlign::Right);
    f.put(bitmap(20, 20), QRect(5, 5, 20, 20));
    f.putBox(a);
    f.putBox(b);
    QVERIFY(f.save(QStringLiteral("boxes.vzl")));
    const QList<TextBoxData> saved = f.boxes();

    f.page.ClearPage();
    setPageChanged(false);
    QVERIFY(f.open(f.layoutPath(QStringLiteral("boxes.vzl"))));
    QCOMPARE(f.dialogs.messages(), QStringList());
    QCOMPARE(f.boxes(), saved);
    QCOMPARE(f.boxes().at(1).tag, 3);
    QCOMPARE(f.model().pictures().size(), 1);
    // The boxes are on the page, where they were, and take the page's menu.
    for (TTextBox *box : f.page.textBoxList()) {
        QCOMPARE(box->parentWidget(), f.page.pnlPage());
        QVERIFY(box->isVisible());
    }
    QCOMPARE(f.page.textBoxList().at(0)->geometry(), a.bounds);
    QCOMPARE(f.page.undoStack()->count(), 0);
    QVERIFY(!pageChanged());
}

void TestLayoutFlows::saveNames_data()
{
    QTest::addColumn<QString>("chosen");   // empty: the dialog is cancelled
    QTest::addColumn<QByteArray>("before"); // what the written name holds before
    QTest::addColumn<int>("answer");       // to the replace question; -1 none queued
    QTest::addColumn<QString>("written");  // empty: nothing written
    QTest::addColumn<QStringList>("questions");

    const QStringList save{QStringLiteral("save")};
    QTest::newRow(".txt") << "page.txt" << QByteArray() << -1 << "page.VZL" << save;
    QTest::newRow("no suffix") << "page" << QByteArray() << -1 << "page.VZL" << save;
    QTest::newRow(".vzl stays") << "page.vzl" << QByteArray() << -1 << "page.vzl" << save;
    QTest::newRow("last suffix only") << "my.page.txt" << QByteArray() << -1 << "my.page.VZL" << save;
    QTest::newRow("cancel") << "" << QByteArray() << -1 << "" << save;
    QTest::newRow("replace yes") << "page.VZL" << QByteArray("old") << int(MsgResult::Yes) << "page.VZL"
                                 << QStringList{QStringLiteral("save"), kReplace};
    QTest::newRow("replace no") << "page.txt" << QByteArray("old") << int(MsgResult::No) << ""
                                << QStringList{QStringLiteral("save"), kReplace};
}

void TestLayoutFlows::saveNames()
{
    QFETCH(QString, chosen);
    QFETCH(QByteArray, before);
    QFETCH(int, answer);
    QFETCH(QString, written);
    QFETCH(QStringList, questions);

    FlowFixture f;
    f.put(bitmap(20, 10), QRect(1, 2, 20, 10));
    const QString target = f.layoutPath(written.isEmpty() ? QStringLiteral("page.VZL") : written);
    if (!before.isEmpty())
        f.sandbox.write(QStringLiteral("PageLayout/") + QFileInfo(target).fileName(), before);
    if (!chosen.isEmpty())
        f.dialogs.queueFileName(f.layoutPath(chosen));
    if (answer >= 0)
        f.dialogs.queueResult(MsgResult(answer));
    setPageChanged(true);

    QCOMPARE(f.page.SavePage(), !written.isEmpty());
    QCOMPARE(asked(f.dialogs), questions);
    const DialogRequest &dialog = f.dialogs.requests().first();
    QCOMPARE(QDir::cleanPath(dialog.folder), QDir::cleanPath(f.sandbox.path(QStringLiteral("PageLayout"))));
    QVERIFY2(!dialog.overwriteQuestion, "the page asks its own question");
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("VZL"));
    QVERIFY(dialog.filter.startsWith(QStringLiteral("VZ Layout (")));
    QVERIFY(dialog.filter.contains(QStringLiteral("*.[Vv][Zz][Ll]")));
    // Saving alone leaves the page-changed flag to the caller.
    QVERIFY(pageChanged());

    const QStringList files = QDir(f.layoutPath(QString())).entryList(QDir::Files);
    if (written.isEmpty()) {
        QCOMPARE(files, before.isEmpty() ? QStringList() : QStringList{QFileInfo(target).fileName()});
        if (!before.isEmpty())
            QCOMPARE(readAll(target), before);
        return;
    }
    QCOMPARE(files, QStringList{written});
    const QByteArray bytes = readAll(target);
    QCOMPARE(judgeLayoutHeader(bytes.size(), bytes.first(qMin<qsizetype>(14, bytes.size()))),
             DecodedLayout::Status::Ok);
    const DecodedLayout d = decodeLayout(bytes, 96);
    QCOMPARE(d.status, DecodedLayout::Status::Ok);
    QCOMPARE(d.pictures.size(), 1);
}

void TestLayoutFlows::openNames_data()
{
    QTest::addColumn<QStringList>("chosen"); // in order; then Cancel
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("shows"); // of the print page

    const QString open = QStringLiteral("open");
    QTest::newRow("cancel") << QStringList() << QStringList{open} << false << 0;
    QTest::newRow(".txt asks again") << QStringList{"good.txt"} << QStringList{open, kNotLayout, open} << false << 1;
    QTest::newRow("no suffix asks again") << QStringList{"good"} << QStringList{open, kNotLayout, open} << false << 1;
    QTest::newRow("then a layout") << QStringList{"good.txt", "good.VZL"} << QStringList{open, kNotLayout, open}
                                   << true << 2;
    QTest::newRow("any case") << QStringList{"good.vZl"} << QStringList{open} << true << 1;
    QTest::newRow("missing") << QStringList{"gone.VZL"}
                             << QStringList{open, QStringLiteral("The file you requested does not exist.")} << false
                             << 1;
}

void TestLayoutFlows::openNames()
{
    QFETCH(QStringList, chosen);
    QFETCH(QStringList, questions);
    QFETCH(bool, loaded);
    QFETCH(int, shows);

    FlowFixture f;
    f.put(bitmap(30, 30), QRect(0, 0, 30, 30));
    f.put(bitmap(30, 30), QRect(40, 0, 30, 30));
    QVERIFY(f.save(QStringLiteral("good.VZL")));
    for (const QString &ext : {QStringLiteral("good.txt"), QStringLiteral("good"), QStringLiteral("good.vZl")})
        QVERIFY(QFile::copy(f.layoutPath(QStringLiteral("good.VZL")), f.layoutPath(ext)));
    f.page.ClearPage();
    const PageObjectId kept = f.put(bitmap(8, 8), QRect(5, 5, 8, 8));
    setPageChanged(false);

    for (const QString &name : chosen)
        f.dialogs.queueFileName(f.layoutPath(name));
    QCOMPARE(f.page.OpenPage(), loaded);
    QCOMPARE(asked(f.dialogs), questions);
    QCOMPARE(f.host.log.count(QStringLiteral("showPrintPage")), shows);
    QCOMPARE(QDir::cleanPath(f.dialogs.requests().first().folder),
             QDir::cleanPath(f.sandbox.path(QStringLiteral("PageLayout"))));
    if (loaded)
        QCOMPARE(f.model().pictures().size(), 2);
    else
        QCOMPARE(f.model().pictures(), QList<PageObjectId>{kept});
}

void TestLayoutFlows::headerErrorsLeaveThePage_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    PageLayout one;
    one.pictures = {{bitmap(4, 4), QRect(0, 0, 4, 4)}};
    const QByteArray good = encodeLayout(one);
    QByteArray longer = good + 'x';
    QTest::newRow("one byte more") << longer << kHeaderMessage;
    QTest::newRow("one byte less") << good.chopped(1) << kHeaderMessage;
    QByteArray vy = good;
    vy[5] = 'Y';
    QTest::newRow("VY") << vy << kHeaderMessage;
    QTest::newRow("empty") << QByteArray() << kHeaderMessage;
    QTest::newRow("13 bytes") << good.first(13) << kHeaderMessage;
    QByteArray v2 = good;
    qToLittleEndian(qint64(2), v2.data() + 6);
    QTest::newRow("version 2") << v2
                               << QStringLiteral("This version of ZO Dodiduv cannot open the file specified.\n"
                                                 "It requires version 2.00.");
}

void TestLayoutFlows::headerErrorsLeaveThePage()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);

    FlowFixture f;
    f.page.placePictures({bitmap(20, 20)});
    const QList<QRect> before = f.pictureRects();
    QVERIFY(pageChanged());
    const QString path = f.sandbox.write(QStringLiteral("PageLayout/bad.VZL"), file);
    // Changed, the page would ask before clearing: a header error asks nothing.
    QVERIFY(!f.open(path));
    QCOMPARE(asked(f.dialogs), (QStringList{QStringLiteral("open"), message}));
    QCOMPARE(f.dialogs.requests().last().icon, MsgIcon::Information);
    QCOMPARE(f.pictureRects(), before);
    QCOMPARE(f.page.undoStack()->count(), 1);
    QVERIFY(pageChanged());
    QCOMPARE(WaitCursor::depth(), 0);
}

void TestLayoutFlows::bodyErrorsKeepEarlierRecords_data()
{
    QTest::addColumn<QString>("record"); // where the damage is: pic1, pic2, box1, box2
    QTest::addColumn<int>("offset");     // from that record's start
    QTest::addColumn<bool>("cut");       // the file ends there (length fixed) or an int32 is patched
    QTest::addColumn<qint32>("patch");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("boxes");

    QTest::newRow("cut in the second picture") << "pic2" << 20 << true << 0 << 1 << 0;
    QTest::newRow("cut in the second box") << "box2" << 20 << true << 0 << 2 << 1;
    QTest::newRow("negative data length") << "pic1" << 8 << false << -5 << 0 << 0;
    QTest::newRow("data past the end") << "pic2" << 8 << false << 0x7ffffff0 << 1 << 0;
    QTest::newRow("first kind 7") << "pic1" << 4 << false << 7 << 0 << 0;
    QTest::newRow("second box not TPF0") << "box2" << 12 << false << 0x30465055 << 2 << 1;
    QTest::newRow("negative box count") << "box1" << 4 << false << -1 << 2 << 0;
}

void TestLayoutFlows::bodyErrorsKeepEarlierRecords()
{
    QFETCH(QString, record);
    QFETCH(int, offset);
    QFETCH(bool, cut);
    QFETCH(qint32, patch);
    QFETCH(int, pictures);
    QFETCH(int, boxes);

    FlowFixture f;
    f.put(bitmap(10, 10), QRect(0, 0, 10, 10));
    f.put(bitmap(10, 10), QRect(20, 0, 10, 10));
    f.putBox(boxData(QRect(10, 10, 80, 30), QStringLiteral("one"), 0));
    f.putBox(boxData(QRect(10, 50, 80, 30), QStringLiteral("two"), 1));
    QVERIFY(f.save(QStringLiteral("page.VZL")));
    QByteArray bytes = readAll(f.layoutPath(QStringLiteral("page.VZL")));
    QCOMPARE(decodeLayout(bytes, 96).boxes.size(), 2);

    auto at = [&bytes](qsizetype pos) { return qFromLittleEndian<qint32>(bytes.constData() + pos); };
    const qsizetype pic1 = 18;
    const qsizetype pic2 = pic1 + 12 + at(pic1 + 8) + 32;
    const qsizetype box1 = pic2 + 12 + at(pic2 + 8) + 32;
    const qsizetype box2 = box1 + 12 + at(box1 + 8);
    QCOMPARE(at(box1), kLayoutTextBoxMarker);
    QCOMPARE(at(box2), kLayoutTextBoxMarker);
    const QHash<QString, qsizetype> starts{{"pic1", pic1}, {"pic2", pic2}, {"box1", box1}, {"box2", box2}};
    const qsizetype pos = starts.value(record) + offset;
    if (cut)
        bytes.truncate(pos);
    else
        qToLittleEndian(patch, bytes.data() + pos);
    qToLittleEndian(qint32(bytes.size()), bytes.data());
    const QString path = f.sandbox.write(QStringLiteral("PageLayout/damaged.VZL"), bytes);

    f.page.ClearPage();
    f.page.placePictures({bitmap(6, 6)});
    f.dialogs.queueResult(MsgResult::No); // don't save before clearing
    QVERIFY(f.open(path));
    QCOMPARE(asked(f.dialogs), (QStringList{QStringLiteral("open"), kSaveBeforeClear, kBodyMessage}));
    QCOMPARE(f.model().pictures().size(), pictures);
    QCOMPARE(f.page.textBoxList().size(), boxes);
    if (boxes > 0)
        QCOMPARE(f.page.textBoxList().first()->text(), QStringLiteral("one"));
    QCOMPARE(f.page.undoStack()->count(), 0);
    QVERIFY(!pageChanged());
    QCOMPARE(WaitCursor::depth(), 0);
}

void TestLayoutFlows::clearQuestionInALoad_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs"); // at a Yes; empty: the save dialog is cancelled
    QTest::addColumn<bool>("loaded");

    QTest::newRow("cancel") << int(MsgResult::Cancel) << QString() << false;
    QTest::newRow("no") << int(MsgResult::No) << QString() << true;
    QTest::newRow("yes, save cancelled") << int(MsgResult::Yes) << QString() << false;
    QTest::newRow("yes, saved") << int(MsgResult::Yes) << QStringLiteral("before.VZL") << true;
    QTest::newRow("yes, save fails") << int(MsgResult::Yes) << QStringLiteral("no folder/before.VZL") << false;
}

void TestLayoutFlows::clearQuestionInALoad()
{
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, loaded);

    FlowFixture f;
    f.put(bitmap(10, 10), QRect(0, 0, 10, 10));
    QVERIFY(f.save(QStringLiteral("file.VZL")));
    f.page.ClearPage();
    f.page.placePictures({bitmap(30, 20)});
    f.page.placePictures({bitmap(30, 20)});
    const QList<QRect> before = f.pictureRects();
    const int steps = f.page.undoStack()->count();
    QVERIFY(pageChanged());

    f.dialogs.queueFileName(f.layoutPath(QStringLiteral("file.VZL")));
    f.dialogs.queueResult(MsgResult(answer));
    if (!saveAs.isEmpty())
        f.dialogs.queueFileName(f.layoutPath(saveAs));
    QCOMPARE(f.page.OpenPage(), loaded);
    QStringList expected{QStringLiteral("open"), kSaveBeforeClear};
    if (answer == int(MsgResult::Yes))
        expected << QStringLiteral("save");
    const bool saveFails = saveAs.contains(QLatin1Char('/'));
    if (saveFails)
        expected << QStringLiteral("Cannot create file \"%1\". ").arg(f.layoutPath(saveAs));
    QStringList got = asked(f.dialogs);
    if (saveFails && got.size() == expected.size()) // the system's reason follows
        got.last() = got.last().left(expected.last().size());
    QCOMPARE(got, expected);
    if (loaded) {
        QCOMPARE(f.pictureRects(), QList<QRect>{QRect(0, 0, 10, 10)});
        QVERIFY(!pageChanged());
        QCOMPARE(f.page.undoStack()->count(), 0);
    } else {
        QCOMPARE(f.pictureRects(), before);
        QVERIFY(pageChanged());
        QCOMPARE(f.page.undoStack()->count(), steps);
    }
    if (!saveAs.isEmpty() && !saveFails) {
        // The page saved before clearing is the one that was there.
        const QByteArray saved = readAll(f.layoutPath(saveAs));
        QCOMPARE(decodeLayout(saved, 96).pictures.size(), 2);
    }
}

void TestLayoutFlows::landscapeFileOnPortraitPage()
{
    FlowFixture f;
    f.printer.setPageOrientation(QPageLayout::Landscape);
    f.page.RefreshPage();
    QVERIFY(f.page.pnlPage()->width() > f.page.pnlPage()->height());
    const PageGeometry landscape = f.model().geometry();
    const QRect at(100, 60, 150, 90);
    f.put(bitmap(30, 20), at);
    f.putBox(boxData(QRect(300, 200, 100, 40), QStringLiteral("box"), 0));
    QVERIFY(f.save(QStringLiteral("wide.VZL")));

    f.page.ClearPage();
    f.printer.setPageOrientation(QPageLayout::Portrait);
    f.page.RefreshPage();
    QVERIFY(f.page.pnlPage()->width() < f.page.pnlPage()->height());
    QVERIFY(f.model().geometry().ppiX != landscape.ppiX);
    setPageChanged(false);

    QVERIFY(f.open(f.layoutPath(QStringLiteral("wide.VZL"))));
    QCOMPARE(f.printer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(f.page.pnlPage()->width() > f.page.pnlPage()->height());
    QCOMPARE(f.model().geometry().ppiX, landscape.ppiX);
    // Placed on the turned page: not rescaled by the turn afterwards.
    QCOMPARE(f.pictureRects(), QList<QRect>{at});
    QCOMPARE(f.boxes().first().bounds, QRect(300, 200, 100, 40));
}

void TestLayoutFlows::landscapeFileWithoutAPrinter()
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("a printer is installed: the page takes its page");
    vztest::Sandbox sandbox;
    PageLayout wide;
    wide.landscape = true;
    wide.pictures = {{bitmap(10, 10), QRect(96, 48, 96, 96)}};
    const QString path = sandbox.write(QStringLiteral("wide.VZL"), encodeLayout(wide));
    DialogResponder dialogs;
    setPageChanged(false);
    TfrmPrint page; // with the page's own printer
    page.resize(900, 700);
    page.show();
    QVERIFY(page.pnlPage()->width() < page.pnlPage()->height());
    QVERIFY(page.ReadLayoutFile(path));
    QCOMPARE(dialogs.messages(), QStringList());
    QCOMPARE(page.printer()->pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(page.pnlPage()->width() > page.pnlPage()->height());
    const PageGeometry &g = page.model().geometry();
    QCOMPARE(page.model().object(page.model().pictures().first())->rect, QRect(g.ppiX, roundHalfEven(g.ppiY / 2.0), g.ppiX, g.ppiY));
}

void TestLayoutFlows::smallerPageScalesPictures()
{
    FlowFixture f;
    f.setPageHeight(500);
    const PageGeometry big = f.model().geometry();
    const QRect at(40, 100, 200, 150);
    const QRect box(30, 300, 120, 50);
    f.put(bitmap(20, 15), at);
    f.putBox(boxData(box, QStringLiteral("kept"), 0));
    QVERIFY(f.save(QStringLiteral("big.VZL")));

    f.page.ClearPage();
    f.setPageHeight(400);
    const PageGeometry small = f.model().geometry();
    setPageChanged(false);
    QVERIFY(f.open(f.layoutPath(QStringLiteral("big.VZL"))));
    QCOMPARE(f.dialogs.messages(), QStringList());

    const QRect got = f.pictureRects().first();
    DecodedPicture inches;
    inches.top = double(at.top()) / big.ppiY;
    inches.left = double(at.left()) / big.ppiX;
    inches.height = double(at.height()) / big.ppiY;
    inches.width = double(at.width()) / big.ppiX;
    QCOMPARE(got, *layoutPictureRect(inches, small.ppiX, small.ppiY));
    // About 4/5 of what it was (the pixels per inch are whole numbers).
    const int expected[4] = {at.left() * 4 / 5, at.top() * 4 / 5, at.width() * 4 / 5, at.height() * 4 / 5};
    const int actual[4] = {got.left(), got.top(), got.width(), got.height()};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(qAbs(actual[i] - expected[i]) <= qMax(2, expected[i] / 40),
                 qPrintable(QStringLiteral("%1 vs %2").arg(actual[i]).arg(expected[i])));
    QCOMPARE(f.boxes().first().bounds, box);
}

void TestLayoutFlows::failedSaveKeepsTheOldFile()
{
    FlowFixture f;
    const QByteArray old("the old file stays whole");
    const QString path = f.sandbox.write(QStringLiteral("PageLayout/page.VZL"), old);
    f.put(bitmap(300, 200), QRect(0, 0, 300, 200)); // far over the limit below
    {
        FileSizeLimit limit(4096);
        if (!limit.ok)
            QSKIP("cannot limit file sizes here");
        f.dialogs.queueFileName(path);
        f.dialogs.queueResult(MsgResult::Yes);
        QVERIFY(!f.page.SavePage());
    }
    QCOMPARE(f.dialogs.requests().size(), 3);
    const DialogRequest &report = f.dialogs.requests().last();
    QCOMPARE(report.icon, MsgIcon::Error);
    QVERIFY2(report.text.startsWith(QStringLiteral("Cannot create file \"%1\".").arg(path)), qPrintable(report.text));
    QCOMPARE(readAll(path), old);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(f.layoutPath(QString())).entryList(QDir::Files | QDir::Hidden), QStringList{"page.VZL"});
    QCOMPARE(WaitCursor::depth(), 0);
    QVERIFY(!QGuiApplication::overrideCursor());

    // Without the limit the same save goes through.
    f.dialogs.clear();
    f.dialogs.queueFileName(path);
    f.dialogs.queueResult(MsgResult::Yes);
    QVERIFY(f.page.SavePage());
    QCOMPARE(decodeLayout(readAll(path), 96).status, DecodedLayout::Status::Ok);
}

// A count past 4500 would read back as a marker: such a page is refused
// whole, with the reason, and nothing is written.
void TestLayoutFlows::tooManyPicturesRefused()
{
    FlowFixture f;
    const Picture dot = bitmap(4, 4);
    for (int i = 0; i <= kMaxLayoutPictures; ++i)
        f.put(dot, QRect(i % 100, i / 100, 4, 4));
    f.dialogs.queueFileName(f.layoutPath(QStringLiteral("many.VZL")));
    QVERIFY(!f.page.SavePage());
    QCOMPARE(f.dialogs.messages(), QStringList{"This page has too many pictures to be saved."});
    QVERIFY(!QFileInfo::exists(f.layoutPath(QStringLiteral("many.VZL"))));
    QCOMPARE(WaitCursor::depth(), 0);
}

void TestLayoutFlows::menuItemsAndCtrlS_data()
{
    QTest::addColumn<QString>("item"); // empty: the key
    QTest::addColumn<int>("dialog");

    QTest::newRow("Save Page item") << "Save Page (Ctrl + S)" << int(DialogRequest::SaveFile);
    QTest::newRow("Open Page item") << "Open Page (Crtl + E)" << int(DialogRequest::OpenFile);
    QTest::newRow("Ctrl+S") << "" << int(DialogRequest::SaveFile);
}

void TestLayoutFlows::menuItemsAndCtrlS()
{
    QFETCH(QString, item);
    QFETCH(int, dialog);

    FlowFixture f;
    if (item.isEmpty()) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
        f.page.FormKeyDown(&key);
    } else {
        QAction *action = nullptr;
        for (QAction *a : f.page.popupMenu()->actions())
            if (a->text() == item)
                action = a;
        QVERIFY(action);
        action->trigger();
    }
    QCOMPARE(f.dialogs.requests().size(), 1);
    QCOMPARE(int(f.dialogs.requests().first().kind), dialog);
    QVERIFY(f.dialogs.requests().first().filter.contains(QStringLiteral("*.[Vv][Zz][Ll]")));
}

QTEST_MAIN(TestLayoutFlows)
#include "tst_layoutflows.moc"
