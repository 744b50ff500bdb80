// The text layout engine of text boxes on a canvas with fixed metrics (every
// character 10 pixels wide, every text 20 high), the box's value type and
// its size convention.

#include "testutils.h"

#include "printpage/TPolyTextLines.h"
#include "printpage/TextBoxData.h"

#include <QRandomGenerator>
#include <QTest>

using namespace vz;

namespace {

QPolygon rect(int left, int top, int width, int height)
{
    return QPolygon({QPoint(left, top), QPoint(left + width, top), QPoint(left + width, top + height),
                     QPoint(left, top + height)});
}

QStringList texts(const TPolyTextLines &layout)
{
    QStringList out;
    for (const TPolyTextLine &line : layout.lines())
        out << line.text();
    return out;
}

QString words(int count)
{
    QStringList w;
    for (int i = 0; i < count; ++i)
        w << QStringLiteral("w%1").arg(i % 100, 2, 10, QLatin1Char('0'));
    return w.join(QLatin1Char(' '));
}

// Characters of varying widths, and an estimate that is off by a factor, so
// the engine's guessing has to be corrected by its exact measurements.
class SkewedCanvas : public FixedTextCanvas
{
public:
    explicit SkewedCanvas(double skew) : m_skew(skew) {}
    int textWidth(QStringView text) const override
    {
        int w = 0;
        for (QChar c : text)
            w += 4 + (c.unicode() * 7) % 9;
        return w;
    }
    double estimateWidth(QStringView text) const override { return textWidth(text) * m_skew; }

private:
    double m_skew;
};

// Filling a line as the rule reads: measure after every word, stop at the
// first that does not fit or at a CR; a first word too wide is broken.
QPair<QString, QString> referenceFill(const TextCanvas &canvas, int width, const QString &t)
{
    const qsizetype n = t.size();
    if (n == 0)
        return {QString(), QString()};
    auto trim = [](QString s) {
        while (!s.isEmpty() && s.front().unicode() <= 0x20)
            s.remove(0, 1);
        while (!s.isEmpty() && s.back().unicode() <= 0x20)
            s.chop(1);
        return s;
    };
    qsizetype i = 0, g = 0;
    bool tooWide = false;
    while (true) {
        g = i;
        while (i < n && t[i] != u' ' && t[i] != u'\r')
            ++i;
        if (canvas.textWidth(QStringView(t).left(i)) > width) {
            tooWide = true;
            break;
        }
        if (i < n && t[i] == u'\r') {
            i += (i + 1 < n && t[i + 1] == u'\n') ? 2 : 1;
            break;
        }
        while (i < n && t[i] == u' ')
            ++i;
        if (i >= n)
            break;
    }
    if (!tooWide)
        return {trim(t.left(i)), t.mid(i)};
    const QString line = trim(t.left(g));
    if (!line.isEmpty())
        return {line, t.mid(g)};
    qsizetype e = g;
    if (t[g] == u'\r')
        return {QString(), t.mid(g)};
    while (e < n && t[e] != u' ' && t[e] != u'\r')
        ++e;
    qsizetype m = 1;
    while (g + m < e && canvas.textWidth(QStringView(t).mid(g, m + 1)) <= width)
        ++m;
    return {t.mid(g, m), t.mid(g + m)};
}

} // namespace

class TestTextLayout : public QObject
{
    Q_OBJECT

private slots:
    void rowsOfABox();
    void marginInsetsLines_data();
    void marginInsetsLines();
    void fill_data();
    void fill();
    void fillMatchesTheWordByWordRule_data();
    void fillMatchesTheWordByWordRule();
    void tooWideWordIsBroken();
    void blankLineIsAnEmptyRow();
    void alignment_data();
    void alignment();
    void setAlignmentReachesPlacedLines();
    void lineSpacing();
    void twoSpansOnARow();
    void spansMatchPixelStepping_data();
    void spansMatchPixelStepping();
    void linesStayInsideAnyPolygon();
    void tails_data();
    void tails();
    void badInput();
    void shiftedDrawWithOutline();
    void setCanvasLaysOutAgain();
    void hugeBox();
    void sizeConvention_data();
    void sizeConvention();
    void colourValues();
    void fontOfABox();
    void lineEndsBecomeCrLf_data();
    void lineEndsBecomeCrLf();
};

void TestTextLayout::rowsOfABox()
{
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, rect(0, 0, 200, 200));
    QCOMPARE(layout.lineHeight(), 20);
    layout.SetText(words(400));
    QCOMPARE(layout.rowCount(), 10);
    // The tenth row's bottom is the box's bottom, which is outside.
    QCOMPARE(int(layout.lines().size()), 9);
    for (size_t k = 0; k < layout.lines().size(); ++k)
        QCOMPARE(layout.lines()[k].top(), int(k) * 20);
    // The break is guessed and confirmed, not found by measuring after
    // every one of a line's five words.
    QVERIFY(canvas.widthCalls() <= 2 * 9);
}

void TestTextLayout::marginInsetsLines_data()
{
    QTest::addColumn<int>("margin");
    QTest::newRow("border on") << 5;
    QTest::newRow("border off") << 0;
}

void TestTextLayout::marginInsetsLines()
{
    QFETCH(int, margin);
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, rect(30, 40, 200, 100));
    layout.setMargin(margin);
    layout.SetText(words(100));
    QCOMPARE(int(layout.lines().size()), 4);
    for (const TPolyTextLine &line : layout.lines()) {
        QCOMPARE(line.left(), 30 + margin);
        QCOMPARE(line.right(), 230 - margin);
        QVERIFY(canvas.textWidth(line.text()) <= line.width());
    }
}

void TestTextLayout::fill_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("rest");

    // Lines are 100 pixels: ten characters.
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("all fits") << "ab cd" << "ab cd" << "";
    QTest::newRow("exactly ten") << "abcd efghi" << "abcd efghi" << "";
    QTest::newRow("breaks at a word") << "abcd efg hij" << "abcd efg" << "hij";
    QTest::newRow("spaces after the break are skipped") << "abcd efg    hij" << "abcd efg" << "hij";
    QTest::newRow("trailing spaces") << "abc   " << "abc" << "";
    QTest::newRow("leading spaces are trimmed") << "  ab cd" << "ab cd" << "";
    QTest::newRow("CR LF ends the line") << "ab\r\ncd ef" << "ab" << "cd ef";
    QTest::newRow("spaces before CR LF") << "ab  \r\ncd" << "ab" << "cd";
    QTest::newRow("CR LF at once") << "\r\nab" << "" << "ab";
    QTest::newRow("lone CR skips only itself") << "ab\rcd" << "ab" << "cd";
    QTest::newRow("CR as the last character") << "abc\r" << "abc" << "";
    QTest::newRow("CR after a too wide word") << "abcdefg hijk\r\nx" << "abcdefg" << "hijk\r\nx";
    QTest::newRow("long word broken") << "abcdefghijklmn op" << "abcdefghij" << "klmn op";
    QTest::newRow("leading spaces then long word") << "   abcdefghijkl" << "abcdefghij" << "kl";
    QTest::newRow("blanks overflow before CR") << QString(12, u' ') + "\r\nab" << "" << "\r\nab";
    QTest::newRow("tab is part of a word") << "ab\tcd ef" << "ab\tcd ef" << "";
    QTest::newRow("surrogate pair kept whole")
        << QString("abcdefghi") + QChar(0xD83D) + QChar(0xDE00) + "xy"
        << QStringLiteral("abcdefghi") << QString(QChar(0xD83D)) + QChar(0xDE00) + "xy";
}

void TestTextLayout::fill()
{
    QFETCH(QString, text);
    QFETCH(QString, line);
    QFETCH(QString, rest);
    FixedTextCanvas canvas;
    TPolyTextLine l(&canvas, 100, 0, 0);
    QCOMPARE(l.Fill(text), rest);
    QCOMPARE(l.text(), line);
}

void TestTextLayout::fillMatchesTheWordByWordRule_data()
{
    QTest::addColumn<double>("skew");
    QTest::newRow("estimates exact") << 1.0;
    QTest::newRow("estimates low") << 0.6;
    QTest::newRow("estimates high") << 1.7;
}

void TestTextLayout::fillMatchesTheWordByWordRule()
{
    QFETCH(double, skew);
    SkewedCanvas canvas(skew);
    QRandomGenerator rng(1234);
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz      \r\n");
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int len = int(rng.bounded(120));
        for (int i = 0; i < len; ++i)
            text += alphabet[int(rng.bounded(alphabet.size()))];
        const int width = 20 + int(rng.bounded(200));
        QString rest = text;
        for (int guard = 0; guard < 200 && !rest.isEmpty(); ++guard) {
            TPolyTextLine line(&canvas, width, 0, 0);
            const QString next = line.Fill(rest);
            const auto expected = referenceFill(canvas, width, rest);
            QCOMPARE(line.text(), expected.first);
            QCOMPARE(next, expected.second);
            QVERIFY(next.size() < rest.size()); // always progresses
            rest = next;
        }
    }
}

void TestTextLayout::tooWideWordIsBroken()
{
    // A first word of 300 pixels in a 200-pixel box is broken where it
    // stops fitting, so the box shows it (and what follows) on paper too.
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, rect(0, 0, 200, 100));
    layout.setMargin(0);
    layout.SetText(QString(30, u'x') + QStringLiteral(" next words"));
    QCOMPARE(texts(layout), QStringList({QString(20, u'x'), QString(10, u'x') + " next", "words"}));

    // Even a line narrower than one character takes one.
    TPolyTextLine narrow(&canvas, 4, 0, 0);
    QCOMPARE(narrow.Fill(QStringLiteral("ab")), QStringLiteral("b"));
    QCOMPARE(narrow.text(), QStringLiteral("a"));
}

void TestTextLayout::blankLineIsAnEmptyRow()
{
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, rect(0, 0, 200, 100));
    layout.SetText(QStringLiteral("a\r\n\r\nb"));
    QCOMPARE(texts(layout), QStringList({"a", "", "b"}));
}

void TestTextLayout::alignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("x");
    // A line from 10 to 105 (95 wide) holding 40 pixels of text.
    QTest::newRow("left") << 0 << 10;
    QTest::newRow("right ends at the right") << 1 << 105 - 40;
    QTest::newRow("centre halves the slack") << 2 << 10 + 27;
    QTest::newRow("unknown value centres") << 7 << 10 + 27;
}

void TestTextLayout::alignment()
{
    QFETCH(int, alignment);
    QFETCH(int, x);
    FixedTextCanvas canvas;
    TPolyTextLine line(&canvas, 105, 10, 30);
    QCOMPARE(line.alignment(), 2);
    line.setAlignment(alignment);
    line.Fill(QStringLiteral("abcd"));
    line.Draw(0, 0);
    QCOMPARE(canvas.drawn(), QList<FixedTextCanvas::DrawnText>({{x, 30, QStringLiteral("abcd")}}));
}

void TestTextLayout::setAlignmentReachesPlacedLines()
{
    // Right-aligned text in a box with the border's margin ends 5 pixels
    // inside the right edge, on every line, after SetAlignment alone.
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, rect(0, 0, 200, 60));
    QCOMPARE(layout.alignment(), 2);
    layout.SetText(QStringLiteral("ab\r\nabcdef"));
    layout.SetAlignment(1);
    QCOMPARE(layout.lines().size(), size_t(2));
    layout.Draw(false, false);
    QCOMPARE(canvas.drawn(), QList<FixedTextCanvas::DrawnText>({{175, 0, "ab"}, {135, 20, "abcdef"}}));
}

void TestTextLayout::lineSpacing()
{
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, rect(0, 0, 100, 200));
    layout.setLineSpacing(50);
    layout.SetText(words(200));
    // Pitch 30: rows at 10 + 30k while their bottoms stay inside.
    QCOMPARE(layout.rowCount(), 6);
    QCOMPARE(int(layout.lines().size()), 6);
    for (size_t k = 0; k < layout.lines().size(); ++k)
        QCOMPARE(layout.lines()[k].top(), 10 + 30 * int(k));
}

void TestTextLayout::twoSpansOnARow()
{
    // A U: two arms 80 wide with a 40-pixel gap, joined by a base below.
    const QPolygon u({{0, 0}, {80, 0}, {80, 100}, {120, 100}, {120, 0}, {200, 0}, {200, 160}, {0, 160}});
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, u);
    layout.setMargin(0);
    layout.SetText(words(200));
    QVERIFY(layout.lines().size() >= 2);
    const TPolyTextLine &a = layout.lines()[0];
    const TPolyTextLine &b = layout.lines()[1];
    QCOMPARE(a.top(), 0);
    QCOMPARE(b.top(), 0);
    QCOMPARE(a.left(), 0);
    QCOMPARE(a.right(), 80);
    QCOMPARE(b.left(), 120);
    QCOMPARE(b.right(), 200);
    QCOMPARE(a.text(), QStringLiteral("w00 w01"));
    QCOMPARE(b.text(), QStringLiteral("w02 w03"));
    // The row whose bottom touches the gap's floor still has both arms;
    // the rows below the gap span the whole width, the last row none.
    const TPolyTextLine &last = layout.lines().back();
    QCOMPARE(last.left(), 0);
    QCOMPARE(last.right(), 200);
    QCOMPARE(last.top(), 120);
}

void TestTextLayout::spansMatchPixelStepping_data()
{
    QTest::addColumn<QPolygon>("polygon");
    QTest::newRow("rectangle") << rect(3, 4, 50, 40);
    QTest::newRow("triangle") << QPolygon({{0, 0}, {61, 17}, {9, 55}});
    QTest::newRow("slanted quad") << QPolygon({{10, 0}, {70, 7}, {55, 60}, {-6, 45}});
    QTest::newRow("self-crossing star")
        << QPolygon({{30, 0}, {48, 58}, {0, 22}, {60, 22}, {12, 58}});
    QTest::newRow("U") << QPolygon({{0, 0}, {20, 0}, {20, 30}, {40, 30}, {40, 0}, {60, 0}, {60, 50}, {0, 50}});
}

void TestTextLayout::spansMatchPixelStepping()
{
    QFETCH(QPolygon, polygon);
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, polygon);
    auto inside = [&](int x, int y) {
        bool in = false;
        for (qsizetype i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
            const QPoint pi = polygon[i], pj = polygon[j];
            if ((pi.y() > y) != (pj.y() > y)
                && x < double(pj.x() - pi.x()) * (y - pi.y()) / double(pj.y() - pi.y()) + pi.x())
                in = !in;
        }
        return in;
    };
    for (int y = layout.minY() - 2; y <= layout.maxY() + 2; ++y) {
        std::vector<TPolyTextLines::Span> stepped;
        for (int x = layout.minX() - 2; x <= layout.maxX() + 5;) {
            if (!inside(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (inside(x, y))
                ++x;
            stepped.push_back({start, x});
        }
        const auto spans = layout.spansAt(y);
        QCOMPARE(spans.size(), stepped.size());
        for (size_t i = 0; i < spans.size(); ++i) {
            QCOMPARE(spans[i].start, stepped[i].start);
            QCOMPARE(spans[i].end, stepped[i].end);
        }
    }
}

void TestTextLayout::linesStayInsideAnyPolygon()
{
    // Random outlines (convex or not, crossing themselves or not): every
    // placed line lies inside at its row's top and bottom, lines of a row
    // come left to right without overlapping, and text fits its line.
    QRandomGenerator rng(99);
    FixedTextCanvas canvas(7, 13);
    int placed = 0;
    for (int round = 0; round < 300; ++round) {
        QPolygon polygon;
        const int points = 3 + int(rng.bounded(7));
        for (int i = 0; i < points; ++i)
            polygon << QPoint(int(rng.bounded(400)) - 50, int(rng.bounded(300)) - 30);
        auto inside = [&](int x, int y) {
            bool in = false;
            for (qsizetype i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
                const QPoint pi = polygon[i], pj = polygon[j];
                if ((pi.y() > y) != (pj.y() > y)
                    && x < double(pj.x() - pi.x()) * (y - pi.y()) / double(pj.y() - pi.y()) + pi.x())
                    in = !in;
            }
            return in;
        };
        TPolyTextLines layout(&canvas, polygon);
        const int margin = int(rng.bounded(2)) * 5;
        layout.setMargin(margin);
        layout.setLineSpacing(int(rng.bounded(60)) - 10);
        layout.SetText(words(300));
        int lastTop = INT_MIN, lastRight = INT_MIN;
        for (const TPolyTextLine &line : layout.lines()) {
            QVERIFY(line.width() > 0);
            if (line.top() != lastTop)
                lastRight = INT_MIN;
            QVERIFY(line.top() >= lastTop);
            QVERIFY(line.left() - margin >= lastRight);
            lastTop = line.top();
            lastRight = line.right() + margin;
            for (int x = line.left() - margin; x < line.right() + margin; ++x) {
                QVERIFY(inside(x, line.top()));
                QVERIFY(inside(x, line.top() + layout.lineHeight()));
            }
            QVERIFY(line.text().size() == 1 || canvas.textWidth(line.text()) <= line.width());
            placed += line.text().isEmpty() ? 0 : 1;
        }
    }
    QVERIFY2(placed > 1000, qPrintable(QString::number(placed)));
}

void TestTextLayout::tails_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR at the end") << "abc\r" << 20 << 0 << 3 << QStringList({"abc"});
    QTest::newRow("CR LF at the end") << "abc\r\n" << 20 << 0 << 3 << QStringList({"abc"});
    QTest::newRow("zero font height") << "abc" << 0 << 0 << 0 << QStringList();
    QTest::newRow("spacing cancels the height") << "abc" << 20 << -100 << 0 << QStringList();
    QTest::newRow("negative spacing") << "abc def" << 20 << -50 << 6 << QStringList({"abc def"});
}

void TestTextLayout::tails()
{
    QFETCH(QString, text);
    QFETCH(int, height);
    QFETCH(int, spacing);
    QFETCH(int, rows);
    QFETCH(QStringList, lines);
    FixedTextCanvas canvas(10, height);
    TPolyTextLines layout(&canvas, rect(0, 0, 200, 60));
    layout.setLineSpacing(spacing);
    layout.SetText(text);
    QCOMPARE(layout.rowCount(), rows);
    QCOMPARE(texts(layout), lines);
}

void TestTextLayout::badInput()
{
    FixedTextCanvas canvas;
    for (const QPolygon &p : {QPolygon(), QPolygon({QPoint(0, 0)}), QPolygon({QPoint(0, 0), QPoint(100, 100)})}) {
        TPolyTextLines layout(&canvas, p);
        layout.SetText(QStringLiteral("some text"));
        QVERIFY(layout.lines().empty());
        layout.Draw(true, true);
    }
    QVERIFY(canvas.drawn().isEmpty());
    QVERIFY(canvas.outlines().isEmpty());

    // A box with no size has no rows; an empty text places no lines.
    TPolyTextLines flat(&canvas, rect(10, 10, 0, 0));
    flat.SetText(QStringLiteral("text"));
    QCOMPARE(flat.rowCount(), 0);
    QVERIFY(flat.lines().empty());
    TPolyTextLines empty(&canvas, rect(0, 0, 100, 100));
    empty.SetText(QString());
    QCOMPARE(empty.rowCount(), 5);
    QVERIFY(empty.lines().empty());
    empty.Draw(false, false);
    QVERIFY(canvas.drawn().isEmpty());

    // No canvas: nothing to measure with, nothing laid out.
    TPolyTextLines none(nullptr, rect(0, 0, 100, 100));
    none.SetText(QStringLiteral("text"));
    QVERIFY(none.lines().empty());
    none.Draw(true, true);
}

void TestTextLayout::shiftedDrawWithOutline()
{
    FixedTextCanvas canvas;
    const QPolygon box = rect(100, 200, 80, 50);
    TPolyTextLines layout(&canvas, box);
    layout.SetAlignment(0);
    layout.SetText(QStringLiteral("ab cd"));
    layout.Draw(true, true);
    QCOMPARE(canvas.drawn(), QList<FixedTextCanvas::DrawnText>({{10, 5, QStringLiteral("ab cd")}}));
    QCOMPARE(canvas.outlines(), QList<QPolygon>({rect(5, 5, 80, 50)}));

    FixedTextCanvas plain;
    layout.SetCanvas(&plain);
    layout.Draw(false, false);
    QCOMPARE(plain.drawn(), QList<FixedTextCanvas::DrawnText>({{105, 200, QStringLiteral("ab cd")}}));
    QVERIFY(plain.outlines().isEmpty());
}

void TestTextLayout::setCanvasLaysOutAgain()
{
    FixedTextCanvas small(10, 20);
    FixedTextCanvas big(20, 40);
    TPolyTextLines layout(&small, rect(0, 0, 200, 120));
    layout.SetText(words(60));
    QCOMPARE(layout.rowCount(), 6);
    layout.SetCanvas(&big);
    QCOMPARE(layout.lineHeight(), 40);
    QCOMPARE(layout.rowCount(), 3);
    for (const TPolyTextLine &line : layout.lines()) {
        QCOMPARE(line.canvas(), &big);
        QVERIFY(big.textWidth(line.text()) <= line.width());
    }
    // SetPolygon alone keeps the lines until the next layout.
    layout.SetPolygon(rect(0, 0, 100, 40));
    QCOMPARE(layout.rowCount(), 3);
    layout.Layout();
    QCOMPARE(layout.rowCount(), 1);
}

void TestTextLayout::hugeBox()
{
    // Spans come from edge crossings, so a box of a million pixels each way
    // is 50,000 rows of four crossings, not a walk over every pixel.
    FixedTextCanvas canvas;
    TPolyTextLines layout(&canvas, rect(0, 0, 1000000, 1000000));
    layout.SetText(words(300000));
    QCOMPARE(layout.rowCount(), 50000);
    // 25,000 words to a line: twelve lines take all of them.
    QCOMPARE(int(layout.lines().size()), 12);
    for (const TPolyTextLine &line : layout.lines())
        QCOMPARE(line.text().size(), qsizetype(99999));
    QVERIFY(canvas.widthCalls() < 100);
}

void TestTextLayout::sizeConvention_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("fieldToSize");
    QTest::newRow("field 15") << 15 << 6 << true;
    QTest::newRow("field 6") << 6 << 2 << true;
    QTest::newRow("field 200") << 200 << 80 << true;
    QTest::newRow("field 16") << 16 << 6 << true;
    QTest::newRow("size 6") << 6 << 15 << false;
    QTest::newRow("size 7 (17.5 to even)") << 7 << 18 << false;
    QTest::newRow("size 9 (22.5 to even)") << 9 << 22 << false;
    QTest::newRow("size 80") << 80 << 200 << false;
}

void TestTextLayout::sizeConvention()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, fieldToSize);
    QCOMPARE(fieldToSize ? fontSizeFromSizeField(from) : sizeFieldFromFontSize(from), to);
}

void TestTextLayout::colourValues()
{
    // New boxes keep the system's window text, which draws black.
    QCOMPARE(TextBoxData().color, kColorWindowText);
    QCOMPARE(colorFromValue(kColorWindowText), QColor(Qt::black));
    QCOMPARE(colorFromValue(kSystemColorFlag | 5), QColor(Qt::white));             // window
    QCOMPARE(colorFromValue(kSystemColorFlag | 15), QColor(0xC0, 0xC0, 0xC0));     // button face
    QCOMPARE(colorFromValue(kSystemColorFlag | 24), QColor(0xFF, 0xFF, 0xE1));     // info background
    QCOMPARE(colorFromValue(kSystemColorFlag | 200), QColor(Qt::black));           // no such index
    QCOMPARE(colorFromValue(kColorDefault), QColor(Qt::black));
    QCOMPARE(colorFromValue(kColorNone).alpha(), 0);
    // Plain values are 0x00BBGGRR both ways.
    QCOMPARE(colorFromValue(0x000000FF), QColor(Qt::red));
    QCOMPARE(colorFromValue(0x00FF0000), QColor(Qt::blue));
    QCOMPARE(colorValueOf(QColor(0x12, 0x34, 0x56)), ColorValue(0x00563412));
    QCOMPARE(colorValueOf(QColor(0x12, 0x34, 0x56, 7)), ColorValue(0x00563412));
    // An unchanged colour keeps the system value; a changed one becomes plain.
    QCOMPARE(colorValueKeeping(kColorWindowText, Qt::black), kColorWindowText);
    QCOMPARE(colorValueKeeping(kColorWindowText, Qt::red), ColorValue(0x000000FF));

    const auto &basic = basicColorValues();
    QCOMPARE(basic.front(), ColorValue(0x000000));
    QCOMPARE(basic[1], ColorValue(0x000080)); // maroon
    QCOMPARE(basic[9], ColorValue(0x0000FF)); // red
    QCOMPARE(basic[12], ColorValue(0xFF0000)); // blue
    QCOMPARE(basic.back(), ColorValue(0xFFFFFF));
    for (ColorValue v : basic)
        QCOMPARE(colorValueOf(colorFromValue(v)), v);
}

void TestTextLayout::fontOfABox()
{
    TextBoxData box;
    box.fontName = QStringLiteral("Tahoma");
    box.fontSize = 12;
    box.bold = true;
    box.underline = true;
    QFont f = box.font();
    QCOMPARE(f.family(), QStringLiteral("Tahoma"));
    QCOMPARE(f.pointSize(), 12);
    QVERIFY(f.bold() && f.underline() && !f.italic() && !f.strikeOut());
    // Sizes from a damaged file draw within 1 to 1000 points.
    box.fontSize = 0;
    QCOMPARE(box.font().pointSize(), 1);
    box.fontSize = -40;
    QCOMPARE(box.font().pointSize(), 1);
    box.fontSize = 5000;
    QCOMPARE(box.font().pointSize(), 1000);
}

void TestTextLayout::lineEndsBecomeCrLf_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("LF") << "a\nb" << "a\r\nb";
    QTest::newRow("CR LF kept") << "a\r\nb" << "a\r\nb";
    QTest::newRow("lone CR") << "a\rb\r" << "a\r\nb\r\n";
    QTest::newRow("LF CR is two ends") << "a\n\rb" << "a\r\n\r\nb";
    QTest::newRow("paragraph separator") << QString("a") + QChar(0x2029) + "b" << "a\r\nb";
    QTest::newRow("none") << "abc" << "abc";
}

void TestTextLayout::lineEndsBecomeCrLf()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(toCrLfLines(in), out);
}

QTEST_MAIN(TestTextLayout)
#include "tst_textlayout.moc"
