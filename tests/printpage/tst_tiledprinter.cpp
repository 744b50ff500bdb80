// The tiled printer's walk over a bitmap's visible rectangle and its tile
// size rules.

#include "testutils.h"

#include "printpage/TiledPrinter.h"

using vz::PrintTile;

class TestTiledPrinter : public QObject
{
    Q_OBJECT

private slots:
    void tiles_data();
    void tiles();
    void stopsAtRefusedTile();
    void tileHeight64K_data();
    void tileHeight64K();
};

void TestTiledPrinter::tiles_data()
{
    QTest::addColumn<QRect>("visible");
    QTest::addColumn<QSize>("tile");
    QTest::addColumn<QList<QRect>>("expected");

    QTest::newRow("one tile") << QRect(10, 20, 50, 40) << QSize(800, 600) << QList<QRect>{QRect(10, 20, 50, 40)};
    QTest::newRow("exact grid")
        << QRect(0, 0, 200, 100) << QSize(100, 50)
        << QList<QRect>{QRect(0, 0, 100, 50), QRect(100, 0, 100, 50), QRect(0, 50, 100, 50), QRect(100, 50, 100, 50)};
    QTest::newRow("cut at the right and bottom")
        << QRect(5, 7, 250, 120) << QSize(100, 100)
        << QList<QRect>{QRect(5, 7, 100, 100), QRect(105, 7, 100, 100), QRect(205, 7, 50, 100),
                        QRect(5, 107, 100, 20), QRect(105, 107, 100, 20), QRect(205, 107, 50, 20)};
    QTest::newRow("one-row tiles")
        << QRect(0, 0, 3, 3) << QSize(16376, 1)
        << QList<QRect>{QRect(0, 0, 3, 1), QRect(0, 1, 3, 1), QRect(0, 2, 3, 1)};
    QTest::newRow("empty") << QRect(0, 0, 0, 10) << QSize(100, 100) << QList<QRect>{};
}

void TestTiledPrinter::tiles()
{
    QFETCH(QRect, visible);
    QFETCH(QSize, tile);
    QFETCH(QList<QRect>, expected);

    QList<PrintTile> seen;
    QVERIFY(vz::ForEachTile(visible, tile.width(), tile.height(), [&](const PrintTile &t) {
        seen << t;
        return true;
    }));
    QCOMPARE(seen.size(), expected.size());
    for (int i = 0; i < seen.size(); ++i) {
        QCOMPARE(seen[i].rect, expected[i]);
        QCOMPARE(seen[i].number, i + 1);
        QCOMPARE(seen[i].count, int(expected.size())); // counted before the first tile
    }
}

void TestTiledPrinter::stopsAtRefusedTile()
{
    QList<int> numbers;
    QVERIFY(!vz::ForEachTile(QRect(0, 0, 300, 300), 100, 100, [&](const PrintTile &t) {
        numbers << t.number;
        return t.number != 4;
    }));
    QCOMPARE(numbers, QList<int>({1, 2, 3, 4}));

    // Sizes that would never end the walk give no tile.
    int calls = 0;
    const auto count = [&](const PrintTile &) { return ++calls > 0; };
    QVERIFY(!vz::ForEachTile(QRect(0, 0, 10, 10), 0, 10, count));
    QVERIFY(!vz::ForEachTile(QRect(0, 0, 10, 10), 10, -1, count));
    QCOMPARE(calls, 0);
}

void TestTiledPrinter::tileHeight64K_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("large");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("large bitmaps: the screen") << 1024 << 24 << true << QSize(1024, 768);
    QTest::newRow("1024 at 24 bits") << 1024 << 24 << false << QSize(1024, 21);
    QTest::newRow("1024 at 1 bit") << 1024 << 1 << false << QSize(1024, 511);
    QTest::newRow("1024 at 32 bits") << 1024 << 32 << false << QSize(1024, 15);
    QTest::newRow("16375 at 32 bits") << 16375 << 32 << false << QSize(16375, 1);
    QTest::newRow("16376 at 32 bits: floor of one row") << 16376 << 32 << false << QSize(16376, 1);
    QTest::newRow("40000 at 32 bits: floor of one row") << 40000 << 32 << false << QSize(40000, 1);
}

void TestTiledPrinter::tileHeight64K()
{
    QFETCH(int, width);
    QFETCH(int, bits);
    QFETCH(bool, large);
    QFETCH(QSize, expected);
    QCOMPARE(vz::printTileSize(QSize(width, 768), bits, large), expected);
    // Every tile the rule gives stays within 64 KB unless a single row is larger.
    const qint64 rowBytes = ((qint64(bits) * width + 31) / 32) * 4;
    if (!large && expected.height() > 1)
        QVERIFY(rowBytes * expected.height() <= 65503);
}

QTEST_MAIN(TestTiledPrinter)
#include "tst_tiledprinter.moc"
