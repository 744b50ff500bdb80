#include "imagesets/MemTable.h"
#include "shell/TourScript.h"

#include "testutils.h"

#include <QBuffer>
#include <QImage>

using namespace vz;

namespace {

using Codes = QList<int>; // three codes per step, steps one after another

struct Recorder : TourActions
{
    QStringList log;
    void perform(int code, const QString &methodText) override
    {
        log.append(methodText.isEmpty() ? QString::number(code) : QStringLiteral("%1:%2").arg(code).arg(methodText));
    }
    void missTyped(int code) override { log.append(QStringLiteral("miss %1").arg(code)); }
};

QList<FieldDef> tourFields()
{
    return TourScript().table().fields();
}

// A tour file of steps whose codes come three by three from `codes`.
QByteArray tourFile(const Codes &codes, const QString &methodText = QString(), const QByteArray &picture = QByteArray())
{
    MemTable t(tourFields());
    for (int i = 0; i + 2 < codes.size(); i += 3) {
        const int r = t.appendRecord();
        t.setText(r, t.fieldIndex("TourTitle"), QStringLiteral("Step %1").arg(r + 1));
        t.setText(r, t.fieldIndex("TourText"), QStringLiteral("Text %1").arg(r + 1));
        t.setInteger(r, t.fieldIndex("TourMethodint"), codes[i]);
        t.setInteger(r, t.fieldIndex("TourMethodint2"), codes[i + 1]);
        t.setInteger(r, t.fieldIndex("TourMethodint3"), codes[i + 2]);
        if (!methodText.isEmpty())
            t.setText(r, t.fieldIndex("TourMeathodText"), methodText);
        if (!picture.isEmpty())
            t.setBlob(r, t.fieldIndex("TourImage"), picture);
    }
    return t.saveToBytes();
}

QByteArray bmpBytes()
{
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return out;
}

} // namespace

class TestTourScript : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pressesRunSteps_data();
    void pressesRunSteps();
    void stepFieldsAndText();
    void badTourFiles_data();
    void badTourFiles();
    void handWrittenFile();
};

void TestTourScript::pressesRunSteps_data()
{
    QTest::addColumn<Codes>("codes");
    QTest::addColumn<int>("presses");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QList<bool>>("results"); // next()'s answers, press by press
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("pastEnd");
    // The first step's actions never run; a one-step tour runs it on the first
    // press (standing past its end) and closes on the second.
    QTest::newRow("one step") << Codes{1, 2, 3} << 2 << QStringList{"1", "2", "3"} << QList<bool>{true, false} << 0
                              << true;
    QTest::newRow("copy twice") << Codes{0, 0, 0, 8, 0, 21} << 1 << QStringList{"8", "21"} << QList<bool>{true} << 1
                                << false;
    // Past the end the last step runs again, then the tour closes.
    QTest::newRow("past end") << Codes{0, 0, 0, 4, 0, 0} << 3 << QStringList{"4", "4"}
                              << QList<bool>{true, true, false} << 1 << true;
    // 32 goes back: the rest of the codes are read from the first step.
    QTest::newRow("back to first") << Codes{1, 2, 3, 32, 5, 6} << 1 << QStringList{"2", "3"} << QList<bool>{true} << 0
                                   << false;
    // A last step of 32 starts over rather than standing past the end.
    QTest::newRow("last step starts over") << Codes{0, 0, 0, 32, 0, 0} << 3 << QStringList{}
                                           << QList<bool>{true, true, true} << 0 << false;
    QTest::newRow("miss-typed") << Codes{0, 0, 0, 99, 1, -4} << 1 << QStringList{"miss 99", "1", "miss -4"}
                                << QList<bool>{true} << 1 << false;
    QTest::newRow("edges of the range") << Codes{0, 0, 0, 35, 29, 36} << 1 << QStringList{"35", "miss 36"}
                                        << QList<bool>{true} << 1 << false;
}

void TestTourScript::pressesRunSteps()
{
    QFETCH(Codes, codes);
    QFETCH(int, presses);
    QFETCH(QStringList, log);
    QFETCH(QList<bool>, results);
    QFETCH(int, current);
    QFETCH(bool, pastEnd);
    TourScript tour;
    tour.loadFromBytes(tourFile(codes));
    QCOMPARE(tour.stepCount(), int(codes.size() / 3));
    QCOMPARE(tour.current(), 0);
    Recorder rec;
    QList<bool> got;
    for (int i = 0; i < presses; ++i)
        got.append(tour.next(rec));
    QCOMPARE(got, results);
    QCOMPARE(rec.log, log);
    QCOMPARE(tour.current(), current);
    QCOMPARE(tour.pastEnd(), pastEnd);
}

void TestTourScript::stepFieldsAndText()
{
    TourScript tour;
    tour.loadFromBytes(tourFile({0, 0, 0, 6, 25, 0}, QStringLiteral("Hello"), bmpBytes()));
    QCOMPARE(tour.title(), QStringLiteral("Step 1"));
    QCOMPARE(tour.text(), QStringLiteral("Text 1"));
    QCOMPARE(tour.image().kind(), Picture::Kind::Bitmap);
    Recorder rec;
    QVERIFY(tour.next(rec));
    QCOMPARE(tour.title(), QStringLiteral("Step 2"));
    QCOMPARE(rec.log, (QStringList{"6:Hello", "25:Hello"}));
    // A reload starts at the first step again.
    tour.loadFromBytes(tourFile({1, 1, 1}));
    QCOMPARE(tour.current(), 0);
    QVERIFY(!tour.pastEnd());
}

void TestTourScript::badTourFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("firstCode"); // of the first step shown
    QTest::addColumn<bool>("picture");
    const QByteArray good = tourFile({7, 0, 0, 1, 0, 0}, QString(), bmpBytes());
    // Codes stored as text: those fields are left empty and read 0.
    QList<FieldDef> textCodes = tourFields();
    textCodes[textCodes.size() - 5] = FieldDef::text(QStringLiteral("TourMethodint"), 10);
    MemTable wrong(textCodes);
    wrong.setText(wrong.appendRecord(), textCodes.size() - 5, QStringLiteral("5"));
    QTest::newRow("nothing") << QByteArray() << 0 << 0 << false;
    QTest::newRow("garbage") << QByteArray(200, '\x7f') << 0 << 0 << false;
    QTest::newRow("cut short") << good.left(good.size() - 10) << 1 << 7 << true;
    QTest::newRow("code of another type") << wrong.saveToBytes() << 1 << 0 << false;
    QTest::newRow("undecodable picture") << tourFile({7, 0, 0}, QString(), QByteArray("BM not a bitmap")) << 1 << 7
                                         << false;
}

void TestTourScript::badTourFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, steps);
    QFETCH(int, firstCode);
    QFETCH(bool, picture);
    TourScript tour;
    tour.loadFromBytes(bytes);
    QCOMPARE(tour.stepCount(), steps);
    QCOMPARE(tour.code(0), firstCode);
    QCOMPARE(!tour.image().isNull(), picture);
    Recorder rec;
    if (steps == 0) {
        // Empty fields; the first press closes.
        QCOMPARE(tour.title(), QString());
        QVERIFY(!tour.next(rec));
        QVERIFY(rec.log.isEmpty());
    }
}

// The fuzz seed was written by hand from the file layout, not by MemTable:
// a check that the reader takes such a file, the wrapped picture included.
void TestTourScript::handWrittenFile()
{
    TourScript tour;
    tour.loadFromFile(QStringLiteral(VZ_SOURCE_DIR "/fuzz/corpus/tour/three_steps.tor"));
    QCOMPARE(tour.stepCount(), 3);
    QCOMPARE(tour.title(), QStringLiteral("Welcome"));
    QVERIFY(!tour.image().isNull());
    Recorder rec;
    QVERIFY(tour.next(rec));
    QCOMPARE(tour.image().kind(), Picture::Kind::Bitmap);
    QVERIFY(tour.next(rec));
    // The last step's 32 goes back: its 1 and 99 give way to the first step's 0 and 0.
    QCOMPARE(rec.log, (QStringList{"2:Hello", "6:Hello", "7:Hello"}));
    QCOMPARE(tour.current(), 0);
    tour.loadFromFile(QStringLiteral(VZ_SOURCE_DIR "/fuzz/corpus/tour/no such file.tor"));
    QCOMPARE(tour.stepCount(), 0);
}

QTEST_MAIN(TestTourScript)
#include "tst_tourscript.moc"
