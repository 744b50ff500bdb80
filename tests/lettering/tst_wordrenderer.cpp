#include "common/VzError.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/Letters.h"
#include "lettering/WordRenderer.h"
#include "metafile/WmfGenerator.h"

#include <QPainter>
#include <QProcess>

#include "lettertestutils.h"

using namespace vz;
using namespace lettertest;

class TestWordRenderer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typedWord_data();
    void typedWord();
    void typedWordTopAligned();
    void composition_data();
    void composition();
    void compositionFailsOnMissingFile();
    void preview_data();
    void preview();
    void writesOnlyIntoExistingFolders();
    void metafileWord();
    void compositionDrawsMetafileLetters();
    void vztoolRenders();
    void drawingNothing_data();
    void drawingNothing();
};

namespace {

// Binds letters of the given sizes (name -> size) through a character map.
struct Bound
{
    vztest::Sandbox box;
    CharacterMap map;
    QStringList allowed;
    Bound(const QList<Letter> &letters, const QByteArray &characters = kCharacters)
    {
        map.load(box.write("characters", characters));
        const QString folder = writeAlphabet(box, "abc", "CA", letters);
        LoadAlphabetLetters(map, letterFiles(folder), allowed);
    }
};

} // namespace

void TestWordRenderer::typedWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::newRow("unknown characters only") << "xyz?" << QSize(0, 0);
    QTest::newRow("letters") << "AB" << QSize(50, 60);
    QTest::newRow("repeated letter") << "AAA" << QSize(60, 40);
    QTest::newRow("unknown skipped, takes no room") << "AxB" << QSize(50, 60);
    QTest::newRow("space without space letter") << "A B" << QSize(50, 60);
    QTest::newRow("empty") << "" << QSize(0, 0);
}

void TestWordRenderer::typedWord()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);
    Bound b({{"A", 20, 40, Qt::red}, {"B", 30, 60, Qt::blue}});
    const QImage word = renderTypedWordBitmap(text, b.map);
    QCOMPARE(QSize(word.width(), word.height()), size);
}

void TestWordRenderer::typedWordTopAligned()
{
    Bound b({{"A", 20, 40, Qt::red}, {"B", 30, 60, Qt::blue}, {"SPACE", 10, 60, Qt::green}});
    const QImage word = renderTypedWordBitmap("A B", b.map);
    QCOMPARE(word.size(), QSize(60, 60));
    QCOMPARE(word.pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(word.pixelColor(5, 45), QColor(Qt::white)); // below the shorter letter
    QCOMPARE(word.pixelColor(25, 45), QColor(Qt::green)); // the space letter
    QCOMPARE(word.pixelColor(40, 59), QColor(Qt::blue));
}

void TestWordRenderer::composition_data()
{
    QTest::addColumn<QStringList>("entries"); // letter names or NewLine
    QTest::addColumn<int>("lineSpace");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("secondLineTop"); // -1: not checked
    // A second line as wide as the first makes the picture one letter wider.
    QTest::newRow("two lines, line space 30") << QStringList{"A", "NewLine", "A"} << 30 << QSize(100, 100) << 50;
    QTest::newRow("line space 0 overlaps") << QStringList{"A", "NewLine", "A"} << 0 << QSize(100, 70) << 20;
    QTest::newRow("line space 150") << QStringList{"A", "NewLine", "A"} << 150 << QSize(100, 220) << 170;
    QTest::newRow("width rule 40+40 / 45+45") << QStringList{"B", "B", "NewLine", "C", "C"} << 30 << QSize(125, 100) << -1;
    QTest::newRow("leading line break, 30") << QStringList{"NewLine", "A"} << 30 << QSize(50, 50) << -1;
    QTest::newRow("leading line break, 0") << QStringList{"NewLine", "A"} << 0 << QSize(50, 50) << -1;
    QTest::newRow("line breaks only") << QStringList{"NewLine", "NewLine"} << 10 << QSize(0, 0) << -1;
}

void TestWordRenderer::composition()
{
    QFETCH(QStringList, entries);
    QFETCH(int, lineSpace);
    QFETCH(QSize, size);
    QFETCH(int, secondLineTop);
    vztest::Sandbox box;
    const QString folder = writeAlphabet(box, "abc", "CA",
                                         {{"A", 50, 50, Qt::red}, {"B", 40, 50, Qt::blue}, {"C", 45, 50, Qt::green}});
    QStringList paths;
    for (const QString &e : entries)
        paths << (e == "NewLine" ? e : folder + "Bab_" + e + ".bmp");
    const QImage picture = renderCompositionBitmap(paths, lineSpace);
    QCOMPARE(QSize(picture.width(), picture.height()), size);
    if (secondLineTop >= 0) {
        QCOMPARE(picture.pixelColor(10, secondLineTop), QColor(Qt::red));
        if (secondLineTop > 50)
            QCOMPARE(picture.pixelColor(10, secondLineTop - 1), QColor(Qt::white));
    }
    if (size == QSize(125, 100)) // a white margin right of the widest line
        QCOMPARE(picture.pixelColor(110, 10), QColor(Qt::white));
}

void TestWordRenderer::compositionFailsOnMissingFile()
{
    QVERIFY_THROWS_EXCEPTION(VzError, renderCompositionBitmap({"/nonexistent/x.bmp"}, 30));
}

void TestWordRenderer::preview_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("drawn");
    QTest::newRow("28.5 to 28") << 57 << 28;
    QTest::newRow("29.5 to 30") << 59 << 30;
}

void TestWordRenderer::preview()
{
    QFETCH(int, width);
    QFETCH(int, drawn);
    Bound b({{"A", width, 114, Qt::red}});
    const QImage img = DrawWordPreview("AA", b.map, 57);
    QCOMPARE(img.size(), QSize(2 * drawn, 57));
    QVERIFY(DrawWordPreview("", b.map, 57).isNull());
}

void TestWordRenderer::writesOnlyIntoExistingFolders()
{
    Bound b({{"A", 20, 40, Qt::red}});
    const QString file = b.box.path("word.bmp");
    RenderTypedWord("AA", b.map, WordKind::Bitmap, false, file);
    QImage back(file);
    QCOMPARE(back.size(), QSize(40, 40));
    RenderTypedWord("AA", b.map, WordKind::Bitmap, false, b.box.path("missing/word.bmp"));
    QVERIFY(!QFile::exists(b.box.path("missing/word.bmp")));
}

namespace {

// A metafile letter of w x h pixels at 96 per inch: a filled rectangle.
QByteArray wmfLetter(int w, int h, const QColor &c)
{
    vz::mf::WmfGenerator gen;
    gen.setSize(QSize(w, h));
    {
        QPainter p(&gen);
        p.fillRect(QRect(0, 0, w, h), c);
    }
    return gen.data();
}

} // namespace

void TestWordRenderer::metafileWord()
{
    vztest::Sandbox box;
    CharacterMap map;
    map.load(box.write("characters", kCharacters));
    // Letters about 2 cm wide (76 pixels at 96 per inch).
    box.write("wmf/Bab_A.wmf", wmfLetter(76, 38, Qt::red));
    box.write("wmf/Bab_B.wmf", wmfLetter(76, 38, Qt::blue));
    QStringList allowed;
    LoadAlphabetLetters(map, letterFiles(box.path("wmf")), allowed);
    const Picture a = *LetterPicture(*map.letter("65"));
    QVERIFY(qAbs(a.physicalSize().width() - 2000) < 30);
    const Picture word = renderTypedWordMetafile("AB", map, 96);
    QCOMPARE(word.kind(), Picture::Kind::Metafile);
    const int sum = 2 * a.physicalSize().width();
    QVERIFY2(qAbs(word.physicalSize().width() - sum / 2) < sum / 20, qPrintable(QString::number(word.physicalSize().width())));
    // Written as a placeable metafile that reads back and draws both letters.
    const QString file = box.path("word.wmf");
    RenderTypedWord("AB", map, WordKind::Metafile, false, file);
    const Picture back = Picture::fromFile(file);
    QCOMPARE(back.kind(), Picture::Kind::Metafile);
    const QImage img = back.render(QSize(152, 38));
    QCOMPARE(img.pixelColor(30, 19), QColor(Qt::red));
    QCOMPARE(img.pixelColor(120, 19), QColor(Qt::blue));
}

void TestWordRenderer::compositionDrawsMetafileLetters()
{
    vztest::Sandbox box;
    const QString a = box.write("Bab_A.wmf", wmfLetter(40, 20, Qt::red));
    const QImage pic = renderCompositionBitmap({a, a}, 30);
    QCOMPARE(pic.size(), QSize(80, 20));
    QCOMPARE(pic.pixelColor(60, 10), QColor(Qt::red));
}

void TestWordRenderer::vztoolRenders()
{
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR) + "/vztool";
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    vztest::Sandbox box;
    box.write("characters", kCharacters);
    const QString folder = writeAlphabet(box, "abc", "CA", {{"A", 20, 40, Qt::red}, {"B", 30, 60, Qt::blue}});
    auto run = [&](const QStringList &args) {
        QProcess p;
        p.start(tool, args);
        p.waitForFinished(60000);
        return p.exitCode();
    };
    QCOMPARE(run({"render", "word", "--characters", box.path("characters"), "--alphabet", folder, "ABx", box.path("w.bmp")}), 0);
    QCOMPARE(QImage(box.path("w.bmp")).size(), QSize(50, 60));
    QCOMPARE(run({"render", "mix", "--line-space", "0", box.path("m.bmp"), folder + "Bab_A.bmp", "NewLine", folder + "Bab_B.bmp"}), 0);
    QCOMPARE(QImage(box.path("m.bmp")).size(), QSize(50, 60));
    // An unreadable entry, bad arguments.
    QCOMPARE(run({"render", "mix", box.path("m2.bmp"), box.path("missing.bmp")}), 1);
    QCOMPARE(run({"render", "word", "A"}), 2);
}

// A text without letters, or a composition of line breaks only, draws
// nothing: no file, no clipboard, and vztool fails leaving OUT untouched.
void TestWordRenderer::drawingNothing_data()
{
    QTest::addColumn<QStringList>("args"); // after "render"; "OUT" stands for the output file
    QTest::addColumn<int>("kind");         // for RenderTypedWord; -1: a composition
    QTest::newRow("bitmap word, unknown characters") << QStringList{"word", "xyz?", "OUT"} << int(WordKind::Bitmap);
    QTest::newRow("bitmap word, mapped but no letter") << QStringList{"word", "!!", "OUT"} << int(WordKind::Bitmap);
    QTest::newRow("metafile word") << QStringList{"word", "--kind", "metafile", "xyz", "OUT"} << int(WordKind::Metafile);
    QTest::newRow("line breaks only") << QStringList{"mix", "OUT", "NewLine", "NewLine"} << -1;
    QTest::newRow("line breaks, wide line space") << QStringList{"mix", "--line-space", "150", "OUT", "NewLine"} << -1;
}

void TestWordRenderer::drawingNothing()
{
    QFETCH(QStringList, args);
    QFETCH(int, kind);
    Bound b({{"A", 20, 40, Qt::red}});
    const QString out = b.box.path("out.bin");
    if (kind >= 0) {
        const QString text = args.at(args.size() - 2);
        QVERIFY(!typedWordDraws(text, b.map));
        QVERIFY(typedWordDraws(text + "A", b.map));
        RenderTypedWord(text, b.map, WordKind(kind), false, out);
    } else {
        const int space = args.contains("--line-space") ? 150 : 30;
        QVERIFY(RenderComposition(args.mid(args.indexOf("OUT") + 1), space, false, out).isNull());
    }
    QVERIFY(!QFile::exists(out));

    const QString tool = QStringLiteral(VZ_PROGRAM_DIR) + "/vztool";
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    const QByteArray older("an older result");
    b.box.write("out.bin", older);
    QStringList full{"render", args.first()};
    if (kind >= 0)
        full << "--characters" << b.box.path("characters") << "--alphabet" << b.box.path("abc");
    for (const QString &a : args.mid(1))
        full << (a == "OUT" ? out : a);
    QProcess p;
    p.start(tool, full);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(p.readAllStandardError().contains("draws nothing"), "no message on stderr");
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), older); // untouched
}

QTEST_MAIN(TestWordRenderer)
#include "tst_wordrenderer.moc"
