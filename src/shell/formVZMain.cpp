#include "shell/formVZMain.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ImageExchange.h"
#include "common/AlignLayout.h"
#include "common/SmallWidgets.h"
#include "common/CollapsiblePanel.h"
#include "common/Dialogs.h"
#include "common/Palette.h"
#include "imaging/PictureView.h"
#include "common/ProgramFolder.h"
#include "common/ScaleForm.h"
#include "common/Splitter.h"
#include "common/VzApplication.h"
#include "common/TempFile.h"
#include "common/WaitCursor.h"
#include "enhancements/EnhancementsPage.h"
#include "imagesets/CatalogUpdate.h"
#include "enhancements/TextEffectsPage.h"
#include "platform/Registry.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/FormReplacedlg.h"
#include "imagesets/ClipartPage.h"
#include "imaging/FormEnlarge.h"
#include "imaging/Picture.h"
#include "imaging/PictureView.h"
#include "lettering/AlphabetPage.h"
#include "lettering/MixMatchPage.h"
#include "lettering/WordRenderer.h"
#include "platform/Registry.h"
#include "platform/Restart.h"
#include "platform/SystemClipboard.h"
#include "imaging/formImageSize.h"
#include "printpage/PictureDrop.h"
#include "printpage/formPrint.h"
#include "printpage/formPrintTS.h"
#include "shell/FormTour.h"
#include "shell/ShellPrintHost.h"
#include "shell/ShellTourActions.h"
#include "shell/Startup.h"
#include "shell/TipsPanel.h"
#include "shell/formHelpDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolButton>

static void initIconResources()
{
    // The icons live in a static library: make sure its resources are linked.
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace vz {

namespace {

QIcon svgIcon(const QString &name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

QWidget *namedPage(QStackedWidget *stack, const char *name)
{
    auto *page = new QWidget;
    page->setObjectName(QLatin1String(name));
    stack->addWidget(page);
    return page;
}

} // namespace

QCursor magnifyCursor()
{
    initIconResources();
    static QCursor cursor = [] {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QSvgRenderer svg(QStringLiteral(":/icons/magnify.svg"));
        QPainter p(&pm);
        svg.render(&p);
        return QCursor(pm, 12, 12);
    }();
    return cursor;
}

TfrmVZMain::TfrmVZMain(const QStringList &args, QWidget *parent)
    : QWidget(parent)
    , m_characters(new CharacterMap)
{
    initIconResources();
    setObjectName(QStringLiteral("frmVZMain"));
    setWindowTitle(QStringLiteral("Vellozine Ririraz"));
    setWindowIcon(svgIcon(QStringLiteral("app")));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);
    resize(750, 565);
    setMinimumWidth(720);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center() - rect().center());
    }

    auto *layout = new AlignLayout(this);
    auto *toolbar = colouredPanel(this, "dfsToolBar1", palette::toolbar);
    layout->addWidget(toolbar, Align::Top, QRect(0, 0, 0, 53));
    auto *bottom = colouredPanel(this, "pnlClipboardandPreview", palette::mainBlue);
    layout->addWidget(bottom, Align::Bottom, QRect(0, 0, 0, kStripDesignHeight));
    auto *column = colouredPanel(this, "Panel2", palette::sidePanel);
    column->setMinimumHeight(210);
    layout->addWidget(column, Align::Left, QRect(0, 0, 65, 0));
    m_mainNotebook = new QStackedWidget(this);
    m_mainNotebook->setObjectName(QStringLiteral("MainNotebook"));
    m_mainNotebook->setAutoFillBackground(true);
    QPalette np = m_mainNotebook->palette();
    np.setColor(QPalette::Window, palette::mainBlue);
    m_mainNotebook->setPalette(np);
    layout->addWidget(m_mainNotebook, Align::Client);

    QWidget *vzAlphabet = namedPage(m_mainNotebook, "VZAlphabet");
    QWidget *vzClipart = namedPage(m_mainNotebook, "VZClipart");
    QWidget *vzPlugins = namedPage(m_mainNotebook, "VZPlugins");
    QWidget *vzFlash = namedPage(m_mainNotebook, "VZFlash");
    QWidget *vzPrint = namedPage(m_mainNotebook, "VZPrint");
    auto *printLayout = new AlignLayout(vzPrint);
    m_pnlPrintEmbed = new QWidget(vzPrint);
    m_pnlPrintEmbed->setObjectName(QStringLiteral("pnlPrintEmbed"));
    printLayout->addWidget(m_pnlPrintEmbed, Align::Client);

    buildToolbar(toolbar);
    buildPageColumn(column);
    buildBottomStrip(bottom);

    QWidget *lowerMix = m_noteBookPreview->findChild<QWidget *>(QStringLiteral("MixMatch"));
    QWidget *lowerAlpha = m_noteBookPreview->findChild<QWidget *>(QStringLiteral("Alpha"));
    QWidget *lowerClipart = m_noteBookPreview->findChild<QWidget *>(QStringLiteral("Clipart"));
    QWidget *lowerPrint = m_noteBookPreview->findChild<QWidget *>(QStringLiteral("Print"));
    m_alphabetPage = new AlphabetPage(m_state, *m_characters, vzAlphabet, lowerAlpha, this);
    m_mixPage = new MixMatchPage(m_state, *m_alphabetPage, lowerMix, this);
    m_alphabetPage->gridClickedForMixMatch = [this](int index) {
        if (lowerPageName() == QLatin1String("MixMatch"))
            m_mixPage->DBAlphaGridMousedown(index);
    };
    m_clipartPage = new ClipartPage(m_state, vzClipart, lowerClipart, this);
    m_clipPanel = new ClipboardPanel(m_pnlHideClipart->content(), lowerPrint, this);
    m_clipPanel->setPageNames([this] { return mainPageName(); }, [this] { return lowerPageName(); });
    connect(m_clipPanel, &ClipboardPanel::expandRequested, this, [this] { m_pnlHideClipart->setExpanded(true); });
    m_enhancements = new EnhancementsPage(vzPlugins, vzFlash, m_clipPanel, this);
    auto *textEffects = new TextEffectsPage(vzFlash, [this] { return m_enhancements->imgPlugin(); }, this);
    textEffects->setObjectName(QStringLiteral("TextEffectsPage"));
    m_enlargedView = new TEnlargedView(m_clipPanel, this);
    m_clipPanel->setPreviewWindow(m_enlargedView);
    // The printing options load from the store now, before the page exists.
    m_printOptions = new TfrmPrintTS(kSettingsKey, args.value(0) != QLatin1String("local"), this);
    m_printHost = new ShellPrintHost(*this);
    m_print = new TfrmPrint(nullptr);
    m_print->setHost(m_printHost);
    m_clipPanel->setPrintPage([this] { return m_print->isShowing(); },
                              [this](const QList<Picture> &pictures) { m_print->placePictures(pictures); });
    m_exchange = new ImageExchange({&m_state.clipartMetafilePath, m_characters, m_alphabetPage, m_mixPage, m_clipartPage->mainImage(),
                                    m_clipPanel, m_print, this},
                                   this);
    // The size dialog is the last of the windows made at start.
    m_imageSize = new TfrmImageSize(this);
    m_print->setImageSizeDialog(m_imageSize);
    m_printHover = new QTimer(this);
    m_printHover->setSingleShot(true);
    m_printHover->setInterval(500);
    connect(m_printHover, &QTimer::timeout, this, [this] { m_printHost->showPrintPage(); });
    m_alphabetPage->sendToClipboard = [this] {
        TempFile file;
        m_alphabetPage->renderWord(file.path());
        m_clipPanel->SendToalphaClipBoard(file.path(), m_alphabetPage->wordKind() == WordKind::Metafile);
    };
    m_alphabetPage->openPreview = [this] {
        m_enlargedView->showForRendered([this](const QString &f) { m_alphabetPage->renderWord(f); },
                                        m_alphabetPage->wordKind() == WordKind::Metafile);
    };
    m_mixPage->sendToClipboard = [this] {
        TempFile file;
        m_mixPage->renderTo(file.path());
        m_clipPanel->SendMixToClip(file.path());
    };
    m_mixPage->openPreview = [this] {
        m_enlargedView->showForRendered([this](const QString &f) { m_mixPage->renderTo(f); }, false);
    };
    m_clipartPage->refreshClipboardPanel = [this] {
        if (m_pnlHideClipart->isExpanded())
            m_clipPanel->RefreshClipboardPanel();
    };
    m_clipartPage->sendToClipboard = [this] {
        if (!m_clipartPage->mainImage()->isEmpty())
            m_clipPanel->btnSendtoClipartClipClick(Picture::fromFile(m_state.clipartPath));
    };
    m_clipartPage->openPreview = [this](bool anyKind) {
        const QString path = m_clipartPage->mainImage()->isEmpty() ? QString() : m_state.clipartPath;
        m_enlargedView->showForClipart(path, m_state.clipartName, anyKind);
    };

    m_mainNotebook->setCurrentWidget(vzAlphabet);
    m_noteBookPreview->setCurrentWidget(lowerAlpha);

    m_timer1 = new QTimer(this);
    m_timer1->setInterval(100);
    connect(m_timer1, &QTimer::timeout, this, &TfrmVZMain::Timer1Timer);
    m_timer2 = new QTimer(this);
    m_timer2->setInterval(15000);
    connect(m_timer2, &QTimer::timeout, this, &TfrmVZMain::Timer2Timer);
    // A tip button stops the rotation; only the tips toggle starts it again.
    connect(m_tips, &TipsPanel::tipButtonPressed, m_timer2, &QTimer::stop);

    connect(qApp, &QGuiApplication::applicationStateChanged, this, &TfrmVZMain::applicationStateChanged);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (QGuiApplication::applicationState() == Qt::ApplicationActive)
            checkSystemClipboard();
    });

    FormCreate(args);
    m_timer1->start();
    m_timer2->start();
    m_created = true;
}

TfrmVZMain::~TfrmVZMain()
{
    // A running enhancement's window lives in our panel: close it first.
    m_enhancements->shutdown();
    qApp->removeEventFilter(this);
    delete m_print;
    delete m_printHost;
    delete m_characters;
}

void TfrmVZMain::buildToolbar(QWidget *bar)
{
    struct Btn { const char *name; const char *hint; const char *icon; void (TfrmVZMain::*slot)(); bool toggle; };
    const Btn buttons[] = {
        {"btnOpen", "Open (Ctrl + O)", "open", &TfrmVZMain::btnOpenClick, false},
        {"btnSave", "Save (Ctrl + S)", "save", &TfrmVZMain::btnSaveClick, false},
        {"btncopy", "Copy Image (Ctrl + C)", "copy", &TfrmVZMain::btncopyClick, false},
        {"fcImageBtn2", "Clear Current Clipboard", "clear", &TfrmVZMain::ClearCurrentClipboard, false},
        {"fcImageBtn1", "Clear All Clipboards", "clearall", &TfrmVZMain::ClearallClipboards, false},
        {"btnpreview", "Preview Image/Change Effects (Ctrl + Z)", "preview", &TfrmVZMain::btnpreviewClick, false},
        {"btnclipHide", "Clipboard On/Off", "clipboard", &TfrmVZMain::btnclipHideClick, true},
        {"btnTipsHide", "Tips On/Off", "tips", &TfrmVZMain::btnTipsHideClick, true},
        {"btnTour", "Take a Quick Tour (Crtl +T)", "tour", &TfrmVZMain::btnTourClick, false},
        {"btnHelp", "Help (F1)", "help", &TfrmVZMain::btnHelpClick, false},
    };
    int x = 8;
    for (const Btn &b : buttons) {
        auto *btn = new QToolButton(bar);
        btn->setObjectName(QLatin1String(b.name));
        btn->setToolTip(QLatin1String(b.hint));
        btn->setIcon(svgIcon(QLatin1String(b.icon)));
        btn->setIconSize(QSize(28, 28));
        btn->setAutoRaise(true);
        btn->setFocusPolicy(Qt::NoFocus);
        btn->setGeometry(x, 9, 35, 35);
        x += 35 + 8;
        if (b.toggle) {
            btn->setCheckable(true);
            btn->setChecked(true);
        }
        connect(btn, &QToolButton::clicked, this, b.slot);
        if (qstrcmp(b.name, "btnclipHide") == 0)
            m_btnclipHide = btn;
        else if (qstrcmp(b.name, "btnTipsHide") == 0)
            m_btnTipsHide = btn;
    }
}

void TfrmVZMain::buildPageColumn(QWidget *column)
{
    auto *layout = new AlignLayout(column);
    auto *inner = colouredPanel(column, "pnlClipbtn", palette::sidePanel);
    layout->addWidget(inner, Align::Client);
    struct Btn { const char *name; const char *hint; const char *icon; void (TfrmVZMain::*slot)(); };
    const Btn buttons[] = {
        {"btnAlpha", "Alphabets", "alphabets", &TfrmVZMain::ShowAlpabets},
        {"btnMixMatch", "Mix & Match", "mixmatch", &TfrmVZMain::ShowMixMathc},
        {"btnClipart", "Clipart", "clipart", &TfrmVZMain::ShowClipart},
        {"btnEnhance", "Enhancements", "enhance", &TfrmVZMain::ShowEnhancement},
        {"btnTypeStyler", "Text Effects", "texteffects", &TfrmVZMain::ShowTypeStyler},
        {"btnPrintPreview", "View Print Page", "printpage", &TfrmVZMain::btnPrintPageClick},
    };
    m_pageGroup = new QButtonGroup(this);
    m_pageGroup->setExclusive(true);
    int y = 10;
    for (const Btn &b : buttons) {
        auto *btn = new QToolButton(inner);
        btn->setObjectName(QLatin1String(b.name));
        btn->setToolTip(QLatin1String(b.hint));
        btn->setIcon(svgIcon(QLatin1String(b.icon)));
        btn->setIconSize(QSize(28, 28));
        btn->setCheckable(true);
        btn->setAutoRaise(true);
        btn->setFocusPolicy(Qt::NoFocus);
        btn->setGeometry(15, y, 35, 35);
        m_pageGroup->addButton(btn);
        connect(btn, &QToolButton::clicked, this, b.slot);
        if (qstrcmp(b.name, "btnPrintPreview") == 0) {
            m_btnPrintPreview = btn;
            btn->setAcceptDrops(true);
        }
        if (qstrcmp(b.name, "btnTypeStyler") == 0)
            btn->hide(); // the text effects page cannot be reached
        else
            y += 45;
        if (qstrcmp(b.name, "btnAlpha") == 0)
            btn->setChecked(true);
    }
}

void TfrmVZMain::buildBottomStrip(QWidget *strip)
{
    auto *layout = new AlignLayout(strip);
    m_pnlHideClipart = new CollapsiblePanel(Qt::RightEdge, strip);
    m_pnlHideClipart->setObjectName(QStringLiteral("pnlHideClipart"));
    layout->addWidget(m_pnlHideClipart, Align::Left, QRect(0, 0, 134, 0));
    auto *leftSplit = new Splitter(Qt::Horizontal, strip);
    leftSplit->setObjectName(QStringLiteral("Splitter1"));
    layout->addWidget(leftSplit, Align::Left, QRect(0, 0, 5, 0));

    m_pnlhideTip = new CollapsiblePanel(Qt::LeftEdge, strip);
    m_pnlhideTip->setObjectName(QStringLiteral("pnlhideTip"));
    layout->addWidget(m_pnlhideTip, Align::Right, QRect(0, 0, 134, 0));
    m_tips = new TipsPanel(m_pnlhideTip->content());
    (new AlignLayout(m_pnlhideTip->content()))->addWidget(m_tips, Align::Client);
    auto *rightSplit = new Splitter(Qt::Horizontal, strip);
    rightSplit->setObjectName(QStringLiteral("Splitter2"));
    layout->addWidget(rightSplit, Align::Right, QRect(0, 0, 5, 0));

    m_noteBookPreview = new QStackedWidget(strip);
    m_noteBookPreview->setObjectName(QStringLiteral("NoteBookPreview"));
    namedPage(m_noteBookPreview, "MixMatch");
    namedPage(m_noteBookPreview, "Alpha");
    namedPage(m_noteBookPreview, "Clipart");
    namedPage(m_noteBookPreview, "Print");
    layout->addWidget(m_noteBookPreview, Align::Client);

    connect(m_pnlHideClipart, &CollapsiblePanel::resized, this, &TfrmVZMain::pnlHideClipartCanResize);
    connect(m_pnlhideTip, &CollapsiblePanel::resized, this, &TfrmVZMain::pnlhideTipCanResize);
}

void TfrmVZMain::FormCreate(const QStringList &args)
{
    // Each step runs under the error report on its own: a failing step is
    // reported and start-up goes on with the next, as events do later.
    m_state.mixLineCount = 1;
    runReported([this] { ScaleFormToScreen(this, screenDpiOf(this)); });
    // Also the message hook of enhancements.
    runReported([this] { qApp->installEventFilter(this); });

    runReported([this] {
        const QCursor magnify = magnifyCursor();
        for (QWidget *w : {static_cast<QWidget *>(m_clipartPage->mainImage()), m_clipartPage->panelImageInner(),
                           m_alphabetPage->paintBox(), static_cast<QWidget *>(m_alphabetPage->scrollBox()),
                           m_mixPage->paintBox(), static_cast<QWidget *>(m_clipPanel->imgTotebag())})
            w->setCursor(magnify);
    });

    m_state.programFolder = programFolder();
    m_state.imageFolder = m_state.programFolder;
    m_args = args;
    runReported([this, &args] {
        const StartupSettings settings = readStartupSettings(args, m_state.programFolder);
        m_state.imageFolder = settings.imageFolder;
        m_state.usedRegistry = settings.usedRegistry;
        setVersionText(settings.versionText);
    });

    // A set data file that cannot be read leaves the list empty, without "More...".
    runReported([this] {
        WaitCursor wait;
        m_alphabetPage->fillAlphabetList(m_state.programFolder + QStringLiteral("Alphabets/Color"));
    });

    // Whatever goes wrong with the map, the user sees the one message for it.
    bool charactersLoaded = false;
    try {
        charactersLoaded = m_characters->load(m_state.programFolder + QStringLiteral("characters"));
    } catch (const std::exception &) {
        charactersLoaded = false;
    }
    if (!charactersLoaded) {
        dialogs::message(kCharactersMissingMessage, MsgIcon::Error, MsgButtons::OK, this);
        m_terminate = true;
    }

    runReported([this] { m_enhancements->scanEnhancements(m_state.programFolder + QStringLiteral("Enhancements/")); });
    runReported([this, &args] {
        // Without settings ("local") no copy of the clipboards is kept.
        const bool local = args.value(0) == QLatin1String("local");
        m_enhancements->setRecoveryFolder(local ? QString() : registryFolder() + QStringLiteral("/recovery/"));
        if (!m_terminate)
            m_enhancements->offerRecovery();
    });
    // Chooses nothing when the list stayed empty.
    runReported([this] { m_alphabetPage->selectAndChoose(0); });
}

void TfrmVZMain::Timer1Timer()
{
    // Stopped first: the update below lets the window paint, and a second
    // tick must not run the check again.
    m_timer1->stop();
    runReported([this] { showMaximized(); });
    runReported([this] { CheckForCatalogUpdate(); });
    if (m_state.restarting)
        return;
    // The start-up tour; with "local" the store is not asked.
    runReported([this] {
        if (!m_state.usedRegistry)
            return;
        TfrmTour *tour = newTourWindow(*this);
        if (!tour->startupTourDecision(m_state.programFolder))
            delete tour;
    });
    runReported([this] { m_tips->loadTipsOnce(m_state.programFolder + QStringLiteral("tips.dat")); });
}

void TfrmVZMain::Timer2Timer() { m_tips->advance(); }

void TfrmVZMain::CheckForCatalogUpdate()
{
    // With "local" the store is never touched.
    if (!m_state.usedRegistry)
        return;
    RegistryKey reg(RegRoot::LocalMachine);
    if (!reg.openKey(kSettingsKey, true))
        return;
    bool run = true;
    try {
        if (reg.valueExists(QStringLiteral("HasNewQNFile"))) {
            run = reg.readBool(QStringLiteral("HasNewQNFile"));
            reg.writeBool(QStringLiteral("HasNewQNFile"), false);
        } else {
            reg.writeBool(QStringLiteral("HasNewQNFile"), true);
        }
    } catch (const VzError &) {
        // A value of another type, or a store that cannot be written: no update.
        return;
    }
    if (!run)
        return;
    m_state.updatePending = true;
    RunCatalogUpdate();
}

QString TfrmVZMain::mainPageName() const
{
    return m_mainNotebook->currentWidget() ? m_mainNotebook->currentWidget()->objectName() : QString();
}

QString TfrmVZMain::lowerPageName() const
{
    return m_noteBookPreview->currentWidget() ? m_noteBookPreview->currentWidget()->objectName() : QString();
}

void TfrmVZMain::setMainPage(const QString &name)
{
    if (QWidget *w = m_mainNotebook->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly))
        m_mainNotebook->setCurrentWidget(w);
}

void TfrmVZMain::setLowerPage(const QString &name)
{
    if (QWidget *w = m_noteBookPreview->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly))
        m_noteBookPreview->setCurrentWidget(w);
}

void TfrmVZMain::closePrintPage()
{
    if (m_print->isShowing())
        m_print->closePage();
}

void TfrmVZMain::ShowAlpabets()
{
    closePrintPage();
    setMainPage(QStringLiteral("VZAlphabet"));
    setLowerPage(QStringLiteral("Alpha"));
    m_pnlHideClipart->show();
    m_pnlhideTip->show();
    if (m_pnlHideClipart->isExpanded())
        m_clipPanel->RefreshClipboardPanel();
    m_alphabetPage->reselectRemembered();
}

void TfrmVZMain::ShowMixMathc()
{
    closePrintPage();
    setMainPage(QStringLiteral("VZAlphabet"));
    setLowerPage(QStringLiteral("MixMatch"));
    m_pnlHideClipart->show();
    m_pnlhideTip->show();
    if (m_pnlHideClipart->isExpanded())
        m_clipPanel->RefreshClipboardPanel();
    m_alphabetPage->reselectRemembered();
}

void TfrmVZMain::ShowClipart()
{
    closePrintPage();
    setMainPage(QStringLiteral("VZClipart"));
    setLowerPage(QStringLiteral("Clipart"));
    m_pnlHideClipart->show();
    m_clipartPage->ShowClipart();
}

void TfrmVZMain::ShowEnhancement()
{
    closePrintPage();
    setMainPage(QStringLiteral("VZPlugins"));
    setLowerPage(QStringLiteral("Print"));
    m_pnlHideClipart->hide();
    m_clipPanel->refreshThumbnails();
    m_enhancements->pageShown();
}

void TfrmVZMain::ShowTypeStyler()
{
    closePrintPage();
    setMainPage(QStringLiteral("VZFlash"));
    setLowerPage(QStringLiteral("Print"));
    m_pnlHideClipart->hide();
}

void TfrmVZMain::btnPrintPageClick()
{
    setMainPage(QStringLiteral("VZPrint"));
    setLowerPage(QStringLiteral("Print"));
    m_pnlHideClipart->hide();
    WaitCursor wait;
    m_print->embedInto(m_pnlPrintEmbed);
}

void TfrmVZMain::btnclipHideClick() { m_pnlHideClipart->setExpanded(m_btnclipHide->isChecked()); }

void TfrmVZMain::btnTipsHideClick()
{
    m_pnlhideTip->setExpanded(m_btnTipsHide->isChecked());
    if (m_btnTipsHide->isChecked())
        m_timer2->start();
    else
        m_timer2->stop();
}

void TfrmVZMain::pnlHideClipartCanResize(bool expanded) { m_btnclipHide->setChecked(expanded); }
void TfrmVZMain::pnlhideTipCanResize(bool expanded) { m_btnTipsHide->setChecked(expanded); }

// Toolbar commands announce themselves; errors go to the error report.
void TfrmVZMain::btnOpenClick()
{
    Q_EMIT commandRun(QStringLiteral("btnOpen"));
    runReported([this] { m_exchange->Open(); });
}
void TfrmVZMain::btnSaveClick()
{
    Q_EMIT commandRun(QStringLiteral("btnSave"));
    runReported([this] { m_exchange->Save(mainPageName(), lowerPageName()); });
}
void TfrmVZMain::btncopyClick()
{
    runReported([this] { m_exchange->Copy(mainPageName(), lowerPageName()); });
    Q_EMIT commandRun(QStringLiteral("btncopy"));
}
void TfrmVZMain::ClearCurrentClipboard()
{
    m_clipPanel->ClearCurrentClipboard();
    Q_EMIT commandRun(QStringLiteral("fcImageBtn2"));
}
void TfrmVZMain::ClearallClipboards()
{
    m_clipPanel->ClearallClipboards();
    Q_EMIT commandRun(QStringLiteral("fcImageBtn1"));
}
void TfrmVZMain::btnpreviewClick()
{
    Q_EMIT commandRun(QStringLiteral("btnpreview"));
    m_clipPanel->ClipBoardToEffects(0);
}
void TfrmVZMain::btnTourClick()
{
    Q_EMIT commandRun(QStringLiteral("btnTour"));
    startTour();
}

void TfrmVZMain::startTour()
{
    // Both side panels out, as the tour talks about them; the tips stay
    // where the rotation left them.
    m_btnTipsHide->setChecked(true);
    m_btnclipHide->setChecked(true);
    m_pnlhideTip->setExpanded(true);
    m_pnlHideClipart->setExpanded(true);
    TfrmTour *tour = newTourWindow(*this);
    const QString file = dialogs::openFileName(this, QStringLiteral("Open a Quick Tour"),
                                               m_state.programFolder + QStringLiteral("Tours"),
                                               QStringLiteral("VZ Tour (*.tor)"));
    if (file.isEmpty()) {
        tour->close();
        return;
    }
    tour->show();
    tour->loadTour(file);
    tour->placeAtTop();
}
void TfrmVZMain::btnHelpClick()
{
    Q_EMIT commandRun(QStringLiteral("btnHelp"));
    TfrmHelpDlg dlg(this);
    dlg.runModal();
}
void TfrmVZMain::RunCatalogUpdate()
{
    Q_EMIT commandRun(QStringLiteral("RunCatalogUpdate"));
    if (m_state.updateRunning)
        return;
    m_state.updateRunning = true;
    TfrmReplaceDlg progress(this);
    progress.animation()->start();
    progress.show();
    // Painted once before the work starts, however short it turns out.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // The thumbnails are made on worker threads; meanwhile the progress
    // window paints and animates, and blocks input to the other windows.
    const RebuildWait wait = [](const QFuture<void> &work) {
        QFutureWatcher<void> watcher;
        QEventLoop loop;
        connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(work);
        if (!work.isFinished())
            loop.exec();
    };
    CatalogUpdateCallbacks callbacks;
    callbacks.label = [&progress](const QString &text) { progress.setLabelText(text); };
    callbacks.failed = [&progress](const QString &, const QString &error) { dialogs::error(error, &progress); };
    // Without the settings store nothing could carry the run on after a restart.
    if (m_state.usedRegistry) {
        callbacks.restart = [this, &progress] {
            try {
                RegistryKey reg(RegRoot::LocalMachine);
                if (!reg.openKey(kSettingsKey, true))
                    return false;
                reg.writeBool(QStringLiteral("HasNewQNFile"), true);
            } catch (const VzError &) {
                return false;
            }
            requestRestart(m_args);
            m_state.restarting = true;
            progress.repaint();
            // Queued, so this run finishes before the window closes.
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            return true;
        };
    }
    ThumbnailData work;
    try {
        runCatalogUpdate(m_state.programFolder, work, callbacks, wait);
    } catch (const VzError &e) {
        dialogs::error(e.message(), this);
    }

    progress.finish();
    m_state.updateRunning = false;
    m_state.updatePending = false;
    if (mainPageName() != QLatin1String("VZAlphabet")) {
        if (auto *btn = findChild<QAbstractButton *>(QStringLiteral("btnAlpha")))
            btn->setChecked(true);
        ShowAlpabets();
    }
    runReported([this] { m_alphabetPage->reload(); });
}

void TfrmVZMain::FormKeyDown(QKeyEvent *e)
{
    if (mainPageName() == QLatin1String("VZPrint")) {
        m_print->FormKeyDown(e);
        return;
    }
    const int key = e->key();
    if (e->modifiers() & Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_P:
        case Qt::Key_Z: btnpreviewClick(); break;
        // Queued: the update switches pages and moves the focus, which the
        // key must not see while it is still being delivered.
        case Qt::Key_R: QMetaObject::invokeMethod(this, &TfrmVZMain::RunCatalogUpdate, Qt::QueuedConnection); break;
        case Qt::Key_O: btnOpenClick(); break;
        case Qt::Key_S: btnSaveClick(); break;
        case Qt::Key_C: btncopyClick(); break;
        case Qt::Key_T: btnTourClick(); break;
        default: break;
        }
    }
    if (key == Qt::Key_F1)
        btnHelpClick();
    if (lowerPageName() == QLatin1String("MixMatch")) {
        switch (key) {
        case Qt::Key_Delete: m_mixPage->btnClear()->click(); break;
        case Qt::Key_Backspace: m_mixPage->btnBackSpace()->click(); break;
        case Qt::Key_Space: m_mixPage->btnSpace()->click(); break;
        case Qt::Key_Return:
        case Qt::Key_Enter: m_mixPage->btnNewLine()->click(); break;
        default: break;
        }
    }
}

bool TfrmVZMain::printButtonDragEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(event);
        if (!canAcceptPictures(e->mimeData())) {
            e->ignore();
            return true;
        }
        e->setDropAction(Qt::CopyAction);
        e->accept();
        if (event->type() == QEvent::DragEnter && !m_print->isShowing())
            m_printHover->start();
        return true;
    }
    case QEvent::DragLeave:
        m_printHover->stop();
        return true;
    case QEvent::Drop: {
        m_printHover->stop();
        auto *e = static_cast<QDropEvent *>(event);
        if (canAcceptPictures(e->mimeData()))
            m_printHost->showPrintPage();
        m_print->dropPictures(e);
        return true;
    }
    default:
        return false;
    }
}

bool TfrmVZMain::eventFilter(QObject *watched, QEvent *event)
{
    // Posted by enhancements to any object; seen, never consumed.
    const int type = event->type();
    if (type == EnhancementsPage::kFinishedMessage || type == EnhancementsPage::kImageMessage)
        m_enhancements->enhancementMessage(type);
    if (watched == m_btnPrintPreview && printButtonDragEvent(event))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress: {
        // See each key once, before the focused control, and never consume it.
        QWidget *w = qobject_cast<QWidget *>(watched);
        if (!w || w->window() != this)
            break;
        QWidget *focus = QApplication::focusWidget();
        if (watched == focus || (!focus && watched == this))
            FormKeyDown(static_cast<QKeyEvent *>(event));
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmVZMain::applicationStateChanged(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive)
        m_state.clipboardRecheck = true;
    else
        checkSystemClipboard();
}

void TfrmVZMain::checkSystemClipboard()
{
    if (!m_state.clipboardRecheck)
        return;
    if (!SystemClipboard::hasPicture())
        return;
    const Picture picture = SystemClipboard::takePicture();
    if (picture.isNull())
        return;
    m_clipPanel->showWindowsPicture(picture);
    m_state.clipboardRecheck = false;
}

void TfrmVZMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_created)
        FormResize();
}

void TfrmVZMain::FormResize()
{
    // The update reloads the alphabet when it has finished.
    if (m_state.updateRunning)
        return;
    const QString page = mainPageName();
    if (page == QLatin1String("VZAlphabet"))
        m_alphabetPage->reload();
    else if (page == QLatin1String("VZClipart"))
        m_clipartPage->reload();
    if (page != QLatin1String("VZPrint"))
        closePrintPage();
}

void TfrmVZMain::closeEvent(QCloseEvent *event)
{
    m_enhancements->shutdown();
    QWidget::closeEvent(event);
}

} // namespace vz
