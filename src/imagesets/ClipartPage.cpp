#include "imagesets/ClipartPage.h"

#include "common/AlignLayout.h"
#include "common/SmallWidgets.h"
#include "common/Fitting.h"
#include "common/ListKeyChoice.h"
#include "common/ListRowDelegate.h"
#include "common/Palette.h"
#include "imaging/PictureView.h"
#include "common/VzApplication.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"
#include "imagesets/ThumbnailGrid.h"
#include "platform/ShellOpen.h"
#include "shell/AppState.h"

#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QToolButton>

namespace vz {

namespace {

// Item data of a category: its folder.
constexpr int kFolderRole = Qt::UserRole + 1;

bool isMetafileName(const QString &path)
{
    const QString ext = QFileInfo(path).suffix().toUpper();
    return ext == QLatin1String("WMF") || ext == QLatin1String("EMF");
}

} // namespace

Picture loadClipartImage(const QString &path)
{
    return Picture::fromFile(path);
}

ClipartPage::ClipartPage(AppState &state, QWidget *mainPage, QWidget *lowerPage, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    // Main page: categories at the right, the grid with its captions left of them.
    auto *mainLayout = new AlignLayout(mainPage);
    QWidget *right = colouredPanel(mainPage, "pnlClipRight", palette::sidePanel);
    mainLayout->addWidget(right, Align::Right, QRect(0, 0, 170, 0));
    auto *rightLayout = new AlignLayout(right);
    QWidget *colours = colouredPanel(right, "pnlColorButtons", palette::toolbar);
    rightLayout->addWidget(colours, Align::Top, QRect(0, 0, 0, 30));
    m_btnColor = textButton(colours, "btnColor", QStringLiteral("View Color Clipart"), tr("Color"));
    m_btnBW = textButton(colours, "btnBW", QStringLiteral("View Black & White Clipart"), tr("B && W"));
    for (QAbstractButton *b : {m_btnColor, m_btnBW})
        b->setCheckable(true);
    m_btnColor->setGeometry(6, 4, 76, 22);
    m_btnBW->setGeometry(88, 4, 76, 22);
    m_list = new QListWidget(right);
    m_list->setObjectName(QStringLiteral("ListBoxClip"));
    m_list->setFrameShape(QFrame::NoFrame);
    QFont bold(QStringLiteral("Arial"));
    bold.setPointSize(8);
    bold.setBold(true);
    // ListBoxClipDrawItem: white text on the selected row, rows 26 high.
    auto *delegate = new ListRowDelegate(Qt::white, 26, m_list);
    delegate->setFont(bold);
    m_list->setItemDelegate(delegate);
    QPalette lp = m_list->palette();
    lp.setColor(QPalette::Base, palette::listBack);
    m_list->setPalette(lp);
    rightLayout->addWidget(m_list, Align::Client);

    QWidget *caption = colouredPanel(mainPage, "pnlSearchResults", palette::toolbar);
    mainLayout->addWidget(caption, Align::Top, QRect(0, 0, 0, 20));
    m_searchCaption = new QLabel(caption);
    m_searchCaption->setObjectName(QStringLiteral("lblSearchResults"));
    m_searchCaption->setGeometry(6, 2, 400, 16);
    QFont captionFont = m_searchCaption->font();
    captionFont.setBold(true);
    m_searchCaption->setFont(captionFont);

    QWidget *status = colouredPanel(mainPage, "StatusBar1", palette::toolbar);
    mainLayout->addWidget(status, Align::Top, QRect(0, 0, 0, 19));
    auto *statusLayout = new AlignLayout(status);
    m_status = new QLabel(status);
    m_status->setObjectName(QStringLiteral("StatusPanel0"));
    m_status->setFrameShape(QFrame::Panel);
    m_status->setFrameShadow(QFrame::Sunken);
    // Until the first choice, the first panel points to help on the web site.
    m_status->setText(QStringLiteral("Help: vellozine.example/help"));
    m_status->setToolTip(kMakerSite + QStringLiteral("help/"));
    statusLayout->addWidget(m_status, Align::Left, QRect(0, 0, 90, 0));
    m_statusRest = new QLabel(status);
    m_statusRest->setFrameShape(QFrame::Panel);
    m_statusRest->setFrameShadow(QFrame::Sunken);
    statusLayout->addWidget(m_statusRest, Align::Client);

    m_grid = new ThumbnailGrid(mainPage);
    m_grid->setObjectName(QStringLiteral("DBClipGrid"));
    mainLayout->addWidget(m_grid, Align::Client);
    // DBClipGridDrawCell: the thumbnail at the cell's corner, unscaled.
    m_grid->setDrawCell([this](QPainter &p, int index, const QRect &cell) {
        if (index < m_table.count())
            p.drawImage(cell.topLeft(), m_table.thumbnail(index));
    });

    // Lower page: send button, the picture in its white box, the search.
    auto *lowerLayout = new AlignLayout(lowerPage);
    auto *send = textButton(lowerPage, "btnSendtoClipartClip", QStringLiteral("Add the image at the right to the clipboard to the left."), QString());
    send->setArrowType(Qt::LeftArrow);
    lowerLayout->addWidget(send, Align::Left, QRect(0, 0, 17, 0));
    m_panelImageInner = colouredPanel(lowerPage, "PanelImageInner", Qt::white);
    lowerLayout->addWidget(m_panelImageInner, Align::Left, QRect(0, 0, 160, 0));
    m_mainImage = new PictureView(m_panelImageInner);
    m_mainImage->setObjectName(QStringLiteral("MainImage"));
    m_mainImage->setGeometry(0, 0, 0, 0);
    QWidget *searchPanel = colouredPanel(lowerPage, "pnlSearch", palette::toolbar);
    lowerLayout->addWidget(searchPanel, Align::Client);
    auto *label = new QLabel(QStringLiteral("type search text:"), searchPanel);
    label->setObjectName(QStringLiteral("lblSearch"));
    QFont lf = label->font();
    lf.setBold(true);
    label->setFont(lf);
    QPalette grey = label->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    label->setPalette(grey);
    label->setGeometry(10, 8, 200, 16);
    m_search = new QComboBox(searchPanel);
    m_search->setObjectName(QStringLiteral("cbSearch"));
    m_search->setEditable(true);
    m_search->setInsertPolicy(QComboBox::NoInsert);
    m_search->setMaxVisibleItems(8);
    m_search->completer()->setCompletionMode(QCompleter::InlineCompletion);
    m_search->completer()->setCaseSensitivity(Qt::CaseSensitive);
    m_search->setGeometry(10, 26, 200, 22);
    m_btnSearch = textButton(searchPanel, "btnSearch", QStringLiteral("Start Search"), tr("Search"));
    m_btnSearch->setGeometry(216, 26, 70, 22);
    m_btnRefresh = textButton(searchPanel, "btnRefresh", QStringLiteral("Refresh the Search Results"), tr("Refresh"));
    m_btnRefresh->setGeometry(290, 26, 70, 22);
    auto *preview = textButton(searchPanel, "btnPreviewClipart", QStringLiteral("Preview Clipart/Change Effects"), tr("Preview / Effects"));
    preview->setGeometry(10, 58, 150, 22);

    connect(m_list, &QListWidget::itemClicked, this, &ClipartPage::GetClipart);
    // A category reached with the keys loads as a click does.
    connect(new ListKeyChoice(m_list), &ListKeyChoice::rowChosenByKey, this, &ClipartPage::GetClipart);
    connect(m_btnColor, &QAbstractButton::clicked, this, &ClipartPage::btnColorClick);
    connect(m_btnBW, &QAbstractButton::clicked, this, &ClipartPage::btnBWClick);
    // Dragging a cell carries its picture to the print page.
    m_grid->setDragPicture([this](int index) {
        ThumbnailGrid::CellPicture cell;
        if (index < m_table.count()) {
            cell.fileName = m_setFolders.folderOf(m_table.set(index)) + m_table.fileName(index);
            cell.picture = loadClipartImage(cell.fileName);
        }
        return cell;
    });
    connect(m_grid, &ThumbnailGrid::cellPressed, this, [this] { showCurrentImage(); });
    connect(m_grid, &ThumbnailGrid::keyReleased, this, [this] { showCurrentImage(); });
    connect(m_btnSearch, &QAbstractButton::clicked, this, &ClipartPage::btnSearchClick);
    connect(m_btnRefresh, &QAbstractButton::clicked, this, &ClipartPage::btnRefreshClick);
    connect(m_search->lineEdit(), &QLineEdit::returnPressed, m_btnSearch, &QAbstractButton::click);
    connect(send, &QAbstractButton::clicked, this, [this] {
        if (sendToClipboard)
            sendToClipboard();
    });
    connect(m_mainImage, &PictureView::clicked, this, [this] {
        if (openPreview && !m_mainImage->isEmpty())
            openPreview(false);
    });
    connect(preview, &QAbstractButton::clicked, this, [this] {
        if (openPreview)
            openPreview(true);
    });
}

ClipartPage::~ClipartPage() = default;

QString ClipartPage::statusText() const { return m_status->text(); }
QString ClipartPage::searchCaption() const { return m_searchCaption->text(); }

QStringList ClipartPage::searchWords() const
{
    QStringList out;
    for (int i = 0; i < m_search->count(); ++i)
        out << m_search->itemText(i);
    return out;
}

void ClipartPage::openTree(bool blackAndWhite)
{
    const QString tree = m_state.programFolder + (blackAndWhite ? QStringLiteral("Images/BW") : QStringLiteral("Images/Color"));
    QStringList folders;
    const QStringList entries = scanClipartTree(tree, m_setFolders, &folders);
    m_list->clear();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        auto *item = new QListWidgetItem(entries[i].section(QLatin1Char('='), 0, 0), m_list);
        item->setData(Qt::UserRole, entries[i]);
        // The folder is kept on its own: read back from the entry it would
        // keep the "=" of an empty description.
        item->setData(kFolderRole, folders.value(i));
    }
}

void ClipartPage::selectRemembered()
{
    const int row = m_state.categoryRow < 0 ? 0 : m_state.categoryRow;
    m_list->setCurrentRow(qMin(row, m_list->count() - 1));
}

void ClipartPage::ShowClipart()
{
    if (refreshClipboardPanel)
        refreshClipboardPanel();
    openTree(false);
    m_btnColor->setChecked(!m_state.blackAndWhite);
    if (m_state.blackAndWhite) {
        m_btnBW->setChecked(true);
        btnBWClick();
    }
    selectRemembered();
    GetClipart();
}

void ClipartPage::btnColorClick()
{
    // The two buttons are one group in which both may be up.
    if (m_btnColor->isChecked())
        m_btnBW->setChecked(false);
    openTree(false);
    selectRemembered();
    GetClipart();
    if (refreshClipboardPanel)
        refreshClipboardPanel();
    rememberState();
}

void ClipartPage::btnBWClick()
{
    if (m_btnBW->isChecked())
        m_btnColor->setChecked(false);
    openTree(true);
    selectRemembered();
    GetClipart();
    if (refreshClipboardPanel)
        refreshClipboardPanel();
    rememberState();
}

void ClipartPage::rememberState()
{
    m_state.categoryRow = m_list->currentRow();
    m_state.blackAndWhite = m_btnBW->isChecked();
}

void ClipartPage::GetClipart()
{
    m_grid->setCount(0);
    WaitCursor wait;
    const QListWidgetItem *item = m_list->currentItem();
    const QString folder = item ? item->data(kFolderRole).toString() : QString();
    LoadClipartCatalogs(m_table, folder);
    m_table.setSearch(m_table.query(), false);
    m_search->clear();
    m_search->addItems(m_table.searchWords());
    m_search->setEditText(QString());
    m_grid->setCount(m_table.count());
    m_searchCaption->clear();
    rememberState();
}

void ClipartPage::btnRefreshClick()
{
    m_mainImage->clear();
    m_mainImage->setGeometry(0, 0, 0, 0);
    GetClipart();
}

void ClipartPage::btnSearchClick()
{
    const QString query = m_search->currentText();
    if (query.isEmpty())
        return;
    m_table.setSearch(query, true);
    m_grid->setCount(m_table.count());
    m_searchCaption->setText(m_table.count() > 0 ? QStringLiteral("Search Results:") : QStringLiteral("No Search Results Found:"));
}

void ClipartPage::showCurrentImage()
{
    const int index = m_grid->currentIndex();
    if (index < 0 || index >= m_table.count())
        return;
    const QString path = m_setFolders.folderOf(m_table.set(index)) + m_table.fileName(index);
    try {
        m_mainImage->setPicture(loadClipartImage(path));
    } catch (const VzError &e) {
        VzApplication::reportError(e.message());
        return;
    }
    m_state.clipartPath = path;
    if (isMetafileName(path))
        m_state.clipartMetafilePath = path;
    fitMainImage();
    m_state.clipartName = m_table.name(index);
    m_status->setText(m_state.clipartName);
    Q_EMIT imageShown(m_state.clipartName);
}

void ClipartPage::fitMainImage()
{
    const Picture &pic = m_mainImage->picture();
    if (const auto r = fitPictureRect(pic.width(), pic.height(), m_panelImageInner->rect()))
        m_mainImage->setGeometry(*r);
}

} // namespace vz
