#include "lettering/AlphabetPage.h"

#include "common/AlignLayout.h"
#include "common/SmallWidgets.h"
#include "common/ListRowDelegate.h"
#include "common/Palette.h"
#include "imaging/ImageLoader.h"
#include "imaging/PictureView.h"
#include "common/ProgramFolder.h"
#include "common/SplitFields.h"
#include "common/Splitter.h"
#include "common/TempFile.h"
#include "common/VzApplication.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"
#include "imagesets/AlphabetList.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/Letters.h"
#include "imagesets/ThumbnailGrid.h"
#include "lettering/ImageStringEdit.h"
#include "lettering/WordRenderer.h"
#include "platform/ShellOpen.h"
#include "shell/AppState.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace vz {

namespace {

constexpr int kPreviewHeight = 57;

} // namespace

AlphabetPage::AlphabetPage(AppState &state, CharacterMap &characters, QWidget *mainPage, QWidget *lowerPage,
                           QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_characters(characters)
{
    // Main page: the grid in its blue frame, the list at the right behind a splitter.
    auto *mainLayout = new AlignLayout(mainPage);
    QWidget *listPanel = colouredPanel(mainPage, "pnlAlphaList", palette::listBack);
    mainLayout->addWidget(listPanel, Align::Right, QRect(0, 0, 132, 0));
    auto *splitter = new Splitter(Qt::Horizontal, mainPage);
    splitter->setObjectName(QStringLiteral("Splitter3"));
    mainLayout->addWidget(splitter, Align::Right, QRect(0, 0, 3, 0));
    auto *listLayout = new AlignLayout(listPanel);
    m_listAlpha = new QListWidget(listPanel);
    m_listAlpha->setObjectName(QStringLiteral("ListAlpha"));
    m_listAlpha->setFrameShape(QFrame::NoFrame);
    QFont bold(QStringLiteral("Arial"));
    bold.setPointSize(8);
    bold.setBold(true);
    // ListAlphaDrawItem: the entry's name, rows 26 high; the selected row in main blue.
    auto *delegate = new ListRowDelegate(palette::listBack, 26, m_listAlpha);
    delegate->setFont(bold);
    m_listAlpha->setItemDelegate(delegate);
    QPalette pal = m_listAlpha->palette();
    pal.setColor(QPalette::Base, palette::listBack);
    m_listAlpha->setPalette(pal);
    listLayout->addWidget(m_listAlpha, Align::Client);
    connect(m_listAlpha, &QListWidget::itemClicked, this, &AlphabetPage::ListAlphaClick);

    QWidget *thumbs = colouredPanel(mainPage, "PanelThumbnails", palette::mainBlue);
    mainLayout->addWidget(thumbs, Align::Client);
    auto *thumbsLayout = new AlignLayout(thumbs);
    thumbsLayout->setContentsMargins(8, 8, 8, 8);
    m_grid = new ThumbnailGrid(thumbs);
    m_grid->setObjectName(QStringLiteral("DBAlphaGrid"));
    thumbsLayout->addWidget(m_grid, Align::Client);
    // DBAlphaGridDrawCell: the record's thumbnail at the cell's corner, unscaled.
    m_grid->setDrawCell([this](QPainter &p, int index, const QRect &cell) {
        if (index < m_thumbs.count())
            p.drawImage(cell.topLeft(), m_thumbs.thumbnail(index));
    });
    // Dragging a letter carries its picture to the print page.
    m_grid->setDragPicture([this](int index) {
        ThumbnailGrid::CellPicture cell;
        if (index < m_thumbs.count()) {
            cell.fileName = m_state.alphabetFolder + m_thumbs.fileName(index);
            cell.picture = LetterPicture(cell.fileName);
        }
        return cell;
    });
    connect(m_grid, &ThumbnailGrid::cellPressed, this, [this](int index) {
        if (gridClickedForMixMatch)
            gridClickedForMixMatch(index);
    });

    // Lower page: the send bar, the word preview, the typing box.
    auto *lowerLayout = new AlignLayout(lowerPage);
    QWidget *show = colouredPanel(lowerPage, "PanelShowtext", palette::mainBlue);
    lowerLayout->addWidget(show, Align::Top, QRect(0, 0, 0, 74));
    auto *showLayout = new AlignLayout(show);
    m_send = new QToolButton(show);
    m_send->setObjectName(QStringLiteral("btnAddAlphatoClip"));
    m_send->setToolTip(QStringLiteral("Add the image at the right to the clipboard to the left."));
    static_cast<QToolButton *>(m_send)->setArrowType(Qt::LeftArrow);
    m_send->setFocusPolicy(Qt::NoFocus);
    showLayout->addWidget(m_send, Align::Left, QRect(0, 0, 17, 0));
    m_scrollBox = new QScrollArea(show);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollBox->horizontalScrollBar()->setSingleStep(30);
    QPalette white = m_scrollBox->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_scrollBox->setPalette(white);
    m_scrollBox->setAutoFillBackground(true);
    auto *canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("ScrollBox1Canvas"));
    canvas->setPalette(white);
    canvas->setAutoFillBackground(true);
    m_preview = new PictureView(canvas);
    m_preview->setObjectName(QStringLiteral("PaintBox1"));
    m_preview->setGeometry(0, 11, 0, kPreviewHeight);
    m_scrollBox->setWidget(canvas);
    m_scrollBox->setWidgetResizable(false);
    canvas->resize(0, kPreviewHeight + 11);
    showLayout->addWidget(m_scrollBox, Align::Client);

    QWidget *editPanel = colouredPanel(lowerPage, "Paneledit", palette::toolbar);
    lowerLayout->addWidget(editPanel, Align::Client);
    auto *editLayout = new AlignLayout(editPanel);
    editLayout->setDesignSize(QSize(460, 30));
    auto *label = new QLabel(QStringLiteral("type here"), editPanel);
    label->setWordWrap(true);
    QPalette grey = label->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    label->setPalette(grey);
    editLayout->addWidget(label, Align::None, QRect(4, 2, 36, 26));
    m_edit = new TImageStringEdit(editPanel);
    m_edit->setObjectName(QStringLiteral("ImageStringEdit"));
    editLayout->addWidget(m_edit, Align::None, QRect(42, 4, 311, 22), AnchorLeft | AnchorTop | AnchorRight);
    m_edit->setAllowedCodes(&m_allowed);

    connect(m_edit, &TImageStringEdit::enterReleased, this, &AlphabetPage::PreviewAlf);
    connect(m_send, &QAbstractButton::clicked, this, &AlphabetPage::SendToalphaClipBoard);
    connect(m_preview, &PictureView::clicked, this, &AlphabetPage::ScrollboxToEffecsck);
}

AlphabetPage::~AlphabetPage() = default;

QWidget *AlphabetPage::paintBox() const { return m_preview; }

void AlphabetPage::fillAlphabetList(const QString &treeFolder)
{
    QStringList list;
    LoadAlphabetList(list, treeFolder);
    list.append(moreAlphabetsEntry());
    m_entries = list;
    m_listAlpha->clear();
    for (const QString &e : std::as_const(m_entries)) {
        auto *item = new QListWidgetItem(SplitFields(e).value(0), m_listAlpha);
        item->setData(Qt::UserRole, e);
    }
}

void AlphabetPage::selectAndChoose(int row)
{
    if (row < 0 || row >= m_listAlpha->count())
        return;
    m_listAlpha->setCurrentRow(row);
    ListAlphaClick();
}

void AlphabetPage::reselectRemembered()
{
    if (m_state.alphabetRow >= 0 && m_state.alphabetRow < m_listAlpha->count())
        m_listAlpha->setCurrentRow(m_state.alphabetRow);
}

void AlphabetPage::ListAlphaClick()
{
    try {
        AlphaChoose();
    } catch (const VzError &e) {
        VzApplication::reportError(e.message());
    }
}

void AlphabetPage::AlphaChoose()
{
    const int row = m_listAlpha->currentRow();
    if (row < 0)
        return;
    const QStringList fields = SplitFields(m_entries.value(row));
    m_state.alphabetType = fields.value(1);
    m_state.alphabetName = fields.value(0);
    m_state.alphabetFolder = withTrailingSlash(fields.value(2));
    strToInt(fields.value(5)); // the Fill value must be an integer; it has no further use

    // Plain alphabets draw only their thumbnails; the others show the focus frame.
    const bool plain = m_state.alphabetType.toUpper() == QLatin1String("CA");
    m_grid->viewport()->setCursor(plain ? Qt::ArrowCursor : Qt::PointingHandCursor);
    m_grid->setShowFocusCell(!plain);

    m_grid->setCount(0);
    LoadLetterCatalogs(m_thumbs, m_state.alphabetFolder);
    m_letterFiles = letterFiles(m_state.alphabetFolder);

    if (m_state.alphabetName == QLatin1String("More...")) {
        shellOpen(kMakerSite);
        m_listAlpha->setCurrentRow(row - 1);
        if (row - 1 >= 0)
            ListAlphaClick();
        return;
    }

    if (m_thumbs.recordCount() > 0) {
        const QString first = m_thumbs.text(0, m_thumbs.fileNameField());
        m_state.bitmapLetters = QFileInfo(first).suffix().toUpper() == QLatin1String("WMF") ? 0 : 1;
    }
    if (m_state.alphabetType == QLatin1String("CA") || m_state.alphabetType == QLatin1String("Font")) {
        WaitCursor wait;
        LoadAlphabetLetters(m_characters, m_letterFiles, m_allowed);
    }
    m_edit->setCapitals(m_characters.letter(QStringLiteral("97")) == nullptr);
    m_edit->update();

    m_grid->setCount(m_thumbs.count());
    PreviewAlf();
    m_state.alphabetRow = row;
    Q_EMIT alphabetChosen(row);
}

void AlphabetPage::placePaintBox(int top)
{
    m_preview->move(m_preview->x(), top);
}

void AlphabetPage::PreviewAlf()
{
    WaitCursor wait;
    QImage word;
    try {
        word = DrawWordPreview(m_edit->text(), m_characters, kPreviewHeight);
    } catch (const VzError &) {
        // A failure while painting leaves the preview as far as it got.
    }
    m_preview->setImage(word);
    m_preview->resize(word.width(), kPreviewHeight);
    const bool fits = m_preview->width() < m_scrollBox->viewport()->width();
    m_scrollBox->widget()->resize(word.width(), kPreviewHeight + 11);
    placePaintBox(fits ? 11 : 2);
    m_scrollBox->horizontalScrollBar()->setValue(m_scrollBox->horizontalScrollBar()->maximum());
}

WordKind AlphabetPage::wordKind() const
{
    return m_state.bitmapLetters ? WordKind::Bitmap : WordKind::Metafile;
}

void AlphabetPage::renderWord(const QString &fileName) const
{
    RenderTypedWord(m_edit->text(), m_characters, wordKind(), false, fileName);
}

void AlphabetPage::ScrollboxToEffecsck()
{
    if (m_edit->text().trimmed().isEmpty())
        return;
    if (openPreview)
        openPreview();
    placePaintBox(m_preview->width() < m_scrollBox->width() ? 8 : 2);
}

void AlphabetPage::SendToalphaClipBoard()
{
    if (m_edit->text().trimmed().isEmpty())
        return;
    if (sendToClipboard)
        sendToClipboard();
    placePaintBox(m_preview->width() < m_scrollBox->width() ? 8 : 2);
}

} // namespace vz
