// Text boxes on the print page with real boxes and real fonts: drawing,
// placing from the toolbar, reselection, the toolbar's actions, the font
// dialog, the hide points, Paste, the page-changed flag, undo and redo, and
// the page's text-box branches (copy, cut, delete, clear, rescale, render).

#include "printpagetestutils.h"

#include "common/Dialogs.h"
#include "common/PageChanged.h"
#include "imaging/Picture.h"
#include "printpage/Ruler.h"
#include "printpage/TStretchHandle.h"
#include "printpage/TTextBox.h"
#include "printpage/TextBoxRender.h"
#include "printpage/TextBoxTool.h"
#include "printpage/TextToolbar.h"
#include "testutils.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QFontComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextLayout>
#include <QUndoStack>

#include <algorithm>
#include <optional>

using namespace vz;
using namespace pptest;

namespace {

// `global`: where the pointer is on the screen (a widget that moves under
// it would otherwise count its own move twice).
void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton,
               std::optional<QPoint> global = std::nullopt)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(global.value_or(w->mapToGlobal(pos))), button,
                  type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Draws a box on the page from `from` to `to` (page pixels).
void drawOnPage(TfrmPrint &page, QPoint from, QPoint to)
{
    QWidget *p = page.pnlPage();
    sendMouse(p, QEvent::MouseButtonPress, from);
    sendMouse(p, QEvent::MouseMove, (from + to) / 2);
    sendMouse(p, QEvent::MouseMove, to);
    sendMouse(p, QEvent::MouseButtonRelease, to);
}

TextToolbar *toolbarOf(TfrmPrint &page) { return page.textTool()->toolbar(); }

QAbstractButton *tb(TfrmPrint &page, const char *name)
{
    return toolbarOf(page)->findChild<QAbstractButton *>(QLatin1String(name));
}

struct BoxFixture : PageFixture
{
    BoxFixture()
    {
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        setPageChanged(false);
    }
    // A box drawn with the page's New TextBox button.
    TTextBox *newBox(QRect r, const QString &text = QString())
    {
        page.findChild<QAbstractButton *>("btnTextBox")->click();
        drawOnPage(page, r.topLeft(), r.topLeft() + QPoint(r.width(), r.height()));
        TTextBox *box = page.textBoxList().isEmpty() ? nullptr : page.textBoxList().last();
        if (box && !text.isEmpty())
            box->setBoxText(text);
        return box;
    }
    PageObjectId idOf(TTextBox *box) { return model().idOf(box); }
    // A press inside the box, as the user reselects it.
    void pressIn(TTextBox *box) { sendMouse(box->viewport(), QEvent::MouseButtonPress, QPoint(3, 3)); sendMouse(box->viewport(), QEvent::MouseButtonRelease, QPoint(3, 3)); }
    int steps() { return model().undoStack()->count(); }
};

} // namespace

class TestTextBoxWindow : public QObject
{
    Q_OBJECT
private slots:
    void toolbarLooks();
    void popupItems();
    void frameMovesBox();
    void drawing_data();
    void drawing();
    void placingFromToolbar();
    void startReplacesPending();
    void pageGoesWhileDrawing();
    void pastePresetsText();
    void reselectionLoadsToolbar_data();
    void reselectionLoadsToolbar();
    void toolbarActions_data();
    void toolbarActions();
    void actionsNeedABox();
    void uninstalledFontName();
    void fontDialog();
    void fontDialogCancelAndUnchanged();
    void fontColourDialog();
    void hidePoints_data();
    void hidePoints();
    void alignmentOnLinesTypedLater();
    void typingIsOneStep();
    void createAndDeleteUndo();
    void pageBranches();
    void renderTextBoxes();
};

void TestTextBoxWindow::drawing_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("down right") << QPoint(20, 30) << QPoint(220, 130) << QRect(20, 30, 200, 100);
    QTest::newRow("up left") << QPoint(220, 130) << QPoint(20, 30) << QRect(20, 30, 200, 100);
    QTest::newRow("up right") << QPoint(20, 130) << QPoint(220, 30) << QRect(20, 30, 200, 100);
    QTest::newRow("click") << QPoint(50, 60) << QPoint(50, 60) << QRect(50, 60, 5, 5);
    QTest::newRow("thin") << QPoint(50, 60) << QPoint(150, 62) << QRect(50, 60, 100, 5);
}

void TestTextBoxWindow::drawing()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);
    BoxFixture f;
    f.page.findChild<QAbstractButton *>("btnTextBox")->click();
    QVERIFY(f.page.textTool()->drawingMode());
    QVERIFY(pageChanged()); // New TextBox marks the page
    QVERIFY(toolbarOf(f.page)->isVisible());
    QWidget *p = f.page.pnlPage();
    QCOMPARE(p->cursor().shape(), Qt::DragMoveCursor);

    sendMouse(p, QEvent::MouseButtonPress, from);
    QCOMPARE(p->cursor().shape(), Qt::SizeFDiagCursor);
    sendMouse(p, QEvent::MouseMove, to);
    auto *overlay = p->findChild<QWidget *>("TextBoxOverlay");
    QVERIFY(overlay);
    QCOMPARE(overlay->geometry(), p->rect());
    QVERIFY(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(f.model().textBoxes().isEmpty());
    sendMouse(p, QEvent::MouseButtonRelease, to);

    QVERIFY(!f.page.textTool()->drawingMode());
    QVERIFY(!p->findChild<QWidget *>("TextBoxOverlay"));
    QCOMPARE(p->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.model().textBoxes().size(), 1);
    TTextBox *box = f.page.textBoxList().value(0);
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), p);
    QCOMPARE(box->geometry(), expected);
    QCOMPARE(f.rectOf(f.model().textBoxes().first()), expected);
    QCOMPARE(box->tag(), 0);
    QCOMPARE(f.model().object(f.model().textBoxes().first())->tag, 0);
    // Selected: the frame on the box, the toolbar at the frame, the focus in the box.
    QCOMPARE(f.page.stretchHandle()->attached(), box);
    QVERIFY(f.page.horizontalHighlight()->isVisible());
    QCOMPARE(toolbarOf(f.page)->pos(), p->mapToGlobal(f.page.stretchHandle()->geometry().topLeft()));
    QTRY_VERIFY(box->hasFocus());
    // The fixed settings of every box.
    QCOMPARE(box->viewport()->cursor().shape(), Qt::IBeamCursor);
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box->palette().color(QPalette::Base), QColor(249, 249, 249));
    QVERIFY(!box->acceptRichText());
}

void TestTextBoxWindow::placingFromToolbar()
{
    BoxFixture f;
    TTextBox *first = f.newBox(QRect(10, 10, 100, 50));
    QVERIFY(first);
    TextToolbar *bar = toolbarOf(f.page);
    // A new box takes name, size, border and alignment from the toolbar; it is plain.
    bar->setFontName(QStringLiteral("Liberation Serif"));
    bar->setSizeField(25);
    bar->setBorder(true);
    bar->setAlignment(1);
    bar->setStyle(true, true, true);
    TTextBox *second = f.newBox(QRect(150, 10, 120, 60));
    QVERIFY(second && second != first);
    const TextBoxData d = second->data();
    QCOMPARE(d.fontName, QStringLiteral("Liberation Serif"));
    QCOMPARE(d.fontSize, 10);
    QVERIFY(d.borderFlag);
    QVERIFY(d.borderSingle);
    QCOMPARE(second->frameShape(), QFrame::Box);
    QCOMPARE(d.alignment, 1);
    QVERIFY(!d.bold && !d.italic && !d.underline);
    QVERIFY(!bar->bold() && !bar->italic() && !bar->underline());
    QCOMPARE(d.tag, 1);
    QCOMPARE(d.color, kColorWindowText);
    QCOMPARE(second->palette().color(QPalette::Text), QColor(Qt::black));
    // The first, made from the starting toolbar: Arial at size field 15, no border, left.
    const TextBoxData a = first->data();
    QCOMPARE(a.fontName, QStringLiteral("Arial"));
    QCOMPARE(a.fontSize, 6);
    QVERIFY(!a.borderFlag && !a.borderSingle);
    QCOMPARE(first->frameShape(), QFrame::NoFrame);
    QCOMPARE(a.alignment, 0);
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{first, second}));
}

void TestTextBoxWindow::startReplacesPending()
{
    BoxFixture f;
    f.page.StartTextBox(QStringLiteral("first"));
    f.page.StartTextBox(QStringLiteral("second"));
    QCOMPARE(f.page.pendingTextBoxText(), QStringLiteral("second"));
    drawOnPage(f.page, QPoint(10, 10), QPoint(200, 80));
    QCOMPARE(f.model().textBoxes().size(), 1);
    QCOMPARE(f.page.textBoxList().first()->text(), QStringLiteral("second"));
    QVERIFY(pageChanged()); // a box made from a paste marks the page
    QVERIFY(f.page.pendingTextBoxText().isEmpty());
}

void TestTextBoxWindow::pageGoesWhileDrawing()
{
    QPointer<QWidget> overlay;
    QPointer<TTextBox> box;
    {
        BoxFixture f;
        box = f.newBox(QRect(10, 10, 100, 50), QStringLiteral("typed"));
        box->setFocus();
        f.page.StartTextBox(QStringLiteral("waiting"));
        sendMouse(f.page.pnlPage(), QEvent::MouseButtonPress, QPoint(200, 200));
        sendMouse(f.page.pnlPage(), QEvent::MouseMove, QPoint(260, 240));
        overlay = f.page.pnlPage()->findChild<QWidget *>("TextBoxOverlay");
        QVERIFY(overlay);
    }
    QVERIFY(!overlay);
    QVERIFY(!box);
}

void TestTextBoxWindow::pastePresetsText()
{
    BoxFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted\nwords"));
    f.page.PasteFromClipboard();
    QVERIFY(f.page.textTool()->drawingMode());
    QVERIFY(f.model().textBoxes().isEmpty());
    // Drawn over a picture the box is still drawn, not the picture selected.
    const PageObjectId pic = f.place(bitmap(400, 300));
    f.page.StartTextBox(QStringLiteral("pasted\nwords"));
    const QRect picRect = f.rectOf(pic);
    drawOnPage(f.page, picRect.center(), picRect.center() + QPoint(100, 40));
    QCOMPARE(f.model().textBoxes().size(), 1);
    TTextBox *box = f.page.textBoxList().first();
    QCOMPARE(box->text(), QStringLiteral("pasted\r\nwords"));
    QCOMPARE(box->geometry(), QRect(picRect.center(), QSize(100, 40)));
}

void TestTextBoxWindow::reselectionLoadsToolbar_data()
{
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("field");
    QTest::newRow("6 shows 15") << 6 << 15;
    QTest::newRow("7 shows 18") << 7 << 18;
    QTest::newRow("9 shows 22") << 9 << 22;
    QTest::newRow("1 shows clamped 6") << 1 << 6;
    QTest::newRow("100 shows clamped 200") << 100 << 200;
}

void TestTextBoxWindow::reselectionLoadsToolbar()
{
    QFETCH(int, fontSize);
    QFETCH(int, field);
    BoxFixture f;
    TTextBox *a = f.newBox(QRect(10, 10, 150, 60), QStringLiteral("a"));
    TTextBox *b = f.newBox(QRect(200, 10, 150, 60), QStringLiteral("b"));
    TextBoxData d = a->format();
    d.fontName = QStringLiteral("Liberation Mono");
    d.fontSize = fontSize;
    d.bold = true;
    d.underline = true;
    d.alignment = 2;
    d.borderFlag = true;
    d.borderSingle = true;
    a->applyFormat(d);
    QCOMPARE(f.page.stretchHandle()->attached(), b);

    const int steps = f.steps();
    setPageChanged(false);
    f.pressIn(a);
    QCOMPARE(f.page.selectedObject(), f.idOf(a));
    QCOMPARE(f.page.stretchHandle()->attached(), a);
    QVERIFY(f.page.horizontalHighlight()->isVisible());
    QVERIFY(f.page.verticalHighlight()->isVisible());
    TextToolbar *bar = toolbarOf(f.page);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->fontName(), QStringLiteral("Liberation Mono"));
    QCOMPARE(bar->sizeField(), field);
    QVERIFY(bar->bold() && bar->underline() && !bar->italic());
    QVERIFY(bar->border());
    QCOMPARE(bar->alignment(), 2);
    QVERIFY(tb(f.page, "tbAlignCenter")->isChecked());
    QTRY_VERIFY(a->hasFocus());
    // Loading acts on nothing: the box keeps its own size, no step, no flag.
    QCOMPARE(a->format().fontSize, fontSize);
    QCOMPARE(a->format().fontName, QStringLiteral("Liberation Mono"));
    QCOMPARE(f.steps(), steps);
    QVERIFY(!pageChanged());
}

void TestTextBoxWindow::toolbarActions_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("property");
    QTest::newRow("bold") << "tbBold" << "bold";
    QTest::newRow("italic") << "tbItalic" << "italic";
    QTest::newRow("underline") << "tbUnderline" << "underline";
    QTest::newRow("border") << "tbBorder" << "border";
    QTest::newRow("centre") << "tbAlignCenter" << "centre";
    QTest::newRow("right") << "tbAlignRight" << "right";
    QTest::newRow("name") << "cbFontName" << "name";
    QTest::newRow("size") << "seFontSize" << "size";
}

void TestTextBoxWindow::toolbarActions()
{
    QFETCH(QString, control);
    QFETCH(QString, property);
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 200, 80), QStringLiteral("words"));
    const TextBoxData before = box->data();
    const int steps = f.steps();
    setPageChanged(false);

    if (control == QLatin1String("cbFontName")) {
        auto *combo = toolbarOf(f.page)->findChild<QFontComboBox *>("cbFontName");
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("Liberation Serif"));
    } else if (control == QLatin1String("seFontSize")) {
        auto *spin = toolbarOf(f.page)->findChild<QSpinBox *>("seFontSize");
        spin->stepBy(5); // 15 -> 20: the step buttons of the field, five presses
    } else {
        QTest::mouseClick(tb(f.page, control.toLatin1().constData()), Qt::LeftButton);
    }

    const TextBoxData after = box->data();
    TextBoxData expected = before;
    if (property == QLatin1String("bold"))
        expected.bold = true;
    else if (property == QLatin1String("italic"))
        expected.italic = true;
    else if (property == QLatin1String("underline"))
        expected.underline = true;
    else if (property == QLatin1String("border"))
        expected.borderFlag = expected.borderSingle = true;
    else if (property == QLatin1String("centre"))
        expected.alignment = 2;
    else if (property == QLatin1String("right"))
        expected.alignment = 1;
    else if (property == QLatin1String("name"))
        expected.fontName = QStringLiteral("Liberation Serif");
    else if (property == QLatin1String("size"))
        expected.fontSize = 8; // 20 / 2.5
    QCOMPARE(after, expected);
    QVERIFY(pageChanged());
    // One step however many edits of the property it took; undo and redo.
    QCOMPARE(f.steps(), steps + 1);
    f.page.undo();
    QCOMPARE(box->data(), before);
    f.page.redo();
    QCOMPARE(box->data(), expected);
    if (property == QLatin1String("border"))
        QCOMPARE(box->frameShape(), QFrame::Box);
    // The toolbar shows the box after undo too.
    f.page.undo();
    QCOMPARE(toolbarOf(f.page)->bold(), before.bold);
    QCOMPARE(toolbarOf(f.page)->border(), before.borderFlag);
}

void TestTextBoxWindow::actionsNeedABox()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 200, 80));
    f.page.ClearSelection();
    const TextBoxData before = box->data();
    const int steps = f.steps();
    QTest::mouseClick(tb(f.page, "tbBold"), Qt::LeftButton);
    QTest::mouseClick(tb(f.page, "tbBorder"), Qt::LeftButton);
    QTest::mouseClick(tb(f.page, "tbAlignRight"), Qt::LeftButton);
    DialogResponder responder;
    responder.queueFont(QFont(QStringLiteral("Liberation Serif"), 30));
    f.page.FontOptions();
    QCOMPARE(responder.requests().size(), 0);
    QCOMPARE(box->data(), before);
    QCOMPARE(f.steps(), steps);
    // With no box the toggles keep their state.
    QVERIFY(toolbarOf(f.page)->bold());
    QVERIFY(toolbarOf(f.page)->border());
}

void TestTextBoxWindow::uninstalledFontName()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 200, 80), QStringLiteral("still drawn"));
    auto *combo = toolbarOf(f.page)->findChild<QFontComboBox *>("cbFontName");
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("No Such Face 123"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QCOMPARE(combo->currentText(), QStringLiteral("No Such Face 123"));
    QCOMPARE(box->data().fontName, QStringLiteral("No Such Face 123"));
    // Drawn with the substitute: the box measures, the picture has its lines.
    QVERIFY(QFontMetrics(box->font()).horizontalAdvance(QStringLiteral("still")) > 0);
    const QList<PageObjectId> ids = f.page.RenderTextBoxes(96);
    QCOMPARE(ids.size(), 1);
    QVERIFY(!f.model().object(ids.first())->picture.isNull());
    // Reselection shows the name as the box has it.
    f.page.ClearSelection();
    f.pressIn(box);
    QCOMPARE(toolbarOf(f.page)->fontName(), QStringLiteral("No Such Face 123"));
}

void TestTextBoxWindow::fontDialog()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 200, 80), QStringLiteral("x"));
    const TextBoxData before = box->data();
    DialogResponder responder;
    QFont chosen(QStringLiteral("Liberation Serif"), 30);
    chosen.setBold(true);
    chosen.setItalic(true);
    responder.queueFont(chosen, QColor(255, 0, 0));
    setPageChanged(false);
    QTest::mouseClick(tb(f.page, "tbFont"), Qt::LeftButton);
    QCOMPARE(responder.requests().size(), 1);
    QCOMPARE(responder.requests().first().kind, DialogRequest::Font);
    const TextBoxData d = box->data();
    QCOMPARE(d.fontName, QStringLiteral("Liberation Serif"));
    QCOMPARE(d.fontSize, 12);
    QVERIFY(d.bold && d.italic && !d.underline);
    QCOMPARE(d.color, ColorValue(0x000000FF));
    QCOMPARE(box->palette().color(QPalette::Text), QColor(255, 0, 0));
    TextToolbar *bar = toolbarOf(f.page);
    QCOMPARE(bar->sizeField(), 30);
    QCOMPARE(bar->fontName(), QStringLiteral("Liberation Serif"));
    QVERIFY(bar->bold() && bar->italic());
    QVERIFY(pageChanged());
    f.page.undo();
    QCOMPARE(box->data(), before);
    f.page.redo();
    QCOMPARE(box->data(), d);

    // A size beyond the field shows clamped; the box keeps its own.
    responder.queueFont(QFont(QStringLiteral("Liberation Serif"), 300));
    f.page.FontOptions();
    QCOMPARE(box->data().fontSize, 120);
    QCOMPARE(bar->sizeField(), 200);
}

void TestTextBoxWindow::fontDialogCancelAndUnchanged()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 200, 80));
    DialogResponder responder;
    // Cancel: nothing changes; the toggles follow the box, not their state.
    TextToolbar *bar = toolbarOf(f.page);
    bar->setStyle(true, false, true);
    const TextBoxData before = box->data();
    const int steps = f.steps();
    f.page.FontOptions();
    QCOMPARE(responder.requests().size(), 1);
    QCOMPARE(box->data(), before);
    QCOMPARE(f.steps(), steps);
    QVERIFY(!bar->bold() && !bar->underline());
    // OK with the dialog's name for the same face keeps the box's family.
    responder.queueFont(QFont(QStringLiteral("Liberation Sans"), 15));
    f.page.FontOptions();
    QCOMPARE(box->data().fontName, QStringLiteral("Arial"));
    QCOMPARE(box->data(), before);
    QCOMPARE(f.steps(), steps);
}

void TestTextBoxWindow::fontColourDialog()
{
    // The production dialog: a font dialog without buttons of its own, the
    // 16 basic colours, OK and Cancel.
    for (const bool ok : {true, false}) {
        QFont font(QStringLiteral("Liberation Sans"), 15);
        QColor colour(Qt::black);
        int colours = 0;
        QTimer::singleShot(0, [&] {
            QWidget *dlg = QApplication::activeModalWidget();
            QVERIFY(dlg && dlg->objectName() == QLatin1String("FontColourDialog"));
            auto *fonts = dlg->findChild<QFontDialog *>();
            QVERIFY(fonts && fonts->testOption(QFontDialog::NoButtons));
            QFont bold(QStringLiteral("Liberation Serif"), 20);
            bold.setBold(true);
            fonts->setCurrentFont(bold);
            colours = int(dlg->findChildren<QToolButton *>(QRegularExpression(QStringLiteral("^colour"))).size());
            dlg->findChild<QToolButton *>(QStringLiteral("colour9"))->click(); // red
            auto *buttons = dlg->findChild<QDialogButtonBox *>();
            buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(dialogs::chooseFont(font, colour, nullptr), ok);
        QCOMPARE(colours, 16);
        if (ok) {
            QCOMPARE(font.family(), QStringLiteral("Liberation Serif"));
            QCOMPARE(font.pointSize(), 20);
            QVERIFY(font.bold());
            QCOMPARE(colour, QColor(255, 0, 0));
        } else {
            QCOMPARE(font.family(), QStringLiteral("Liberation Sans"));
            QCOMPARE(colour, QColor(Qt::black));
        }
    }
}

void TestTextBoxWindow::hidePoints_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("page click") << "page";
    QTest::newRow("work area click") << "work";
    QTest::newRow("delete") << "delete";
    QTest::newRow("clear") << "clear";
    QTest::newRow("close page") << "close";
    QTest::newRow("close button") << "tbClose";
}

void TestTextBoxWindow::hidePoints()
{
    QFETCH(QString, how);
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 200, 80));
    QVERIFY(toolbarOf(f.page)->isVisible());
    DialogResponder responder;
    responder.queueResult(MsgResult::No);
    if (how == QLatin1String("page"))
        sendMouse(f.page.pnlPage(), QEvent::MouseButtonPress, QPoint(400, 400));
    else if (how == QLatin1String("work"))
        sendMouse(f.page.workArea(), QEvent::MouseButtonPress, QPoint(2, 2));
    else if (how == QLatin1String("delete"))
        f.page.DeleteImage();
    else if (how == QLatin1String("clear"))
        f.page.btnClearClick();
    else if (how == QLatin1String("close"))
        f.page.closePage();
    else
        QTest::mouseClick(tb(f.page, "tbClose"), Qt::LeftButton);
    QVERIFY(!toolbarOf(f.page)->isVisible());
    if (how == QLatin1String("tbClose"))
        QTRY_VERIFY(box->hasFocus());
}

void TestTextBoxWindow::alignmentOnLinesTypedLater()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 300, 120));
    QTest::mouseClick(tb(f.page, "tbAlignRight"), Qt::LeftButton);
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("ab"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("cd"));
    QCOMPARE(box->text(), QStringLiteral("ab\r\ncd"));
    for (QTextBlock b = box->document()->firstBlock(); b.isValid(); b = b.next()) {
        QTextLayout *layout = b.layout();
        QVERIFY(layout && layout->lineCount() == 1);
        QVERIFY2(layout->lineAt(0).naturalTextRect().left() > box->width() / 2, qPrintable(b.text()));
    }
}

void TestTextBoxWindow::typingIsOneStep()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 300, 120));
    QTRY_VERIFY(box->hasFocus());
    const int steps = f.steps();
    setPageChanged(false);
    QTest::keyClicks(box, QStringLiteral("abc"));
    QVERIFY(pageChanged()); // typing marks the page at once
    QCOMPARE(f.steps(), steps);
    f.page.pnlPage()->setFocus();
    QCOMPARE(f.steps(), steps + 1);
    QVERIFY(!box->document()->isUndoAvailable());
    // Focus in and out without a change adds nothing.
    box->setFocus();
    f.page.pnlPage()->setFocus();
    QCOMPARE(f.steps(), steps + 1);
    f.page.undo();
    QCOMPARE(box->text(), QString());
    f.page.redo();
    QCOMPARE(box->text(), QStringLiteral("abc"));
    // Typing that a Delete interrupts comes before the delete in the history.
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("d"));
    f.page.DeleteImage();
    QVERIFY(f.model().textBoxes().isEmpty());
    f.page.undo();
    QCOMPARE(f.model().textBoxes().size(), 1);
    QCOMPARE(box->text(), QStringLiteral("abcd"));
    f.page.undo();
    QCOMPARE(box->text(), QStringLiteral("abc"));
}

void TestTextBoxWindow::createAndDeleteUndo()
{
    BoxFixture f;
    TTextBox *a = f.newBox(QRect(10, 10, 100, 50), QStringLiteral("one"));
    TTextBox *b = f.newBox(QRect(150, 10, 100, 50), QStringLiteral("two"));
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{a, b}));
    // Undo a creation: the box goes; redo: it comes back last.
    f.page.undo();
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{a}));
    QVERIFY(!b->isVisible());
    f.page.redo();
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{a, b}));
    QVERIFY(b->isVisible());
    // Delete the first: undo brings it back first, as it was.
    const TextBoxData data = a->data();
    f.page.selectObject(f.idOf(a));
    f.page.pnlPage()->setFocus();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    f.page.FormKeyDown(&del);
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{b}));
    f.page.undo();
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{a, b}));
    QCOMPARE(a->data(), data);
    QVERIFY(a->isVisible());
}

void TestTextBoxWindow::pageBranches()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(40, 40, 200, 80), QStringLiteral("line one\r\nline two"));
    f.page.selectObject(f.idOf(box));
    // Delete while typing edits the text.
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    f.page.FormKeyDown(&del);
    QCOMPARE(f.model().textBoxes().size(), 1);
    // Copy selects and copies all the text.
    f.page.Copyer();
    QVERIFY(box->textCursor().hasSelection());
    QCOMPARE(QGuiApplication::clipboard()->text().remove(QLatin1Char('\r')), QStringLiteral("line one\nline two"));
    // Rescale with the page.
    const QRect before = box->geometry();
    const int width = f.page.pnlPage()->width();
    f.page.resize(f.page.width() + 200, f.page.height() + 200);
    QTRY_VERIFY(f.page.pnlPage()->width() != width);
    const double k = double(f.page.pnlPage()->width()) / width;
    QCOMPARE(box->geometry().left(), qRound(before.left() * k));
    QCOMPARE(box->geometry().width(), qRound(before.width() * k));
    // Bring to front: the box stands above a later box, the list order stays.
    TTextBox *later = f.newBox(QRect(60, 60, 200, 80), QStringLiteral("later"));
    const QList<QObject *> &kids = f.page.pnlPage()->children();
    QVERIFY(kids.indexOf(box) < kids.indexOf(later));
    f.page.selectObject(f.idOf(box));
    f.page.tofront();
    QVERIFY(f.page.pnlPage()->children().indexOf(box) > f.page.pnlPage()->children().indexOf(later));
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{box, later}));
    f.page.undo();
    QVERIFY(f.page.pnlPage()->children().indexOf(box) < f.page.pnlPage()->children().indexOf(later));
    f.page.undo(); // the later box goes again
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{box}));
    // Cut: the text on the clipboard, the box off the page; undo brings it back.
    QGuiApplication::clipboard()->clear();
    f.page.selectObject(f.idOf(box));
    f.page.Cut();
    QVERIFY(f.model().textBoxes().isEmpty());
    QVERIFY(!QGuiApplication::clipboard()->text().isEmpty());
    f.page.undo();
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{box}));
    // Clear and its undo.
    DialogResponder responder;
    responder.queueResult(MsgResult::No);
    QVERIFY(f.page.btnClearClick());
    QVERIFY(f.model().textBoxes().isEmpty());
    QVERIFY(!pageChanged());
    f.page.undo();
    QCOMPARE(f.page.textBoxList(), (QList<TTextBox *>{box}));
    QCOMPARE(box->text(), QStringLiteral("line one\r\nline two"));
}

void TestTextBoxWindow::renderTextBoxes()
{
    BoxFixture f;
    TTextBox *a = f.newBox(QRect(20, 30, 200, 80), QStringLiteral("kg first"));
    TTextBox *b = f.newBox(QRect(60, 200, 150, 60), QStringLiteral("second box"));
    QTest::mouseClick(tb(f.page, "tbBorder"), Qt::LeftButton);
    QVERIFY(b->borderFlag());
    setPageChanged(false);
    const int steps = f.steps();
    const int pictures = int(f.model().pictures().size());
    const QList<PageObjectId> ids = f.page.RenderTextBoxes();
    QCOMPARE(ids.size(), 2);
    QCOMPARE(int(f.model().pictures().size()), pictures + 2);
    QCOMPARE(f.steps(), steps);
    QVERIFY(!pageChanged());
    const QList<TTextBox *> boxes{a, b};
    const QString wmf2svg = QStandardPaths::findExecutable(QStringLiteral("wmf2svg"));
    vztest::Sandbox sandbox;
    for (int i = 0; i < 2; ++i) {
        const PageObject *o = f.model().object(ids[i]);
        QVERIFY(o);
        QCOMPARE(o->tag, boxes[i]->tag());
        QCOMPARE(o->rect, textBoxPictureFrame(boxes[i]->geometry()));
        QCOMPARE(o->rect, boxes[i]->geometry().adjusted(-4, -5, 6, 5));
        QCOMPARE(o->picture.kind(), Picture::Kind::Metafile);
        QVERIFY(f.page.control(ids[i]));
        if (!wmf2svg.isEmpty()) {
            const QString in = sandbox.write(QStringLiteral("box%1.wmf").arg(i), o->picture.saveData());
            QProcess p;
            p.start(wmf2svg, {QStringLiteral("-o"), sandbox.path(QStringLiteral("box%1.svg").arg(i)), in});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), 0);
        }
    }
    // The boxes stay; the pictures can go again without a trace in the history.
    QCOMPARE(f.model().textBoxes().size(), 2);
    for (PageObjectId id : ids)
        f.model().removeObject(id);
    QCOMPARE(int(f.model().pictures().size()), pictures);
}

void TestTextBoxWindow::toolbarLooks()
{
    PageFixture f;
    TextToolbar *bar = toolbarOf(f.page);
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->windowTitle(), QStringLiteral("Text Box Buttons (The gray background will not print.)"));
    QCOMPARE(bar->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    // Left to right, with their hints.
    const QList<QPair<QString, QString>> controls = {
        {"tbNew", "New Text Box (Ctrl + B)"}, {"tbFont", "Font Options (Ctrl + F)"},
        {"tbBold", "Bold"}, {"tbUnderline", "Underline"}, {"tbItalic", "Italics"},
        {"cbFontName", "Font Names"}, {"seFontSize", "Font Size"}, {"tbBorder", "Border on/off"},
        {"tbAlignLeft", "Align Left (Ctrl + L)"}, {"tbAlignCenter", "Align Center (Ctrl + J)"},
        {"tbAlignRight", "Align Right (Ctrl + R)"}, {"tbClose", "Close Tool bar"},
    };
    bar->adjustSize();
    int lastX = -1;
    for (const auto &c : controls) {
        auto *w = bar->findChild<QWidget *>(c.first);
        QVERIFY2(w, qPrintable(c.first));
        QCOMPARE(w->toolTip(), c.second);
        QVERIFY2(w->x() > lastX, qPrintable(c.first));
        lastX = w->x();
        if (qobject_cast<QAbstractButton *>(w))
            QCOMPARE(w->size(), QSize(23, 22));
    }
    // Separators before the name box, the size field, Border and the alignments.
    QList<int> separators;
    for (QFrame *line : bar->findChildren<QFrame *>(Qt::FindDirectChildrenOnly))
        if (line->frameShape() == QFrame::VLine)
            separators << line->x();
    std::sort(separators.begin(), separators.end());
    QCOMPARE(separators.size(), 4);
    const char *after[4] = {"cbFontName", "seFontSize", "tbBorder", "tbAlignLeft"};
    const char *before[4] = {"tbItalic", "cbFontName", "seFontSize", "tbBorder"};
    for (int i = 0; i < 4; ++i) {
        QVERIFY(separators[i] > bar->findChild<QWidget *>(before[i])->x());
        QVERIFY(separators[i] < bar->findChild<QWidget *>(after[i])->x());
    }
    auto *name = bar->findChild<QFontComboBox *>("cbFontName");
    QVERIFY(name->isEditable());
    QCOMPARE(name->width(), 156);
    QCOMPARE(name->currentText(), QStringLiteral("Arial"));
    auto *size = bar->findChild<QSpinBox *>("seFontSize");
    QCOMPARE(size->minimum(), 6);
    QCOMPARE(size->maximum(), 200);
    QCOMPARE(size->value(), 15);
    // Align Left down; Border, Bold, Italics, Underline up.
    QVERIFY(tb(f.page, "tbAlignLeft")->isChecked());
    QVERIFY(!tb(f.page, "tbAlignCenter")->isChecked() && !tb(f.page, "tbAlignRight")->isChecked());
    for (const char *n : {"tbBorder", "tbBold", "tbItalic", "tbUnderline"})
        QVERIFY2(tb(f.page, n)->isCheckable() && !tb(f.page, n)->isChecked(), n);
    // Exactly one alignment down.
    QTest::mouseClick(tb(f.page, "tbAlignRight"), Qt::LeftButton);
    QVERIFY(!tb(f.page, "tbAlignLeft")->isChecked());
    QCOMPARE(bar->alignment(), 1);
}

void TestTextBoxWindow::popupItems()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(10, 10, 200, 80));
    QCOMPARE(box->contextMenuPolicy(), Qt::DefaultContextMenu);
    auto action = [&](const char *caption) -> QAction * {
        for (QAction *a : f.page.popupMenu()->actions())
            if (a->text() == QLatin1String(caption))
                return a;
        return nullptr;
    };
    QVERIFY(action("Edit Text Box") && action("Font Options (Ctrl + F)") && action("New Text Box (Ctrl + B)"));
    f.page.pnlPage()->setFocus();
    QTRY_VERIFY(!box->hasFocus());
    action("Edit Text Box")->trigger();
    QTRY_VERIFY(box->hasFocus());
    DialogResponder responder;
    responder.queueFont(QFont(QStringLiteral("Liberation Mono"), 20));
    action("Font Options (Ctrl + F)")->trigger();
    QCOMPARE(box->data().fontName, QStringLiteral("Liberation Mono"));
    QCOMPARE(box->data().fontSize, 8);
    // With a picture selected they do nothing.
    const PageObjectId pic = f.place(bitmap(100, 50));
    QCOMPARE(f.page.selectedObject(), pic);
    action("Font Options (Ctrl + F)")->trigger();
    QCOMPARE(responder.requests().size(), 1);
    action("New Text Box (Ctrl + B)")->trigger();
    QVERIFY(f.page.textTool()->drawingMode());
}

void TestTextBoxWindow::frameMovesBox()
{
    BoxFixture f;
    TTextBox *box = f.newBox(QRect(40, 40, 200, 80), QStringLiteral("move me"));
    TStretchHandle *frame = f.page.stretchHandle();
    QCOMPARE(frame->attached(), box);
    setPageChanged(false);
    // Drag the frame's left border 30 right and 20 down.
    const QPoint grab(1, frame->height() / 2 + 10);
    QCOMPARE(frame->gripAt(grab), TStretchHandle::Grip::Body);
    const QPoint start = frame->mapToGlobal(grab);
    const QPoint end = start + QPoint(30, 20);
    sendMouse(frame, QEvent::MouseButtonPress, grab, Qt::LeftButton, start);
    sendMouse(frame, QEvent::MouseMove, frame->mapFromGlobal(end), Qt::LeftButton, end);
    sendMouse(frame, QEvent::MouseButtonRelease, frame->mapFromGlobal(end), Qt::LeftButton, end);
    QCOMPARE(box->geometry(), QRect(70, 60, 200, 80));
    QVERIFY(pageChanged());
    QVERIFY(frame->hasFocus()); // a press on the border takes the focus: Delete deletes
    f.page.undo();
    QCOMPARE(box->geometry(), QRect(40, 40, 200, 80));
    f.page.redo();
    QCOMPARE(box->geometry(), QRect(70, 60, 200, 80));
}

QTEST_MAIN(TestTextBoxWindow)
#include "tst_textboxwindow.moc"
