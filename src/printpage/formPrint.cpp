#include "printpage/formPrint.h"

#include "common/AlignLayout.h"
#include "common/Dialogs.h"
#include "common/AtomicFile.h"
#include "common/PageChanged.h"
#include "common/Palette.h"
#include "common/ProgramFolder.h"
#include "common/ScaleForm.h"
#include "common/SmallWidgets.h"
#include "common/TempFile.h"
#include "common/VzApplication.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"
#include "imaging/ImageSizeTarget.h"
#include "imaging/formImageSize.h"
#include "platform/SystemClipboard.h"
#include "common/AtomicFile.h"
#include "common/VzApplication.h"
#include "printpage/PagePrint.h"
#include "printpage/PictureDrop.h"
#include "printpage/PrinterPrintDevice.h"
#include "printpage/PlacedPicture.h"
#include "printpage/PrintPageHost.h"
#include "printpage/Ruler.h"
#include "printpage/TStretchHandle.h"
#include "printpage/TTextBox.h"
#include "printpage/TextBoxTool.h"
#include "printpage/TextToolbar.h"
#include "printpage/formPrintTS.h"
#include "printpage/formVZPrintdlg.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QScopeGuard>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <functional>
#include <new>

static void initPrintPageResources()
{
    // The icons live in a static library: make sure its resources are linked.
    static const bool done = [] {
        Q_INIT_RESOURCE(printpage);
        return true;
    }();
    Q_UNUSED(done);
}

namespace vz {

namespace {

constexpr int kRulerBreadth = 16;
constexpr int kRulerCorner = 17;
constexpr int kColumnWidth = 61;
constexpr int kButtonSize = 35;
constexpr int kStatusHeight = 19;

const char *const kStatusCaptions[4] = {"Object Width: ", "Object Height: ", "Object Top: ", "Object Left: "};

const QString kSelectToSize = QStringLiteral("Please select and image to size.");
const QString kSaveBeforeClear = QStringLiteral("Would you like to save before you clear this page?");
const QString kOpenFilter = QStringLiteral("Pictures (*.bmp *.dib *.jpg *.jpeg *.gif *.wmf *.emf *.png *.ico)");

void setBackground(QWidget *w, const QColor &c)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
}

QString saveFilterFor(Picture::Kind kind)
{
    switch (kind) {
    case Picture::Kind::Bitmap: return QStringLiteral("Bitmap (*.bmp)");
    case Picture::Kind::Metafile: return QStringLiteral("Metafile (*.wmf)");
    case Picture::Kind::EnhancedMetafile: return QStringLiteral("Enhanced Metafile (*.emf)");
    case Picture::Kind::Jpeg: return QStringLiteral("JPEG (*.jpg)");
    case Picture::Kind::Gif: return QStringLiteral("GIF (*.gif)");
    case Picture::Kind::Icon: return QStringLiteral("Icon (*.ico)");
    case Picture::Kind::None: break;
    }
    return QString();
}

} // namespace

// What the size dialog sees of the page.
class TfrmPrint::SizeTarget : public ImageSizeTarget
{
public:
    explicit SizeTarget(TfrmPrint *page) : m_page(page) {}
    QSize pageSize() const override { return m_page->m_pnlPage->size(); }
    int ppiX() const override { return m_page->m_model->geometry().ppiX; }
    int ppiY() const override { return m_page->m_model->geometry().ppiY; }
    bool hasSelection() const override { return m_page->m_handle->isAttached(); }
    QRect frameRect() const override { return m_page->m_handle->band(); }
    void setFrameRect(const QRect &frame) override
    {
        m_page->m_nextChange = RectChange::SizeDialog;
        m_page->m_handle->setControlRect(TStretchHandle::controlFor(frame));
        m_page->m_nextChange = RectChange::Drag;
    }

private:
    TfrmPrint *m_page;
};

TfrmPrint::TfrmPrint(QWidget *parent)
    : QWidget(parent)
    , m_sizeTarget(std::make_unique<SizeTarget>(this))
    , m_model(std::make_unique<PageModel>())
{
    initPrintPageResources();
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Print Page"));
    setBackground(this, palette::pageBack);
    setMinimumSize(677, 350);
    resize(700, 500);
    buildWindow();
    buildPopup();
    m_text = new TextBoxTool(*this);
    m_textToolbar = m_text->toolbar();

    connect(m_model.get(), &PageModel::objectAdded, this, &TfrmPrint::objectAdded);
    connect(m_model.get(), &PageModel::objectRemoved, this, &TfrmPrint::objectRemoved);
    connect(m_model.get(), &PageModel::objectChanged, this, &TfrmPrint::objectChanged);
    connect(m_model.get(), &PageModel::stackingChanged, this, &TfrmPrint::restack);
    connect(m_model.get(), &PageModel::selectionRequested, this, [this](PageObjectId id) {
        if (id == kNoObject)
            ClearSelection();
        else
            selectObject(id);
    });

    ScaleFormToScreen(this, screenDpiOf(this));
}

TfrmPrint::~TfrmPrint()
{
    if (m_embedHost)
        m_embedHost->removeEventFilter(this);
    m_handle->Detach();
    // The text-box tool goes first, with a box being drawn and its overlay.
    delete m_text;
    m_text = nullptr;
    disconnect(m_model.get(), nullptr, this, nullptr);
    // Text boxes' controls belong to their boxes, not to the page.
    for (QWidget *w : m_pnlPage->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w != m_handle && !qobject_cast<PlacedPicture *>(w) && !w->property("vzStandIn").toBool())
            w->setParent(nullptr);
}

void TfrmPrint::buildWindow()
{
    auto *layout = new AlignLayout(this);

    auto *column = colouredPanel(this, QStringLiteral("pnlButtons"), palette::mainBlue);
    layout->addWidget(column, Align::Right, QRect(0, 0, kColumnWidth, 0));
    buildButtonColumn(column);

    m_pnlCenter = colouredPanel(this, QStringLiteral("pnlCenter"), palette::mainBlue);
    layout->addWidget(m_pnlCenter, Align::Client);
    auto *centre = new AlignLayout(m_pnlCenter);
    centre->setContentsMargins(8, 8, 8, 8);

    m_statusBar = colouredPanel(m_pnlCenter, QStringLiteral("StatusBar1"), palette::toolbar);
    m_statusBar->setCursor(Qt::PointingHandCursor);
    m_statusBar->installEventFilter(this);
    centre->addWidget(m_statusBar, Align::Bottom, QRect(0, 0, 0, kStatusHeight));
    auto *statusLayout = new AlignLayout(m_statusBar);
    for (int i = 0; i < 5; ++i) {
        auto *panel = new QLabel(m_statusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setText(i < 4 ? QLatin1String(kStatusCaptions[i]) : QStringLiteral("Change Values"));
        panel->setFrameStyle(QFrame::Panel | (i < 4 ? QFrame::Sunken : QFrame::Raised));
        panel->setAttribute(Qt::WA_TransparentForMouseEvents);
        statusLayout->addWidget(panel, Align::Left, QRect(0, 0, i < 4 ? 120 : 50, 0));
        m_status[i] = panel;
    }

    m_pnlTopRuler = colouredPanel(m_pnlCenter, QStringLiteral("pnlTopRuler"), Qt::white);
    centre->addWidget(m_pnlTopRuler, Align::Top, QRect(0, 0, 0, kRulerBreadth));
    auto *topLayout = new AlignLayout(m_pnlTopRuler);
    auto *corner = colouredPanel(m_pnlTopRuler, QStringLiteral("pnlRulerCorner"), palette::sidePanel);
    topLayout->addWidget(corner, Align::Left, QRect(0, 0, kRulerCorner, 0));
    m_rulerH = new Ruler(Qt::Horizontal, m_pnlTopRuler);
    m_rulerH->setObjectName(QStringLiteral("RulerTop"));
    topLayout->addWidget(m_rulerH, Align::Client);

    m_pnlLeftRuler = colouredPanel(m_pnlCenter, QStringLiteral("pnlLeftRuler"), Qt::white);
    centre->addWidget(m_pnlLeftRuler, Align::Left, QRect(0, 0, kRulerBreadth, 0));
    auto *leftLayout = new AlignLayout(m_pnlLeftRuler);
    m_rulerV = new Ruler(Qt::Vertical, m_pnlLeftRuler);
    m_rulerV->setObjectName(QStringLiteral("RulerLeft"));
    leftLayout->addWidget(m_rulerV, Align::Client);

    // The highlight rulers stand over the rulers, placed by the selection.
    m_highlightH = new Ruler(Qt::Horizontal, m_pnlTopRuler);
    m_highlightH->setObjectName(QStringLiteral("RulerHighlightTop"));
    m_highlightV = new Ruler(Qt::Vertical, m_pnlLeftRuler);
    m_highlightV->setObjectName(QStringLiteral("RulerHighlightLeft"));
    for (Ruler *r : {m_highlightH, m_highlightV}) {
        r->setColour(palette::toolbar);
        r->setTickSizes(45, 35, 15);
        r->setAttribute(Qt::WA_TransparentForMouseEvents);
        r->hide();
    }

    m_pnlWork = colouredPanel(m_pnlCenter, QStringLiteral("pnlWork"), palette::sidePanel);
    m_pnlWork->setToolTip(QStringLiteral("Click here to deselect an image."));
    m_pnlWork->setAcceptDrops(true);
    m_pnlWork->installEventFilter(this);
    centre->addWidget(m_pnlWork, Align::Client);

    // The page is placed by RefreshPage, not by a layout.
    m_pnlPage = colouredPanel(m_pnlWork, QStringLiteral("pnlPage"), Qt::white);
    m_pnlPage->setToolTip(QStringLiteral("Add an image by clicking on one of the clipboards below."));
    m_pnlPage->setFocusPolicy(Qt::ClickFocus);
    m_pnlPage->setAcceptDrops(true);
    m_pnlPage->installEventFilter(this);

    m_handle = new TStretchHandle(m_pnlPage);
    connect(m_handle, &TStretchHandle::bandMoved, this, [this](const QRect &band) {
        setPageChanged(true);
        measure(band);
    });
    connect(m_handle, &TStretchHandle::boundsChanged, this,
            [this](QWidget *control, const QRect &, const QRect &after, bool arrow) { frameBoundsChanged(control, after, arrow); });
}

QWidget *TfrmPrint::buildButtonColumn(QWidget *column)
{
    auto *layout = new AlignLayout(column);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *inner = colouredPanel(column, QStringLiteral("pnlButtonsInner"), palette::sidePanel);
    layout->addWidget(inner, Align::Client);
    auto *innerLayout = new AlignLayout(inner);

    auto makeButton = [this](QWidget *parent, const char *name, const char *hint, const char *icon, std::function<void()> run) {
        auto *b = new QToolButton(parent);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QLatin1String(hint));
        b->setIcon(QIcon(QStringLiteral(":/printpage/%1.svg").arg(QLatin1String(icon))));
        b->setIconSize(QSize(28, 28));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(kButtonSize, kButtonSize);
        connect(b, &QToolButton::clicked, this, std::move(run));
        return b;
    };

    auto *printBox = new QWidget(inner);
    printBox->setObjectName(QStringLiteral("pnlPrintButton"));
    innerLayout->addWidget(printBox, Align::Bottom, QRect(0, 0, 0, kButtonSize + 10));
    QToolButton *print = makeButton(printBox, "btnPrint", "Print", "print", [this] { btnPrintClick(); });
    print->move(8, 5);

    auto *scroll = new QScrollArea(inner);
    scroll->setObjectName(QStringLiteral("ScrollBox1"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    setBackground(scroll->viewport(), palette::sidePanel);
    innerLayout->addWidget(scroll, Align::Client);
    auto *list = new QWidget;
    setBackground(list, palette::sidePanel);
    auto *v = new QVBoxLayout(list);
    v->setContentsMargins(8, 6, 0, 6);
    v->setSpacing(6);
    struct Btn { const char *name; const char *hint; const char *icon; std::function<void()> run; };
    const Btn buttons[] = {
        {"btnTextBox", "New TextBox", "textbox", [this] { btnTextBoxClick(); }},
        {"btnSize", "Size Selected Image (Ctrl + H)", "size", [this] { StatusBar1Click(); }},
        {"btnDelete1", "Delete Selected Image", "delete", [this] { DeleteImage(); }},
        {"btnCut", "Cut Image", "cut", [this] { Cut(); }},
        {"btnPaste", "Paste Image", "paste", [this] { PasteFromClipboard(); }},
        {"btnToFront", "Bring Image to Front", "tofront", [this] { tofront(); }},
        {"btnClear", "Clear All Images", "clear", [this] { btnClearClick(); }},
    };
    for (const Btn &b : buttons)
        v->addWidget(makeButton(list, b.name, b.hint, b.icon, b.run));
    v->addStretch(1);
    scroll->setWidget(list);
    return inner;
}

void TfrmPrint::buildPopup()
{
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    QUndoStack *stack = m_model->undoStack();
    QAction *undoItem = m_popup->addAction(QStringLiteral("Undo (Ctrl + Z)"), this, &TfrmPrint::undo);
    QAction *redoItem = m_popup->addAction(QStringLiteral("Redo (Ctrl + Shift + Z)"), this, &TfrmPrint::redo);
    undoItem->setObjectName(QStringLiteral("mnuUndo"));
    redoItem->setObjectName(QStringLiteral("mnuRedo"));
    undoItem->setEnabled(stack->canUndo());
    redoItem->setEnabled(stack->canRedo());
    connect(stack, &QUndoStack::canUndoChanged, undoItem, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, redoItem, &QAction::setEnabled);
    m_popup->addSeparator();
    struct Item { const char *caption; std::function<void()> run; bool separatorAfter; };
    const Item items[] = {
        {"Copy (Ctrl + C)", [this] { Copyer(); }, false},
        {"Cut    (Ctrl + X)", [this] { Cut(); }, false},
        {"Paste (Ctrl + V)", [this] { PasteFromClipboard(); }, true},
        {"Delete (Delete)", [this] { DeleteImage(); }, false},
        {"Clear (Ctrl + Delete)", [this] { btnClearClick(); }, true},
        {"New Text Box (Ctrl + B)", [this] { btnTextBoxClick(); }, false},
        {"Font Options (Ctrl + F)", [this] { FontOptions(); }, false},
        {"Edit Text Box", [this] { m_text->EditTextBox(); }, true},
        {"Print (Ctrl + P)", [this] { btnPrintClick(); }, false},
        {"Print Troubleshooting  (Ctrl + T)", [this] { showTroubleshooting(); }, false},
        {"Print Setup (Ctrl + O)", [this] { PrinterSetup(); }, true},
        {"Open Image (Ctrl + O)", [this] { OpenImage(); }, false},
        {"Open Page (Crtl + E)", [this] { OpenPage(); }, false},
        {"Save Image (Ctrl + I)", [this] { SaveImage(); }, false},
        {"Save Page (Ctrl + S)", [this] { SavePage(); }, false},
        {"Change Values  (Ctrl + H)", [this] { StatusBar1Click(); }, true},
        {"Help (F1)", [this] { if (m_host) m_host->showHelp(); }, false},
    };
    for (const Item &item : items) {
        m_popup->addAction(QLatin1String(item.caption), this, item.run);
        if (item.separatorAfter)
            m_popup->addSeparator();
    }
}

void TfrmPrint::setImageSizeDialog(TfrmImageSize *dialog)
{
    m_sizeDialog = dialog;
    if (dialog)
        dialog->setTarget(m_sizeTarget.get());
}

void TfrmPrint::setPrinter(QPrinter *printer)
{
    m_printer = printer;
    RefreshPage();
}

void TfrmPrint::setScreenWidth(int width)
{
    m_screenWidthSet = true;
    m_model->setScreenWidth(width);
}

QUndoStack *TfrmPrint::undoStack() const { return m_model->undoStack(); }

ImageSizeTarget *TfrmPrint::sizeTarget() const { return m_sizeTarget.get(); }

void TfrmPrint::embedInto(QWidget *host)
{
    if (m_embedHost != host) {
        if (m_embedHost)
            m_embedHost->removeEventFilter(this);
        m_embedHost = host;
        setParent(host, Qt::Widget);
        host->installEventFilter(this);
    }
    // Embedded, the page takes its host's size, however small.
    setMinimumSize(0, 0);
    setGeometry(host->rect());
    show();
}

void TfrmPrint::closePage()
{
    hideTextToolbar();
    hide();
    if (m_host)
        m_host->pageClosed();
}

void TfrmPrint::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmPrint::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    RefreshPage();
}

void TfrmPrint::FormShow()
{
    RefreshPage();
    ClearSelection();
    if (m_host) {
        m_host->refreshThumbnails();
        m_host->ResiseClipBoardImage();
    }
}

void TfrmPrint::RefreshPage()
{
    if (!m_printer) {
        m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer = m_ownPrinter.get();
    }
    // Lay the panels out now: the work area's size decides the page.
    if (layout())
        layout()->setGeometry(rect());
    if (m_pnlCenter->layout())
        m_pnlCenter->layout()->setGeometry(m_pnlCenter->rect());

    PrinterPage printerPage;
    if (m_printer == m_ownPrinter.get() && QPrinterInfo::availablePrinterNames().isEmpty()) {
        printerPage = noPrinterPage();
        // Without a printer the page still turns with the page's orientation.
        if (m_printer->pageLayout().orientation() == QPageLayout::Landscape)
            std::swap(printerPage.width, printerPage.height);
    } else {
        const int res = m_printer->resolution();
        const QRect area = m_printer->pageLayout().paintRectPixels(res);
        printerPage = {area.width(), area.height(), res, res};
        if (!printerPage.isValid())
            printerPage = noPrinterPage();
    }
    const std::optional<PageGeometry> g = computePageGeometry(printerPage, m_pnlCenter->size(), m_pnlWork->size());
    if (!g)
        return;
    if (!m_screenWidthSet) {
        const QScreen *s = screen();
        m_model->setScreenWidth(s ? int(s->geometry().width() * s->devicePixelRatio()) : 0);
    }
    m_pnlPage->setGeometry(g->page);
    m_rulerH->setUnitSize(g->ppiX);
    m_rulerH->setStart(g->rulerStartX);
    m_rulerV->setUnitSize(g->ppiY);
    m_rulerV->setStart(g->rulerStartY);
    m_highlightH->setUnitSize(g->ppiX);
    m_highlightV->setUnitSize(g->ppiY);
    m_highlightH->hide();
    m_highlightV->hide();
    m_model->setGeometry(*g);
    if (m_handle->isAttached()) {
        m_handle->followControl();
        measure(m_handle->geometry());
    }
}

void TfrmPrint::placePictures(const QList<Picture> &pictures, PlaceSource source)
{
    WaitCursor wait;
    m_model->placePictures(pictures, source);
    command("AddPicture");
}

void TfrmPrint::objectAdded(PageObjectId id)
{
    const PageObject *o = m_model->object(id);
    if (!o)
        return;
    QWidget *w = nullptr;
    if (o->isTextBox()) {
        w = o->textBox ? o->textBox->widget() : nullptr;
        if (w) {
            w->setParent(m_pnlPage);
        } else {
            // A box without a control of its own still needs something to frame.
            w = new QWidget(m_pnlPage);
            w->setProperty("vzStandIn", true);
        }
    } else {
        w = new PlacedPicture(o->picture, m_pnlPage);
    }
    w->setGeometry(o->rect);
    w->installEventFilter(this);
    w->show();
    m_controls.insert(id, w);
    restack();
}

void TfrmPrint::objectRemoved(PageObjectId id)
{
    if (id == m_selected)
        ClearSelection();
    QWidget *w = m_controls.take(id);
    if (!w)
        return;
    w->removeEventFilter(this);
    if (qobject_cast<PlacedPicture *>(w) || w->property("vzStandIn").toBool()) {
        delete w;
    } else {
        // The text box's control lives on with the model (undo brings it back).
        w->hide();
    }
}

void TfrmPrint::objectChanged(PageObjectId id)
{
    const PageObject *o = m_model->object(id);
    QWidget *w = m_controls.value(id);
    if (!o || !w)
        return;
    if (w->geometry() != o->rect)
        w->setGeometry(o->rect);
    if (id == m_selected) {
        m_handle->followControl();
        measure(m_handle->geometry());
    }
}

void TfrmPrint::restack()
{
    // A raise costs as much as the page has controls: raise only from the
    // first place where the order differs from the one shown, so a picture
    // added on top costs one raise rather than one per picture.
    const QList<PageObjectId> order = m_model->stackingOrder();
    qsizetype same = 0;
    while (same < order.size() && same < m_shownStack.size() && order[same] == m_shownStack[same])
        ++same;
    for (qsizetype i = same; i < order.size(); ++i)
        if (QWidget *w = m_controls.value(order[i]))
            w->raise();
    m_shownStack = order;
    m_handle->raise();
}

PageObjectId TfrmPrint::idOfControl(const QObject *control) const
{
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it)
        if (it.value() == control)
            return it.key();
    return kNoObject;
}

const PageObject *TfrmPrint::selected() const
{
    return m_selected == kNoObject ? nullptr : m_model->object(m_selected);
}

void TfrmPrint::selectObject(PageObjectId id)
{
    const PageObject *o = m_model->object(id);
    QWidget *w = m_controls.value(id);
    if (!o || !w)
        return;
    m_selected = id;
    m_handle->Attach(w, !o->isTextBox());
    m_highlightH->show();
    m_highlightV->show();
    measure(m_handle->geometry());
}

void TfrmPrint::ClearSelection()
{
    m_handle->Detach();
    m_selected = kNoObject;
    m_highlightH->hide();
    m_highlightV->hide();
    clearReadouts();
}

void TfrmPrint::clearReadouts()
{
    if (m_sizeDialog)
        m_sizeDialog->clearFields();
    for (int i = 0; i < 4; ++i)
        m_status[i]->setText(QLatin1String(kStatusCaptions[i]));
}

void TfrmPrint::measure(const QRect &frame)
{
    const PageGeometry &g = m_model->geometry();
    if (g.ppiX <= 0 || g.ppiY <= 0)
        return;
    const FrameMeasures m = measuresFromFrame(frame);
    const double values[4] = {double(m.w) / g.ppiX, double(m.h) / g.ppiY, double(m.y) / g.ppiY, double(m.x) / g.ppiX};
    for (int i = 0; i < 4; ++i)
        m_status[i]->setText(QLatin1String(kStatusCaptions[i]) + formatInches(values[i]) + QLatin1Char('"'));

    // The highlight rulers stand over the object's extent, counting from its edges.
    const QPoint page = m_pnlPage->pos();
    m_highlightH->setGeometry(page.x() + m.x + kRulerCorner, 0, std::max(0, m.w), m_pnlTopRuler->height());
    m_highlightH->setStart(double(m.x) / g.ppiX);
    m_highlightV->setGeometry(0, page.y() + m.y, m_pnlLeftRuler->width(), std::max(0, m.h));
    m_highlightV->setStart(double(m.y) / g.ppiY);
    m_highlightH->raise();
    m_highlightV->raise();

    if (m_sizeDialog)
        m_sizeDialog->frameChanged();
}

QString TfrmPrint::statusText(int panel) const
{
    return panel >= 0 && panel < 5 ? m_status[panel]->text() : QString();
}

void TfrmPrint::frameBoundsChanged(QWidget *control, const QRect &after, bool arrow)
{
    const PageObjectId id = idOfControl(control);
    if (id == kNoObject)
        return;
    m_model->setObjectRect(id, after, arrow ? RectChange::Arrow : m_nextChange);
    measure(m_handle->geometry());
}

bool TfrmPrint::textBoxHasFocus() const
{
    for (PageObjectId id : m_model->textBoxes()) {
        const PageObject *o = m_model->object(id);
        if (o && o->textBox && o->textBox->hasKeyboardFocus())
            return true;
    }
    return false;
}

void TfrmPrint::hideTextToolbar() { m_textToolbar->hide(); }

void TfrmPrint::DeleteImage()
{
    command("DeleteImage");
    const PageObject *o = selected();
    if (!o)
        return;
    if (o->isTextBox())
        hideTextToolbar();
    m_text->commitTyping();
    const PageObjectId id = m_selected;
    ClearSelection();
    m_model->deleteObject(id);
}

void TfrmPrint::Copyer()
{
    command("Copyer");
    const PageObject *o = selected();
    if (!o)
        return;
    if (o->isTextBox()) {
        if (o->textBox && !o->textBox->text().isEmpty()) {
            o->textBox->selectAll();
            SystemClipboard::putText(o->textBox->text());
        }
        return;
    }
    const QWidget *w = m_controls.value(m_selected);
    m_model->setCopyRect(w ? w->geometry() : o->rect);
    const Picture picture = o->picture;
    if (picture.kind() == Picture::Kind::Metafile) {
        // The metafile goes on the clipboard as other programs read it: from a file.
        TempFile file(QStringLiteral("cad"), QStringLiteral(".wmf"));
        QFile out(file.path());
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            out.write(picture.saveData());
            out.close();
            PutMetafileOnClipboard(file.path());
        }
    } else {
        SystemClipboard::putPicture(picture);
    }
    if (m_host) {
        m_host->showWindowsPicture(picture);
        m_host->ResiseClipBoardImage();
    }
}

void TfrmPrint::Cut()
{
    Copyer();
    DeleteImage();
}

void TfrmPrint::tofront()
{
    command("tofront");
    if (m_selected != kNoObject)
        m_model->bringToFront(m_selected);
}

void TfrmPrint::PasteFromClipboard()
{
    command("PasteFromClipboard");
    if (SystemClipboard::hasPicture()) {
        const Picture picture = SystemClipboard::takePicture();
        if (!picture.isNull()) {
            WaitCursor wait;
            m_model->placePicture(picture, PlaceSource::Paste);
        }
    }
    if (SystemClipboard::hasText())
        StartTextBox(SystemClipboard::takeText()); // the box is made when the user draws it
}

void TfrmPrint::OpenImage()
{
    command("OpenImage");
    const QString file = dialogs::openFileName(this, QStringLiteral("Open Image"), QString(), kOpenFilter);
    if (file.isEmpty())
        return;
    if (m_host)
        m_host->showPrintPage();
    WaitCursor wait;
    const Picture picture = readPagePicture(file);
    m_model->placePicture(picture, PlaceSource::OpenImage);
}

void TfrmPrint::SaveImage()
{
    command("SaveImage");
    const PageObject *o = selected();
    if (!o || o->isTextBox() || o->picture.isNull())
        return;
    const Picture picture = o->picture;
    QString name = dialogs::saveFileName(this, QStringLiteral("Save Image"), QString(), saveFilterFor(picture.kind()));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + picture.defaultExtension();
    picture.saveToFile(name);
}

namespace {

const QString kLayoutFilter = QStringLiteral("VZ Layout (*.[Vv][Zz][Ll])");
const QString kReplaceLayout = QStringLiteral("This file already exist would you like to replace it?");
const QString kNotLayout = QStringLiteral("This is not a VZL file Please make try again.");
const QString kNoLayoutFile = QStringLiteral("The file you requested does not exist.");
// The smallest file that holds an orientation.
constexpr qint64 kLayoutWithOrientation = 18;

QString layoutFolder() { return programFolder() + QStringLiteral("PageLayout"); }

// The layout messages break their lines with a CR; a message box with LF.
QString shownText(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

bool TfrmPrint::SavePage()
{
    command("SavePage");
    QString filter = kLayoutFilter;
    // The dialog asks nothing itself: the page asks its own question below.
    const QString chosen = dialogs::saveFileName(this, QStringLiteral("Save Page"), layoutFolder(), kLayoutFilter,
                                                 &filter, SaveFileOptions{false, QStringLiteral("VZL")});
    if (chosen.isEmpty())
        return false;
    const QString name = withLayoutExtension(chosen);
    if (QFileInfo::exists(name)
        && dialogs::message(kReplaceLayout, MsgIcon::Confirmation, MsgButtons::YesNo, this) != MsgResult::Yes)
        return false;
    return WriteLayoutFile(name);
}

bool TfrmPrint::WriteLayoutFile(const QString &fileName)
{
    QString failure;
    {
        WaitCursor wait;
        m_text->commitTyping();
        if (!m_model->geometry().isValid())
            RefreshPage();
        const PageGeometry &g = m_model->geometry();
        PageLayout layout;
        layout.landscape = m_printer && m_printer->pageLayout().orientation() == QPageLayout::Landscape;
        layout.ppiX = std::max(1, g.ppiX);
        layout.ppiY = std::max(1, g.ppiY);
        layout.screenDpi = screenDpiOf(this);
        for (PageObjectId id : m_model->pictures())
            if (const PageObject *o = m_model->object(id))
                layout.pictures.append({o->picture, o->rect});
        for (const TTextBox *box : m_text->textBoxes())
            layout.boxes.append(box->data());
        try {
            const QByteArray bytes = encodeLayout(layout);
            // Written beside the old file and renamed: a failure keeps the old one whole.
            QString why;
            if (!writeFileAtomically(fileName, bytes, &why))
                failure = QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, why);
        } catch (const VzError &e) {
            failure = e.message();
        } catch (const std::bad_alloc &) {
            failure = QStringLiteral("This page has too many pictures to be saved.");
        }
    }
    if (!failure.isEmpty()) {
        VzApplication::reportError(failure);
        return false;
    }
    return true;
}

bool TfrmPrint::OpenPage()
{
    command("OpenPage");
    for (;;) {
        const QString name = dialogs::openFileName(this, QStringLiteral("Open Page"), layoutFolder(), kLayoutFilter);
        if (name.isEmpty())
            return false;
        if (m_host)
            m_host->showPrintPage();
        if (hasLayoutExtension(name))
            return ReadLayoutFile(name);
        dialogs::information(kNotLayout, this);
    }
}

bool TfrmPrint::ReadLayoutFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir()) {
        dialogs::error(kNoLayoutFile, this);
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        VzApplication::reportError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
        return false;
    }
    // The header is judged alone, before anything else is read or the page is touched.
    DecodedLayout judged;
    const qint64 size = file.size();
    judged.status = judgeLayoutHeader(size, file.read(14), &judged.version);
    if (judged.status != DecodedLayout::Status::Ok) {
        dialogs::information(shownText(layoutStatusMessage(judged)), this);
        return false;
    }
    if (!btnClearClick())
        return false;

    DecodedLayout layout;
    {
        WaitCursor wait;
        QByteArray bytes;
        try {
            file.seek(0);
            bytes = file.read(size);
        } catch (const std::bad_alloc &) {
            bytes.clear();
        }
        file.close();
        layout = decodeLayout(bytes, screenDpiOf(this));
        // A file that changed since its header was judged is a damaged body now.
        if (layout.status != DecodedLayout::Status::Ok)
            layout.status = DecodedLayout::Status::BodyError;
        if (!m_printer)
            RefreshPage(); // makes the page's own printer
        if (bytes.size() >= kLayoutWithOrientation)
            m_printer->setPageOrientation(layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        placeLayout(layout);
        // A loaded page starts a new history, unchanged.
        m_model->clearHistory();
        setPageChanged(false);
    }
    if (layout.status != DecodedLayout::Status::Ok)
        dialogs::information(shownText(layoutStatusMessage(layout)), this);
    return true;
}

void TfrmPrint::placeLayout(DecodedLayout &layout)
{
    // The new orientation's page decides the pixels per inch.
    RefreshPage();
    const PageGeometry &g = m_model->geometry();
    for (const DecodedPicture &p : std::as_const(layout.pictures)) {
        const std::optional<QRect> rect = layoutPictureRect(p, g.ppiX, g.ppiY);
        if (!rect) {
            layout.status = DecodedLayout::Status::BodyError;
            return;
        }
        m_model->appendPictureAt(p.picture, *rect);
    }
    for (const TextBoxData &box : std::as_const(layout.boxes))
        m_text->appendTextBox(box);
}

void TfrmPrint::btnTextBoxClick()
{
    command("btnTextBox");
    ShowToolbar();
}

QString TfrmPrint::pendingTextBoxText() const { return m_text->pendingText(); }
void TfrmPrint::StartTextBox(const QString &presetText) { m_text->StartTextBox(presetText); }
void TfrmPrint::ShowToolbar() { m_text->ShowToolbar(); }
void TfrmPrint::FontOptions() { m_text->FontOptions(); }
QList<PageObjectId> TfrmPrint::RenderTextBoxes(int dpi)
{
    // The boxes measure as on screen.
    return m_text->RenderTextBoxes(dpi > 0 ? dpi : m_pnlPage->logicalDpiY());
}
QList<TTextBox *> TfrmPrint::textBoxList() const { return m_text->textBoxes(); }

void TfrmPrint::btnPrintClick()
{
    command("btnPrint");
    TfrmVZPrintdlg dialog(*this, window());
    dialog.runModal();
}

void TfrmPrint::showTroubleshooting()
{
    command("showTroubleshooting");
    TfrmPrintTS *options = m_host ? m_host->printOptions() : nullptr;
    if (options && !options->isVisible())
        options->runModal();
}

void TfrmPrint::PrinterSetup()
{
    command("PrinterSetup");
    ClearSelection();
    dialogs::printerSetup(m_printer, window());
    RefreshPage();
}

PagePrintResult TfrmPrint::printPageOnto(PrintDevice &device, const PagePrintOptions &options)
{
    // Declared first, so it runs last: the cursor is back before the boxes' pictures go.
    QList<PageObjectId> rendered;
    const auto removeRendered = qScopeGuard([&] {
        if (rendered.isEmpty())
            return;
        ClearSelection();
        for (PageObjectId id : std::as_const(rendered))
            m_model->removeObject(id);
    });
    if (!m_model->textBoxes().isEmpty())
        rendered = RenderTextBoxes();
    WaitCursor wait;

    const QList<PageObjectId> ids = m_model->pictures();
    QList<PagePicture> pictures;
    for (PageObjectId id : ids) {
        const PageObject *o = m_model->object(id);
        pictures.append({o->picture, o->rect});
    }
    const PagePrintResult result = printPage(device, pictures, m_pnlPage->height(), options);
    // "Convert to 24bit" leaves the page's bitmaps converted.
    for (int i : result.converted) {
        if (i < 0 || i >= ids.size())
            continue;
        m_model->replacePicture(ids[i], pictures[i].picture);
        if (auto *control = qobject_cast<PlacedPicture *>(m_controls.value(ids[i])))
            control->setPicture(pictures[i].picture);
    }
    return result;
}

void TfrmPrint::PrintPage()
{
    command("PrintPage");
    if (!m_printer)
        throw PrintError::noPrinter();
    TfrmPrintTS *optionsDialog = m_host ? m_host->printOptions() : nullptr;
    PrinterPrintDevice device(*m_printer);
    const PagePrintResult result = printPageOnto(device, pagePrintOptions(optionsDialog, true));
    switch (result.status) {
    case PagePrintResult::Status::NothingToPrint:
        return;
    case PagePrintResult::Status::Failed:
        throw PrintError::jobRefused();
    case PagePrintResult::Status::BitmapLoadError:
        dialogs::message(kBitmapLoadError, MsgIcon::None, MsgButtons::OK, window());
        return;
    case PagePrintResult::Status::Printed:
        break;
    }
    const MsgResult answer = dialogs::message(
        QStringLiteral("Printing Completed!  For more printing options click the Retry button."), MsgIcon::Information,
        MsgButtons::OKRetry, window());
    if (answer != MsgResult::OK)
        showTroubleshooting();
}

void TfrmPrint::PrintPreview(QWidget *parent, const std::function<void()> &layoutChanged)
{
    command("PrintPreview");
    if (!m_printer)
        throw PrintError::noPrinter();
    QPrintPreviewDialog preview(m_printer, parent ? parent : window());
    preview.setObjectName(QStringLiteral("PrintPreview"));
    // Printing stays with the print dialog's own button.
    for (QAction *action : preview.findChildren<QAction *>()) {
        if (action->text().remove(QLatin1Char('&')) != QLatin1String("Print"))
            continue;
        for (QToolBar *bar : preview.findChildren<QToolBar *>())
            bar->removeAction(action);
        action->setEnabled(false);
        action->setVisible(false);
    }
    QPageLayout shown = m_printer->pageLayout();
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter *printer) {
        // A turn or a new paper there is one of the radio buttons here.
        if (!printer->pageLayout().isEquivalentTo(shown)) {
            shown = printer->pageLayout();
            RefreshPage();
            if (layoutChanged)
                layoutChanged();
        }
        runReported([&] {
            PainterPrintDevice device(printer);
            const PagePrintResult r = printPageOnto(device, pagePrintOptions(m_host ? m_host->printOptions() : nullptr, false));
            if (r.status == PagePrintResult::Status::BitmapLoadError)
                dialogs::message(kBitmapLoadError, MsgIcon::None, MsgButtons::OK, &preview);
        });
    });
    preview.exec();
}

bool TfrmPrint::SaveAsPdf(QWidget *parent)
{
    command("SaveAsPdf");
    SaveFileOptions saveOptions;
    saveOptions.defaultSuffix = QStringLiteral("pdf");
    QWidget *owner = parent ? parent : window();
    const QString name = dialogs::saveFileName(owner, QStringLiteral("Save as PDF"), QString(),
                                               QStringLiteral("PDF (*.pdf)"), nullptr, saveOptions);
    if (name.isEmpty())
        return false;
    PagePrintResult result;
    bool ran = false;
    QString error;
    const bool written = replaceFileAtomically(
        name,
        [&](const QString &temporary) {
            ran = true;
            QPrinter pdf(QPrinter::HighResolution);
            pdf.setOutputFormat(QPrinter::PdfFormat);
            pdf.setOutputFileName(temporary);
            if (m_printer)
                pdf.setPageLayout(m_printer->pageLayout());
            pdf.setResolution(600);
            PrinterPrintDevice device(pdf);
            result = printPageOnto(device, pagePrintOptions(m_host ? m_host->printOptions() : nullptr, false));
            if (result.status == PagePrintResult::Status::Failed)
                error = PrintError::jobRefused().message();
            // A page that stopped half way does not replace the file that was there.
            return result.status == PagePrintResult::Status::Printed;
        },
        &error);
    if (ran && result.status == PagePrintResult::Status::NothingToPrint)
        return false;
    if (ran && result.status == PagePrintResult::Status::BitmapLoadError) {
        dialogs::message(kBitmapLoadError, MsgIcon::None, MsgButtons::OK, owner);
        return false;
    }
    if (!written)
        dialogs::error(QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(name), error), owner);
    return written;
}

void TfrmPrint::ClearPage()
{
    hideTextToolbar();
    m_text->commitTyping();
    ClearSelection();
    m_model->clearPage();
}

bool TfrmPrint::btnClearClick()
{
    command("btnClear");
    if (pageChanged()) {
        const MsgResult r = dialogs::message(kSaveBeforeClear, MsgIcon::Confirmation, MsgButtons::YesNoCancel, this);
        if (r == MsgResult::Cancel)
            return false;
        // A save that was cancelled or failed keeps the page.
        if (r == MsgResult::Yes && !SavePage())
            return false;
    }
    ClearPage();
    setPageChanged(false);
    return true;
}

void TfrmPrint::StatusBar1Click()
{
    command("StatusBar1Click");
    if (m_handle->isAttached()) {
        setPageChanged(true);
        measure(m_handle->geometry());
    }
    if (!m_handle->isAttached() || (m_sizeDialog && m_sizeDialog->widthText().isEmpty())) {
        dialogs::information(kSelectToSize, this);
        return;
    }
    if (m_sizeDialog)
        m_sizeDialog->exec();
}

void TfrmPrint::ResiseClipBoardImage()
{
    if (m_host)
        m_host->ResiseClipBoardImage();
}

void TfrmPrint::undo()
{
    m_model->undoStack()->undo();
}

void TfrmPrint::redo()
{
    m_model->undoStack()->redo();
}

void TfrmPrint::FormKeyDown(QKeyEvent *e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    switch (e->key()) {
    case Qt::Key_Delete:
        // A focused text box takes its keys itself.
        if (!ctrl && m_selected != kNoObject && !(selected()->isTextBox() && textBoxHasFocus()))
            DeleteImage();
        return;
    case Qt::Key_C:
        if (ctrl) {
            if (m_host)
                m_host->mainCopy();
            else
                Copyer();
        }
        return;
    case Qt::Key_V:
        if (ctrl && !textBoxHasFocus()) {
            if (m_host)
                m_host->showPrintPage();
            PasteFromClipboard();
        }
        return;
    case Qt::Key_O:
        if (ctrl)
            OpenImage();
        return;
    case Qt::Key_T:
        if (ctrl)
            showTroubleshooting();
        return;
    case Qt::Key_I:
        if (ctrl)
            SaveImage();
        return;
    case Qt::Key_S:
        if (ctrl)
            SavePage();
        return;
    case Qt::Key_Z:
        if (ctrl && !textBoxHasFocus()) {
            if (shift)
                redo();
            else
                undo();
        }
        return;
    default:
        return;
    }
}

bool TfrmPrint::handleDrop(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(event);
        if (canAcceptPictures(e->mimeData())) {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
        return true;
    }
    case QEvent::Drop:
        dropPictures(static_cast<QDropEvent *>(event));
        return true;
    default:
        return false;
    }
}

bool TfrmPrint::dropPictures(QDropEvent *e)
{
    if (!canAcceptPictures(e->mimeData())) {
        e->ignore();
        return false;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    const DroppedPictures dropped = picturesFromMimeData(e->mimeData());
    if (!dropped.pictures.isEmpty())
        placePictures(dropped.pictures, PlaceSource::Drop);
    if (!dropped.errors.isEmpty())
        dialogs::error(dropErrorMessage(dropped.errors), this);
    return true;
}

bool TfrmPrint::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_embedHost && type == QEvent::Resize) {
        setGeometry(m_embedHost->rect());
        return false;
    }
    if ((watched == m_pnlPage || watched == m_pnlWork) && handleDrop(event))
        return true;
    // Drawing a text box takes the page's presses, also over what is on it.
    if (m_text && m_text->pageMouseEvent(watched, event))
        return true;
    if (type == QEvent::ContextMenu && (watched == m_pnlPage || watched == m_pnlWork)) {
        m_popup->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    if (watched == m_statusBar && type == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            StatusBar1Click();
        return true;
    }
    if (type == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (watched == m_pnlPage) {
            if (me->button() != Qt::RightButton) {
                ClearSelection();
                hideTextToolbar();
                m_pnlPage->setFocus(Qt::MouseFocusReason);
            }
            return true;
        }
        if (watched == m_pnlWork) {
            ClearSelection();
            hideTextToolbar();
            return true;
        }
        if (auto *pic = qobject_cast<PlacedPicture *>(watched)) {
            // Any button selects; the left one goes on as a move of the frame.
            const PageObjectId id = idOfControl(pic);
            if (id != m_selected || !m_handle->isAttached())
                selectObject(id);
            else
                m_handle->setFocus(Qt::MouseFocusReason);
            if (me->button() == Qt::LeftButton)
                m_handle->beginMove(me->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vz
