#include "enhancements/EnhancementsPage.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/AlignLayout.h"
#include "common/Dialogs.h"
#include "common/Palette.h"
#include "common/ProgramFolder.h"
#include "common/SmallWidgets.h"
#include "common/SplitFields.h"
#include "common/Splitter.h"
#include "enhancements/EnhancementScan.h"
#include "imaging/PictureView.h"
#include "platform/ShellOpen.h"

#include "vzenhancement.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLibrary>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QThread>

#include <cstddef>
#include <dlfcn.h>

// The holder is read and written by enhancements built against the SDK.
static_assert(offsetof(vz::THasDllImage, type) == offsetof(::THasDllImage, type));
static_assert(offsetof(vz::THasDllImage, Image) == offsetof(::THasDllImage, Image));
static_assert(offsetof(vz::THasDllImage, HasImage) == offsetof(::THasDllImage, HasImage));
static_assert(sizeof(vz::THasDllImage) == sizeof(::THasDllImage));

namespace vz {

namespace {

QPointer<EnhancementsPage> s_current;

const QString kUnableToLoad = QStringLiteral("Unable to load DLL.");
const QString kUnableToLocate = QStringLiteral("Unable to locate procedure.");

bool onGuiThread()
{
    return qApp && QThread::currentThread() == qApp->thread();
}

// Rows of the enhancement list: the display field with its leading blanks.
class PluginRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const QString text = SplitFields(index.data(Qt::DisplayRole).toString()).value(1);
        p->save();
        p->fillRect(r, selected ? palette::mainBlue : palette::listBack);
        p->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
        p->setFont(option.font);
        p->drawText(QRect(r.left() + 4, r.top(), r.width() - 4, r.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return QSize(100, 26); }
};

// The host services an enhancement reaches through its holder.
PictureView *serviceControl(void *control)
{
    EnhancementsPage *page = EnhancementsPage::current();
    if (!page || !control)
        return nullptr;
    if (control == page->holder().Image)
        return page->holder().Image;
    if (page->clipboards() && control == page->clipboards()->imgWidowClip())
        return page->clipboards()->imgWidowClip();
    return nullptr;
}

constexpr int kMaxSide = 16384;
constexpr qint64 kMaxPixels = qint64(1) << 27;

int setPictureRgba(void *control, int width, int height, int stride, const uint8_t *pixels)
{
    if (!onGuiThread())
        return VZ_ERR_THREAD;
    PictureView *view = serviceControl(control);
    if (!view || !pixels || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide
        || qint64(width) * height > kMaxPixels || stride < 4 * width)
        return VZ_ERR_ARGUMENT;
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull())
        return VZ_ERR_ARGUMENT;
    for (int y = 0; y < height; ++y)
        memcpy(image.scanLine(y), pixels + qint64(y) * stride, size_t(width) * 4);
    view->setPicture(Picture::fromImage(image.convertToFormat(QImage::Format_RGB32)));
    return VZ_OK;
}

int setPictureFile(void *control, const char *utf8Path)
{
    if (!onGuiThread())
        return VZ_ERR_THREAD;
    PictureView *view = serviceControl(control);
    if (!view || !utf8Path)
        return VZ_ERR_ARGUMENT;
    try {
        const Picture picture = Picture::fromFile(QString::fromUtf8(utf8Path));
        if (picture.isNull())
            return VZ_ERR_FILE;
        view->setPicture(picture);
    } catch (const std::exception &) {
        return VZ_ERR_FILE;
    }
    return VZ_OK;
}

// The full-size picture behind a clipboard's thumbnail on the strip.
QImage clipboardImage(int number, int *error)
{
    *error = VZ_ERR_ARGUMENT;
    EnhancementsPage *page = EnhancementsPage::current();
    if (!page || !page->clipboards() || number < 1 || number > 4)
        return QImage();
    const bool holds = toteBag(number).holdsImage() || (number == kWindowsClip && copiedImageShown());
    PictureView *thumb = page->clipboards()->thumbnail(number);
    if (!holds || !thumb || thumb->isEmpty()) {
        *error = VZ_ERR_NO_PICTURE;
        return QImage();
    }
    const Picture &picture = thumb->picture();
    if (picture.width() <= 0 || picture.height() <= 0 || picture.width() > kMaxSide || picture.height() > kMaxSide) {
        *error = VZ_ERR_NO_PICTURE;
        return QImage();
    }
    QImage image = picture.isMetafile() ? picture.render(picture.size()) : picture.image();
    if (image.isNull()) {
        *error = VZ_ERR_NO_PICTURE;
        return image;
    }
    *error = VZ_OK;
    return image.convertToFormat(QImage::Format_RGBA8888);
}

int clipboardPictureSize(int number, int *width, int *height)
{
    if (!onGuiThread())
        return VZ_ERR_THREAD;
    if (!width || !height)
        return VZ_ERR_ARGUMENT;
    int error = VZ_OK;
    const QImage image = clipboardImage(number, &error);
    if (error != VZ_OK)
        return error;
    *width = image.width();
    *height = image.height();
    return VZ_OK;
}

int clipboardPictureRgba(int number, uint8_t *buffer, int stride)
{
    if (!onGuiThread())
        return VZ_ERR_THREAD;
    if (!buffer)
        return VZ_ERR_ARGUMENT;
    int error = VZ_OK;
    const QImage image = clipboardImage(number, &error);
    if (error != VZ_OK)
        return error;
    if (stride < 4 * image.width())
        return VZ_ERR_ARGUMENT;
    for (int y = 0; y < image.height(); ++y)
        memcpy(buffer + qint64(y) * stride, image.constScanLine(y), size_t(image.width()) * 4);
    return VZ_OK;
}

int postMessage(int message)
{
    if (message != EnhancementsPage::kFinishedMessage && message != EnhancementsPage::kImageMessage)
        return VZ_ERR_ARGUMENT;
    if (!qApp)
        return VZ_ERR_ARGUMENT;
    QCoreApplication::postEvent(qApp, new QEvent(QEvent::Type(message)));
    return VZ_OK;
}

const VzHostServices kServices = {
    sizeof(VzHostServices), setPictureRgba, setPictureFile, clipboardPictureSize, clipboardPictureRgba, postMessage,
};
const VzHostType kHostType = {VZ_HOST_MAGIC, VZ_HOST_API_VERSION, &kServices};

QLabel *noticeLine(QWidget *parent, const QString &text, int top)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(0, top, 478, 20);
    return label;
}

} // namespace

EnhancementsPage::EnhancementsPage(QWidget *pluginsPage, QWidget *flashPage, ClipboardPanel *clipboards, QObject *parent)
    : QObject(parent)
    , m_clipboards(clipboards)
    , m_holderImage(std::make_unique<PictureView>())
{
    m_holder.type = &kHostType;
    m_holder.Image = m_holderImage.get();
    m_holderImage->setObjectName(QStringLiteral("Image"));

    auto *layout = new AlignLayout(pluginsPage);
    QWidget *outer = colouredPanel(pluginsPage, QStringLiteral("pnlPlugin"), palette::mainBlue);
    layout->addWidget(outer, Align::Client);
    auto *outerLayout = new AlignLayout(outer);
    outerLayout->setContentsMargins(8, 8, 8, 8);

    QWidget *column = colouredPanel(outer, QStringLiteral("pnlPluginList"), palette::mainBlue);
    outerLayout->addWidget(column, Align::Right, QRect(0, 0, 122, 0));
    auto *splitter = new Splitter(Qt::Horizontal, outer);
    splitter->setObjectName(QStringLiteral("splPlugins"));
    outerLayout->addWidget(splitter, Align::Right, QRect(0, 0, 11, 0));
    m_pnlEmbed = colouredPanel(outer, QStringLiteral("pnlEmbed"), Qt::white);
    outerLayout->addWidget(m_pnlEmbed, Align::Client);

    auto *columnLayout = new AlignLayout(column);
    m_pluginListbox = new QListWidget(column);
    m_pluginListbox->setObjectName(QStringLiteral("PluginListbox"));
    m_pluginListbox->setFrameShape(QFrame::NoFrame);
    QPalette lp = m_pluginListbox->palette();
    lp.setColor(QPalette::Base, palette::listBack);
    m_pluginListbox->setPalette(lp);
    QFont listFont(QStringLiteral("Arial"));
    listFont.setPointSize(8);
    listFont.setBold(true);
    m_pluginListbox->setFont(listFont);
    m_pluginListbox->setUniformItemSizes(true);
    m_pluginListbox->setItemDelegate(new PluginRowDelegate(m_pluginListbox));
    columnLayout->addWidget(m_pluginListbox, Align::Client);
    // Mouse clicks only: arrow keys just move the selection.
    connect(m_pluginListbox, &QListWidget::itemClicked, this, &EnhancementsPage::PluginListboxClick);

    auto *embedLayout = new AlignLayout(m_pnlEmbed);
    embedLayout->setDesignSize(QSize(478, 131));
    m_imgPlugin = new PictureView(m_pnlEmbed);
    m_imgPlugin->setObjectName(QStringLiteral("imgPlugin"));
    embedLayout->addWidget(m_imgPlugin, Align::Client);
    m_notice = colouredPanel(m_pnlEmbed, QStringLiteral("pnlNotice"), Qt::white);
    noticeLine(m_notice, tr("You have not installed any Enhancements yet. When they are available, you can purchase"), 20);
    noticeLine(m_notice, tr(" and download  Enhancements at:"), 42);
    const QString address = kMakerSite + QStringLiteral("enhancements/");
    auto *link = new QLabel(m_notice);
    link->setObjectName(QStringLiteral("lblEnhancementsLink"));
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000FF; text-decoration:underline\">%1</a>").arg(address.toHtmlEscaped()));
    QFont linkFont = link->font();
    linkFont.setPointSize(10);
    link->setFont(linkFont);
    link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    link->setGeometry(0, 70, 478, 24);
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &QLabel::linkActivated, this, [](const QString &url) { shellOpen(url); });
    embedLayout->addWidget(m_notice, Align::None, QRect(0, 0, 478, 131), 0);

    // The text effects page is built by TextEffectsPage.
    Q_UNUSED(flashPage);

    s_current = this;
}

EnhancementsPage::~EnhancementsPage()
{
    if (s_current == this)
        s_current = nullptr;
}

EnhancementsPage *EnhancementsPage::current()
{
    return s_current.data();
}

void EnhancementsPage::shutdown()
{
    closeEnhancement();
    m_recovery.remove();
}

template<typename F> void EnhancementsPage::callReported(F &&call)
{
    // An enhancement is outside code: what it throws is reported, and the
    // program goes on.
    try {
        call();
    } catch (const std::exception &e) {
        dialogs::error(tr("The enhancement failed: %1").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        dialogs::error(tr("The enhancement failed."));
    }
}

QLibrary *EnhancementsPage::library(const QString &path)
{
    if (QLibrary *lib = m_libraries.value(path))
        return lib;
    auto *lib = new QLibrary(path, this);
    lib->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!lib->load()) {
        delete lib;
        return nullptr;
    }
    m_libraries.insert(path, lib);
    return lib;
}

void EnhancementsPage::PluginListboxClick(QListWidgetItem *item)
{
    if (item)
        startEnhancement(item->text());
}

void EnhancementsPage::startEnhancement(const QString &entry)
{
    const QStringList fields = SplitFields(entry);
    const QString file = fields.value(0);
    if (file.trimmed().isEmpty())
        return; // the placeholder
    const QString proc = fields.value(3);

    // Entries come from descriptors written by others: the library must lie
    // inside the Dll folder.
    const QString dllFolder = QDir::cleanPath(programFolder() + QStringLiteral("Enhancements/Dll"));
    QString relative = file;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString path = QDir::cleanPath(dllFolder + QLatin1Char('/') + relative);
    if (QFileInfo(relative).isAbsolute() || !path.startsWith(dllFolder + QLatin1Char('/'))) {
        dialogs::error(kUnableToLoad);
        return;
    }
    QLibrary *lib = QFileInfo(path).isFile() ? library(path) : nullptr;
    if (!lib) {
        dialogs::error(kUnableToLoad);
        return;
    }
    auto entryProc = reinterpret_cast<VzEntryProc>(lib->resolve(proc.toUtf8().constData()));
    if (!entryProc) {
        dialogs::error(kUnableToLocate);
        relayoutEmbed();
        return;
    }
    // One enhancement at a time, so the finished message closes the right one.
    if (running() && m_runningPath != path)
        closeEnhancement();
    m_runningPath = path;
    m_runningProc = proc;
    saveRecovery();

    void *hostModule = dlopen(nullptr, RTLD_LAZY);
    QWidget *mainWindow = m_pnlEmbed->window();
    void *windowsThumb = m_clipboards ? static_cast<void *>(m_clipboards->imgWidowClip()) : nullptr;
    callReported([&] {
        entryProc(reinterpret_cast<::THasDllImage *>(&m_holder), m_pnlEmbed, windowsThumb, mainWindow,
                  &toteBag(kWindowsClip), qApp, hostModule);
    });
    if (hostModule)
        dlclose(hostModule);
    relayoutEmbed();
}

void EnhancementsPage::relayoutEmbed()
{
    // An enhancement's window put into the panel fills it, over the notice.
    auto *layout = AlignLayout::of(m_pnlEmbed);
    if (!layout)
        return;
    const auto children = m_pnlEmbed->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow() || layout->spec(child))
            continue;
        layout->addWidget(child, Align::Client);
        child->raise();
    }
    layout->setGeometry(m_pnlEmbed->rect());
}

void EnhancementsPage::closeEnhancement()
{
    if (!running())
        return; // a finished message while idle
    QLibrary *lib = m_libraries.value(m_runningPath);
    auto closeProc = lib ? reinterpret_cast<VzCloseProc>(lib->resolve("MyDLLProc")) : nullptr;
    // Forgotten first, so a close the enhancement triggers itself does not recurse.
    m_runningPath.clear();
    m_runningProc.clear();
    m_recovery.remove();
    if (!closeProc) {
        dialogs::error(kUnableToLocate);
        return;
    }
    callReported([&] { closeProc(0); });
}

void EnhancementsPage::enhancementMessage(int type)
{
    if (type == kFinishedMessage)
        closeEnhancement();
    else if (type == kImageMessage && m_holder.HasImage)
        setCopiedImageShown(true);
}

void EnhancementsPage::DllImage(THasDllImage *holder)
{
    // Only our own holder, and only from the GUI thread: widgets live there.
    if (holder != &m_holder || !onGuiThread() || !m_holder.HasImage)
        return;
    if (m_holder.Image->isEmpty() || !m_clipboards)
        return;
    m_clipboards->showWindowsPicture(m_holder.Image->picture());
    saveRecovery();
}

void EnhancementsPage::setRecoveryFolder(const QString &folder)
{
    m_recovery = ClipboardRecovery(folder);
}

void EnhancementsPage::saveRecovery()
{
    if (running() && m_clipboards)
        m_recovery.save(m_clipboards->imgWidowClip()->picture());
}

void EnhancementsPage::pageShown()
{
    saveRecovery();
}

void EnhancementsPage::offerRecovery()
{
    if (!m_recovery.exists())
        return;
    const MsgResult answer = dialogs::message(tr("The program ended while an enhancement was running. Restore the clipboards?"),
                                              MsgIcon::Confirmation, MsgButtons::YesNo, m_pnlEmbed->window());
    if (answer == MsgResult::Yes) {
        const Picture thumbnail = m_recovery.restore();
        if (m_clipboards) {
            m_clipboards->refreshThumbnails();
            if (!thumbnail.isNull())
                m_clipboards->showWindowsPicture(thumbnail);
        }
    }
    m_recovery.remove();
}

void EnhancementsPage::scanEnhancements(const QString &folder) { ScanEnhancements(folder, m_pluginListbox, m_pluginListbox->window()); }

} // namespace vz

// The program's export for enhancements (found through the host module
// handle they are given).
extern "C" VZ_ENHANCEMENT_EXPORT void DllImage(::THasDllImage *holder)
{
    if (vz::EnhancementsPage *page = vz::EnhancementsPage::current())
        page->DllImage(reinterpret_cast<vz::THasDllImage *>(holder));
}
