#include "printpage/TextBoxTool.h"

#include "common/Dialogs.h"
#include "common/PageChanged.h"
#include "printpage/TStretchHandle.h"
#include "printpage/TTextBox.h"
#include "printpage/TextBoxRender.h"
#include "printpage/TextToolbar.h"
#include "printpage/formPrint.h"

#include <QApplication>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QUndoStack>

#include <algorithm>

namespace vz {

namespace {

constexpr int kMinimumSide = TStretchHandle::kMinimumSize;

// The transparent sheet over the page that shows the rectangle being drawn.
class RubberBandOverlay : public QWidget
{
public:
    explicit RubberBandOverlay(QWidget *page)
        : QWidget(page)
    {
        setObjectName(QStringLiteral("TextBoxOverlay"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(page->rect());
        raise();
        show();
    }
    void setBand(const QRect &band)
    {
        m_band = band;
        update();
    }
    QRect band() const { return m_band; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_band.isNull())
            return;
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(m_band.adjusted(0, 0, -1, -1));
    }

private:
    QRect m_band;
};

QPoint globalPosOf(QEvent *event)
{
    return static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
}

} // namespace

QRect normalisedTextBoxRect(const QPoint &press, const QPoint &release)
{
    const int left = std::min(press.x(), release.x());
    const int top = std::min(press.y(), release.y());
    const int width = std::max(kMinimumSide, std::abs(release.x() - press.x()));
    const int height = std::max(kMinimumSide, std::abs(release.y() - press.y()));
    return QRect(left, top, width, height);
}

TextBoxTool::TextBoxTool(TfrmPrint &page)
    : QObject(&page)
    , m_page(page)
{
    m_toolbar = new TextToolbar(&page);
    m_toolbar->hide();
    connect(m_toolbar, &TextToolbar::newClicked, this, [this] { StartTextBox(); });
    connect(m_toolbar, &TextToolbar::fontOptionsClicked, this, &TextBoxTool::FontOptions);
    connect(m_toolbar, &TextToolbar::boldClicked, this, [this] {
        changeFormat(TextBoxProperty::Bold, [](TextBoxData &d) { d.bold = !d.bold; });
    });
    connect(m_toolbar, &TextToolbar::italicClicked, this, [this] {
        changeFormat(TextBoxProperty::Italic, [](TextBoxData &d) { d.italic = !d.italic; });
    });
    connect(m_toolbar, &TextToolbar::underlineClicked, this, [this] {
        changeFormat(TextBoxProperty::Underline, [](TextBoxData &d) { d.underline = !d.underline; });
    });
    connect(m_toolbar, &TextToolbar::fontNameEdited, this, [this](const QString &name) {
        changeFormat(TextBoxProperty::FontName, [&name](TextBoxData &d) { d.fontName = name; });
    });
    connect(m_toolbar, &TextToolbar::sizeFieldEdited, this, [this](int field) {
        changeFormat(TextBoxProperty::FontSize, [field](TextBoxData &d) { d.fontSize = fontSizeFromSizeField(field); });
    });
    connect(m_toolbar, &TextToolbar::borderClicked, this, [this] {
        changeFormat(TextBoxProperty::Border, [](TextBoxData &d) {
            d.borderSingle = !d.borderSingle;
            d.borderFlag = d.borderSingle;
        });
    });
    connect(m_toolbar, &TextToolbar::alignmentClicked, this, [this](int alignment) {
        changeFormat(TextBoxProperty::Alignment, [alignment](TextBoxData &d) { d.alignment = alignment; });
    });
    connect(m_toolbar, &TextToolbar::closeClicked, this, [this] {
        if (TTextBox *box = selectedBox()) {
            box->setFocus(Qt::OtherFocusReason);
            hideToolbar();
        }
    });

    PageModel &model = m_page.model();
    connect(&model, &PageModel::objectAdded, this, &TextBoxTool::boxAdded);
    // After an undo or redo the toolbar shows the box as it now is.
    connect(&model, &PageModel::selectionRequested, this, [this](PageObjectId) {
        if (TTextBox *box = selectedBox(); box && m_toolbar->isVisible())
            loadToolbar(*box);
    });
}

TextBoxTool::~TextBoxTool()
{
    delete m_overlay;
}

TTextBox *TextBoxTool::selectedBox() const
{
    return textBoxOf(m_page.model(), m_page.selectedObject());
}

QList<TTextBox *> TextBoxTool::textBoxes() const
{
    QList<TTextBox *> boxes;
    for (PageObjectId id : m_page.model().textBoxes())
        if (TTextBox *box = textBoxOf(m_page.model(), id))
            boxes.append(box);
    return boxes;
}

void TextBoxTool::hideToolbar() { m_toolbar->hide(); }

void TextBoxTool::commitTyping()
{
    for (TTextBox *box : textBoxes())
        box->commitTyping();
}

void TextBoxTool::boxAdded(PageObjectId id)
{
    TTextBox *box = textBoxOf(m_page.model(), id);
    if (!box || box->property("vzHooked").toBool())
        return;
    box->setProperty("vzHooked", true);
    box->setPopupMenu(m_page.popupMenu());
    box->viewport()->installEventFilter(this);
    connect(box, &TTextBox::typed, this, [] { setPageChanged(true); });
    connect(box, &TTextBox::textEdited, this, [this, box](const QString &before, const QString &after) {
        const PageObjectId boxId = m_page.model().idOf(box);
        if (boxId != kNoObject)
            m_page.model().undoStack()->push(new TextBoxTextCommand(m_page.model(), boxId, before, after));
    });
}

void TextBoxTool::StartTextBox(const QString &presetText)
{
    m_page.commandRun(QStringLiteral("StartTextBox"));
    // A box still waiting is dropped; the new start brings its own text.
    m_pending = std::make_unique<TNewTextBox>();
    m_pending->box = std::make_shared<TTextBox>();
    m_pending->text = presetText;
    delete m_overlay;
    m_page.pnlPage()->setCursor(Qt::DragMoveCursor);
}

void TextBoxTool::ShowToolbar()
{
    showToolbarAtFrame();
    StartTextBox();
    setPageChanged(true);
}

void TextBoxTool::showToolbarAtFrame()
{
    const QRect frame = m_page.stretchHandle()->geometry();
    m_toolbar->move(m_page.pnlPage()->mapToGlobal(frame.topLeft()));
    m_toolbar->show();
    m_toolbar->raise();
}

bool TextBoxTool::onPage(QObject *watched) const
{
    auto *w = qobject_cast<QWidget *>(watched);
    QWidget *page = m_page.pnlPage();
    return w && (w == page || page->isAncestorOf(w));
}

bool TextBoxTool::pageMouseEvent(QObject *watched, QEvent *event)
{
    if (!m_pending || !onPage(watched))
        return false;
    QWidget *page = m_page.pnlPage();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (m_pending->pressed)
            return true;
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            return false; // the popup menu
        m_page.ClearSelection();
        m_pending->pressed = true;
        m_pending->press = page->mapFromGlobal(globalPosOf(event));
        m_overlay = new RubberBandOverlay(page);
        page->setCursor(Qt::SizeFDiagCursor);
        return true;
    }
    case QEvent::MouseMove:
        if (!m_pending->pressed)
            return false;
        if (auto *overlay = static_cast<RubberBandOverlay *>(m_overlay.data()))
            overlay->setBand(QRect(m_pending->press, page->mapFromGlobal(globalPosOf(event))).normalized());
        return true;
    case QEvent::MouseButtonRelease:
        if (!m_pending->pressed)
            return false;
        placeTextBox(m_pending->press, page->mapFromGlobal(globalPosOf(event)));
        return true;
    default:
        return false;
    }
}

void TextBoxTool::placeTextBox(const QPoint &from, const QPoint &to)
{
    std::unique_ptr<TNewTextBox> pending = std::move(m_pending);
    delete m_overlay;
    m_page.pnlPage()->unsetCursor();
    PageModel &model = m_page.model();

    TextBoxData d;
    d.bounds = normalisedTextBoxRect(from, to);
    d.text = pending->text;
    d.fontName = m_toolbar->fontName();
    d.fontSize = fontSizeFromSizeField(m_toolbar->sizeField());
    d.alignment = m_toolbar->alignment();
    d.borderSingle = m_toolbar->border();
    d.borderFlag = d.borderSingle;
    d.tag = int(model.textBoxes().size());
    // A new box is plain, and the style buttons say so.
    m_toolbar->setStyle(false, false, false);

    std::shared_ptr<TTextBox> box = pending->box;
    box->apply(d);
    const PageObjectId id = model.addTextBox(box);
    if (const PageObject *o = model.object(id))
        box->setTag(o->tag);
    // Selected by the step's request; the toolbar follows the frame.
    showToolbarAtFrame();
    box->setFocus(Qt::OtherFocusReason);
}

void TextBoxTool::pnlPageDblClick(TTextBox *box)
{
    const PageObjectId id = m_page.model().idOf(box);
    if (!box || id == kNoObject)
        return;
    // The toolbar opens where the frame was, before it moves to the box.
    showToolbarAtFrame();
    m_page.selectObject(id);
    loadToolbar(*box);
    box->setFocus(Qt::MouseFocusReason);
}

void TextBoxTool::loadToolbar(const TTextBox &box)
{
    const TextBoxData &d = box.format();
    m_toolbar->setFontName(d.fontName);
    m_toolbar->setSizeField(sizeFieldFromFontSize(d.fontSize));
    m_toolbar->setStyle(d.bold, d.italic, d.underline);
    m_toolbar->setBorder(d.borderFlag);
    m_toolbar->setAlignment(d.alignment);
}

void TextBoxTool::changeFormat(TextBoxProperty property, const std::function<void(TextBoxData &)> &change)
{
    TTextBox *box = selectedBox();
    if (!box)
        return;
    const TextBoxData before = box->format();
    TextBoxData after = before;
    change(after);
    if (!(after == before)) {
        PageModel &model = m_page.model();
        model.undoStack()->push(new TextBoxFormatCommand(model, model.idOf(box), property, before, after));
    }
    // The toggles show the box as it now is.
    m_toolbar->setStyle(box->format().bold, box->format().italic, box->format().underline);
    m_toolbar->setBorder(box->format().borderFlag);
}

void TextBoxTool::FontOptions()
{
    m_page.commandRun(QStringLiteral("FontOptions"));
    TTextBox *box = selectedBox();
    if (!box)
        return;
    const TextBoxData before = box->format();
    QFont start = before.font();
    start.setPointSize(sizeFieldFromFontSize(before.fontSize));
    QFont font = start;
    QColor colour = before.textColor();
    TextBoxData after = before;
    if (dialogs::chooseFont(font, colour, &m_page)) {
        // The dialog may name the substitute of a family it was given.
        const bool sameFamily = font.family() == start.family()
                                || QFontInfo(font).family() == QFontInfo(start).family();
        if (!sameFamily)
            after.fontName = font.family();
        const int field = font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF());
        after.fontSize = fontSizeFromSizeField(field);
        after.bold = font.bold();
        after.italic = font.italic();
        after.underline = font.underline();
        after.strikeOut = font.strikeOut();
        after.color = colorValueKeeping(before.color, colour);
        m_toolbar->setSizeField(field);
        m_toolbar->setFontName(after.fontName);
    }
    // OK or Cancel: the border follows the Border button.
    after.borderSingle = m_toolbar->border();
    after.borderFlag = after.borderSingle;
    if (!(after == before)) {
        PageModel &model = m_page.model();
        model.undoStack()->push(
            new TextBoxFormatCommand(model, model.idOf(box), TextBoxProperty::FontDialog, before, after));
    }
    m_toolbar->setStyle(box->format().bold, box->format().italic, box->format().underline);
}

void TextBoxTool::EditTextBox()
{
    if (TTextBox *box = selectedBox())
        box->setFocus(Qt::OtherFocusReason);
}

QList<PageObjectId> TextBoxTool::RenderTextBoxes(int dpi)
{
    commitTyping();
    PageModel &model = m_page.model();
    QList<TextBoxData> boxes;
    for (TTextBox *box : textBoxes())
        boxes.append(box->data());
    QList<PageObjectId> ids;
    for (const TextBoxData &d : boxes) {
        const TextBoxPicture rendered = renderTextBoxPicture(d, dpi);
        const PageObjectId id = model.appendPictureAt(rendered.picture, rendered.frame, rendered.tag);
        if (id != kNoObject)
            ids.append(id);
    }
    return ids;
}

PageObjectId TextBoxTool::appendTextBox(const TextBoxData &data)
{
    auto box = std::make_shared<TTextBox>();
    box->apply(data);
    return m_page.model().appendTextBoxAt(box, data.bounds, data.tag);
}

bool TextBoxTool::eventFilter(QObject *watched, QEvent *event)
{
    if (pageMouseEvent(watched, event))
        return true;
    if (event->type() == QEvent::MouseButtonPress) {
        // Every press inside a box selects it and loads the toolbar; the
        // press goes on to the box (caret, selection).
        auto *box = qobject_cast<TTextBox *>(watched->parent());
        if (box && m_page.model().idOf(box) != kNoObject)
            pnlPageDblClick(box);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vz
