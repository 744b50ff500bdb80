// The image size dialog against a stand-in page: following, centring,
// applying, bad input and the readout's formatting.

#include "testutils.h"

#include "common/Dialogs.h"
#include "imaging/ImageSizeTarget.h"
#include "imaging/formImageSize.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>

using namespace vz;

namespace {

// A page of `page` pixels with one selected object whose frame is `frame`.
struct StandInPage : ImageSizeTarget
{
    QSize page{612, 792};
    int px = 72, py = 72;
    bool selected = true;
    QRect frame;
    int sets = 0;

    QSize pageSize() const override { return page; }
    int ppiX() const override { return px; }
    int ppiY() const override { return py; }
    bool hasSelection() const override { return selected; }
    QRect frameRect() const override { return frame; }
    void setFrameRect(const QRect &f) override
    {
        frame = f;
        ++sets;
    }
    // The object's own rectangle from the frame.
    QRect object() const { return frame.adjusted(2, 2, -3, -3); }
    void setObject(const QRect &r) { frame = r.adjusted(-2, -2, 3, 3); }
};

struct Fixture
{
    StandInPage page;
    TfrmImageSize dialog;
    explicit Fixture(const QRect &object)
    {
        page.setObject(object);
        dialog.setTarget(&page);
        dialog.frameChanged();
    }
    QLineEdit *edit(const char *name) { return dialog.findChild<QLineEdit *>(QLatin1String(name)); }
    QCheckBox *box(const char *name) { return dialog.findChild<QCheckBox *>(QLatin1String(name)); }
    void type(const char *name, const QString &text)
    {
        QLineEdit *e = edit(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    void ok() { QTest::mouseClick(dialog.findChild<QToolButton *>(QStringLiteral("btnOK")), Qt::LeftButton); }
    void open()
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
};

} // namespace

class TestImageSize : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readoutFollowsFrame();
    void formatsInches_data();
    void formatsInches();
    void heightFollows();
    void centresHorizontally();
    void uncheckCentringKeepsValue();
    void unchangedOkKeepsObject_data();
    void unchangedOkKeepsObject();
    void appliesTypedValues();
    void lettersInWidth();
    void notNumbers_data();
    void notNumbers();
    void zeroWidthFollowsNothing();
    void bothConstrainedSettle();
    void clampsToPage();
};

void TestImageSize::readoutFollowsFrame()
{
    Fixture f(QRect(36, 72, 144, 108));
    QCOMPARE(f.dialog.heightText(), QStringLiteral("1.50"));
    QCOMPARE(f.dialog.widthText(), QStringLiteral("2.00"));
    QCOMPARE(f.dialog.topText(), QStringLiteral("1.00"));
    QCOMPARE(f.dialog.leftText(), QStringLiteral("0.50"));
    // A move is followed at once; filling never counts as typing.
    f.page.setObject(QRect(72, 72, 36, 108));
    f.dialog.frameChanged();
    QCOMPARE(f.dialog.widthText(), QStringLiteral("0.50"));
    QCOMPARE(f.dialog.leftText(), QStringLiteral("1.00"));
    QCOMPARE(f.dialog.heightText(), QStringLiteral("1.50"));
    // Detached: empty.
    f.page.selected = false;
    f.dialog.frameChanged();
    QVERIFY(f.dialog.heightText().isEmpty());
    QVERIFY(f.dialog.leftText().isEmpty());
}

void TestImageSize::formatsInches_data()
{
    QTest::addColumn<double>("inches");
    QTest::addColumn<QString>("text");
    QTest::newRow("2.125 halves up") << 2.125 << QStringLiteral("2.13");
    QTest::newRow("2.375 halves up") << 2.375 << QStringLiteral("2.38");
    QTest::newRow("negative half away") << -2.125 << QStringLiteral("-2.13");
    QTest::newRow("tiny negative") << -0.004 << QStringLiteral("0.00");
    QTest::newRow("whole") << 3.0 << QStringLiteral("3.00");
    QTest::newRow("large") << 455.0 << QStringLiteral("455.00");
}

void TestImageSize::formatsInches()
{
    QFETCH(double, inches);
    QFETCH(QString, text);
    QCOMPARE(formatInches(inches), text);
    // The point stays "." under a comma locale.
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(formatInches(inches), text);
    QLocale::setDefault(old);
}

void TestImageSize::heightFollows()
{
    Fixture f(QRect(10, 10, 144, 72)); // 2.00 x 1.00 inches
    f.open();
    QVERIFY(!f.edit("edtWidth")->isEnabled());
    QVERIFY(f.edit("edtHeight")->isEnabled());
    f.type("edtHeight", QStringLiteral("1.5"));
    QCOMPARE(f.dialog.widthText(), QStringLiteral("3.00"));
    // A 17-pixel width at 8 pixels per inch reads 2.125: shown "2.13".
    f.type("edtHeight", QStringLiteral("1.0625"));
    QCOMPARE(f.dialog.widthText(), QStringLiteral("2.13"));
    // Typing letters leaves the width alone.
    f.type("edtHeight", QStringLiteral("abc"));
    QCOMPARE(f.dialog.widthText(), QStringLiteral("2.13"));
}

void TestImageSize::centresHorizontally()
{
    Fixture f(QRect(10, 10, 144, 72)); // 2 inches wide on an 8.5-inch page
    f.open();
    QTest::mouseClick(f.box("chkCenterHorizontally"), Qt::LeftButton, {}, QPoint(5, 8));
    QVERIFY(f.box("chkCenterHorizontally")->isChecked());
    QCOMPARE(f.dialog.leftText(), QStringLiteral("3.25"));
    QVERIFY(!f.edit("edtLeft")->isEnabled());
    // Centring follows a new size.
    f.type("edtHeight", QStringLiteral("0.5")); // width follows: 1.00
    QCOMPARE(f.dialog.leftText(), QStringLiteral("3.75"));
    f.ok();
    QCOMPARE(f.page.object(), QRect(270, 10, 72, 36));
    QVERIFY(!f.box("chkCenterHorizontally")->isChecked());
    QVERIFY(f.dialog.isHidden());
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
}

void TestImageSize::uncheckCentringKeepsValue()
{
    Fixture f(QRect(10, 10, 144, 72)); // 1 inch high on an 11-inch page
    f.open();
    QCheckBox *v = f.box("chkCenterVertically");
    QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(5, 8));
    QCOMPARE(f.dialog.topText(), QStringLiteral("5.00"));
    QVERIFY(!f.edit("edtTop")->isEnabled());
    QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(5, 8));
    QVERIFY(f.edit("edtTop")->isEnabled());
    QCOMPARE(f.dialog.topText(), QStringLiteral("5.00"));
}

void TestImageSize::unchangedOkKeepsObject_data()
{
    QTest::addColumn<int>("ppi");
    QTest::addColumn<QRect>("object");
    QTest::newRow("72 ppi") << 72 << QRect(37, 51, 123, 77);
    // Above 100 ppi a "0.00" value no longer names one pixel.
    QTest::newRow("150 ppi") << 150 << QRect(37, 51, 123, 77);
    QTest::newRow("at the corner") << 96 << QRect(-2, 0, 1, 1);
}

void TestImageSize::unchangedOkKeepsObject()
{
    QFETCH(int, ppi);
    QFETCH(QRect, object);
    Fixture f{QRect()};
    f.page.px = f.page.py = ppi;
    f.page.setObject(object);
    f.dialog.frameChanged();
    f.open();
    f.ok();
    QCOMPARE(f.page.object(), object);
    QCOMPARE(f.page.sets, 0);
}

void TestImageSize::appliesTypedValues()
{
    Fixture f(QRect(10, 10, 144, 72));
    f.open();
    QTest::mouseClick(f.box("chkWidthConstrained"), Qt::LeftButton, {}, QPoint(5, 8));
    QVERIFY(f.edit("edtWidth")->isEnabled());
    f.type("edtHeight", QStringLiteral("2"));
    f.type("edtWidth", QStringLiteral("1.5"));
    f.type("edtTop", QStringLiteral("0.25"));
    f.type("edtLeft", QStringLiteral("1"));
    f.ok();
    QCOMPARE(f.page.sets, 1); // one change of the frame, so one undo step
    QCOMPARE(f.page.object(), QRect(72, 18, 108, 144));
    // The readout of the result reads what was typed.
    f.dialog.frameChanged();
    QCOMPARE(f.dialog.widthText(), QStringLiteral("1.50"));
    QCOMPARE(f.dialog.topText(), QStringLiteral("0.25"));
}

void TestImageSize::lettersInWidth()
{
    DialogResponder responder;
    Fixture f(QRect(10, 10, 144, 72));
    f.open();
    QTest::mouseClick(f.box("chkWidthConstrained"), Qt::LeftButton, {}, QPoint(5, 8));
    QTest::mouseClick(f.box("chkCenterVertically"), Qt::LeftButton, {}, QPoint(5, 8));
    f.type("edtHeight", QStringLiteral("2"));
    f.type("edtWidth", QStringLiteral("wide"));
    f.ok();
    QCOMPARE(responder.messages(), QStringList{QStringLiteral("You must type in numbers.")});
    QCOMPARE(responder.requests().first().icon, MsgIcon::Confirmation);
    // The height was applied, nothing after the width.
    QCOMPARE(f.page.object(), QRect(10, 10, 144, 144));
    QVERIFY(f.dialog.isHidden());
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    QVERIFY(!f.box("chkCenterVertically")->isChecked());
    QVERIFY(f.edit("edtTop")->isEnabled());
}

void TestImageSize::notNumbers_data()
{
    QTest::addColumn<QString>("height");
    QTest::newRow("infinity") << QStringLiteral("inf");
    QTest::newRow("not a number") << QStringLiteral("nan");
    QTest::newRow("overflow") << QStringLiteral("1e400");
    QTest::newRow("comma") << QStringLiteral("1,5");
    QTest::newRow("empty") << QString();
}

// Values that are no finite numbers are neither followed nor centred on,
// and OK refuses them.
void TestImageSize::notNumbers()
{
    QFETCH(QString, height);
    DialogResponder responder;
    Fixture f(QRect(10, 10, 144, 72));
    f.open();
    QTest::mouseClick(f.box("chkCenterVertically"), Qt::LeftButton, {}, QPoint(5, 8));
    const QString top = f.dialog.topText();
    f.edit("edtHeight")->setText(height);
    QCOMPARE(f.dialog.widthText(), QStringLiteral("2.00"));
    QCOMPARE(f.dialog.topText(), top);
    f.ok();
    QCOMPARE(responder.messages().size(), 1);
    QCOMPARE(f.page.object(), QRect(10, 10, 144, 72));
}

void TestImageSize::zeroWidthFollowsNothing()
{
    DialogResponder responder;
    Fixture f(QRect(10, 10, 0, 72));
    QCOMPARE(f.dialog.widthText(), QStringLiteral("0.00"));
    f.open();
    f.type("edtHeight", QStringLiteral("3"));
    QCOMPARE(f.dialog.widthText(), QStringLiteral("0.00"));
    f.ok();
    QVERIFY(responder.messages().isEmpty());
    QCOMPARE(f.page.object(), QRect(10, 10, 0, 216));
}

void TestImageSize::bothConstrainedSettle()
{
    Fixture f(QRect(10, 10, 24, 72)); // "0.33" by "1.00": a ratio that does not round-trip
    f.open();
    QTest::mouseClick(f.box("chkHeightConstrained"), Qt::LeftButton, {}, QPoint(5, 8));
    QVERIFY(!f.edit("edtHeight")->isEnabled());
    QVERIFY(!f.edit("edtWidth")->isEnabled());
    // The page writes a value into one field: the pair settles on numbers.
    f.edit("edtHeight")->setText(QStringLiteral("2.00"));
    bool ok = false;
    const double w = f.dialog.widthText().toDouble(&ok);
    QVERIFY(ok);
    QVERIFY(qAbs(w - 0.66) < 0.011);
    f.dialog.heightText().toDouble(&ok);
    QVERIFY(ok);
    f.edit("edtWidth")->setText(QStringLiteral("1.00"));
    QVERIFY(qAbs(f.dialog.heightText().toDouble() - 3.03) < 0.011);
}

void TestImageSize::clampsToPage()
{
    Fixture f(QRect(10, 10, 144, 72));
    f.open();
    QTest::mouseClick(f.box("chkWidthConstrained"), Qt::LeftButton, {}, QPoint(5, 8));
    f.type("edtHeight", QStringLiteral("1e9"));
    f.type("edtWidth", QStringLiteral("-3"));
    f.type("edtLeft", QStringLiteral("-1e12"));
    f.ok();
    const QRect o = f.page.object();
    QCOMPARE(o.height(), 32767);
    QCOMPARE(o.width(), 0);
    QCOMPARE(o.left(), -32767);
}

QTEST_MAIN(TestImageSize)
#include "tst_imagesize.moc"
