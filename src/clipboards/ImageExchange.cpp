#include "clipboards/ImageExchange.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "clipboards/formOpenChooseDlg.h"
#include "clipboards/formSaveChooseDlg.h"
#include "common/Dialogs.h"
#include "common/PageChanged.h"
#include "common/TempFile.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"
#include "imaging/PictureView.h"
#include "imaging/RasterFile.h"
#include "lettering/AlphabetPage.h"
#include "lettering/ImageStringEdit.h"
#include "lettering/MixMatchPage.h"
#include "lettering/WordRenderer.h"
#include "platform/SystemClipboard.h"
#include "printpage/formPrint.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUndoStack>

namespace vz {

namespace {

const QString kSaveQuestion = QStringLiteral("Would you like to save the current page?");
const QString kBitmapFilter = QStringLiteral("bitmaps (*.bmp)");
const QString kMetafileFilter = QStringLiteral("metafiles (*.wmf)");

// The save dialog's extension and filter for a picture of `kind`.
QString filterFor(Picture::Kind kind)
{
    switch (kind) {
    case Picture::Kind::Metafile: return kMetafileFilter;
    case Picture::Kind::EnhancedMetafile: return QStringLiteral("enhanced metafiles (*.emf)");
    case Picture::Kind::Jpeg: return QStringLiteral("JPEG pictures (*.jpg *.jpeg)");
    case Picture::Kind::Gif: return QStringLiteral("GIF pictures (*.gif)");
    case Picture::Kind::Icon: return QStringLiteral("icons (*.ico)");
    case Picture::Kind::Bitmap:
    case Picture::Kind::None: break;
    }
    return kBitmapFilter;
}

bool isPngSuffix(const QString &suffix) { return suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0; }

// A file dialog returns names in existing folders; a name from elsewhere
// must not pass for saved when nothing could be written.
void requireFolder(const QString &fileName)
{
    if (!QFileInfo(QFileInfo(fileName).absolutePath()).isDir())
        throw FileError(QStringLiteral("Cannot create file \"%1\". The folder does not exist.").arg(fileName));
}

void writeRaster(const TToteBageImage &clipboard, const QString &fileName)
{
    if (isPngName(fileName))
        writeBitmapFile(fileName, clipboard.RasterHolder.Bitmap());
    else
        clipboard.SaveRasterToFile(fileName);
}

// Watches the print page while a command runs on it: did anything go onto
// or off the page, or was its history emptied (a layout loaded)?
class PageWatch
{
public:
    explicit PageWatch(PageModel &model)
    {
        const auto touched = [this] { m_touched = true; };
        m_connections = {
            QObject::connect(&model, &PageModel::objectAdded, touched),
            QObject::connect(&model, &PageModel::objectRemoved, touched),
            QObject::connect(model.undoStack(), &QUndoStack::indexChanged, touched),
        };
    }
    ~PageWatch()
    {
        for (const QMetaObject::Connection &c : m_connections)
            QObject::disconnect(c);
    }
    PageWatch(const PageWatch &) = delete;
    PageWatch &operator=(const PageWatch &) = delete;
    bool touched() const { return m_touched; }

private:
    QList<QMetaObject::Connection> m_connections;
    bool m_touched = false;
};

} // namespace

QString savedImageName(const QString &chosen, const QString &extension, bool keepPng)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.isEmpty()) {
        // "name." has no suffix either; it gets the extension after its dot.
        return chosen.endsWith(QLatin1Char('.')) ? chosen + extension : chosen + QLatin1Char('.') + extension;
    }
    if (keepPng && isPngSuffix(suffix))
        return chosen;
    const Picture::Kind named = Picture::kindForExtension(suffix);
    if (named == Picture::kindForExtension(extension))
        return chosen;
    if (named == Picture::Kind::None && !isPngSuffix(suffix))
        return chosen;
    return chosen.left(chosen.size() - suffix.size()) + extension;
}

ImageExchange::ImageExchange(const Pages &pages, QObject *parent)
    : QObject(parent)
    , m_p(pages)
{
}

// ---- Copy ------------------------------------------------------------------

void ImageExchange::Copy(const QString &mainPage, const QString &lowerPage)
{
    if (mainPage == QLatin1String("VZAlphabet")) {
        if (lowerPage == QLatin1String("Alpha"))
            CopyTypedWord();
        else
            CopyComposition();
    } else if (mainPage == QLatin1String("VZClipart")) {
        CopyClipart();
    } else if (mainPage == QLatin1String("VZPrint")) {
        m_p.print->Copyer();
    }
}

void ImageExchange::CopyTypedWord()
{
    const QString text = m_p.alphabets->typingBox()->text();
    // A text that draws nothing copies nothing, quietly, as Send does.
    if (text.trimmed().isEmpty() || !m_p.alphabets->wordDraws())
        return;
    WaitCursor wait;
    const TempFile file(QStringLiteral("vz"));
    if (!file.isValid())
        throw FileError(QStringLiteral("Cannot create a temporary file in \"%1\".").arg(QDir::tempPath()));
    const WordKind kind = m_p.alphabets->wordKind();
    RenderTypedWord(text, *m_p.characters, kind, true, file.path());
    const Picture shown =
        Picture::fromFile(file.path(), kind == WordKind::Metafile ? Picture::Kind::Metafile : Picture::Kind::Bitmap);
    m_p.clipboards->showWindowsPicture(shown);
}

void ImageExchange::CopyComposition()
{
    const QStringList &entries = m_p.mixMatch->composition();
    if (entries.isEmpty())
        return;
    WaitCursor wait;
    // Copied only when it draws something (line breaks alone draw nothing).
    const QImage picture = RenderComposition(entries, m_p.mixMatch->lineSpace(), true, QString());
    if (!picture.isNull())
        m_p.clipboards->showWindowsPicture(Picture::fromImage(picture));
}

void ImageExchange::CopyClipart()
{
    const Picture shown = m_p.mainImage->picture();
    if (shown.isNull())
        return;
    WaitCursor wait;
    const QString file = m_p.clipartMetafilePath ? *m_p.clipartMetafilePath : QString();
    // A WMF goes from its file, as other programs take it; when that file is
    // gone, the picture on show is copied instead. An invalid file raises
    // and leaves the clipboard alone.
    if (shown.kind() == Picture::Kind::Metafile && QFileInfo(file).isFile())
        PutMetafileOnClipboard(file);
    else
        SystemClipboard::putPicture(shown);
    m_p.clipboards->showWindowsPicture(shown);
}

// ---- Open ------------------------------------------------------------------

void ImageExchange::Open()
{
    // Answering No lets this Open replace the page; an Open that in the end
    // leaves the page as it was must not leave it passing for saved.
    bool discarded = false;
    if (pageChanged()) {
        switch (dialogs::message(kSaveQuestion, MsgIcon::Confirmation, MsgButtons::YesNoCancel, m_p.dialogParent)) {
        case MsgResult::Cancel:
            return;
        case MsgResult::Yes:
            // A save that was cancelled or failed ends the Open; the page
            // stays unsaved.
            if (!m_p.print->SavePage())
                return;
            setPageChanged(false);
            break;
        default:
            setPageChanged(false);
            discarded = true;
            break;
        }
    }
    bool touched = false;
    const auto restore = qScopeGuard([&] {
        if (discarded && !touched && !pageChanged())
            setPageChanged(true);
    });

    const int choice = TfrmOpenchoosedlg::ask(m_p.dialogParent);
    if (choice < 0)
        return;
    const PageWatch watch(m_p.print->model());
    const auto seen = qScopeGuard([&] { touched = watch.touched(); });
    if (choice == TfrmOpenchoosedlg::kLayout)
        m_p.print->OpenPage();
    else
        m_p.print->OpenImage();
}

// ---- Save ------------------------------------------------------------------

void ImageExchange::Save(const QString &mainPage, const QString &lowerPage)
{
    const int choice = TfrmSaveChooseDlg::ask(m_p.dialogParent);
    if (choice == TfrmSaveChooseDlg::kLayout) {
        // Only a written layout makes the page saved.
        if (m_p.print->SavePage())
            setPageChanged(false);
        return;
    }
    if (choice != TfrmSaveChooseDlg::kImage)
        return;
    if (mainPage == QLatin1String("VZClipart")) {
        SaveClipart();
    } else if (mainPage == QLatin1String("VZAlphabet")) {
        if (lowerPage == QLatin1String("Alpha"))
            SaveTypedWord();
        else
            SaveComposition();
    } else if (mainPage == QLatin1String("VZPrint")) {
        m_p.print->SaveImage();
    }
}

QString ImageExchange::askSaveName(const QString &extension, const QString &filter, bool keepPng)
{
    m_defaultExt = extension;
    m_filter = filter;
    // The dialog opens on the last name, with this save's extension.
    QString start;
    if (!m_fileName.isEmpty())
        start = savedImageName(m_fileName, extension, keepPng);
    SaveFileOptions options;
    // The name may still change below; the question is asked for the name
    // that is written.
    options.overwriteQuestion = false;
    options.defaultSuffix = extension;
    const QString chosen = dialogs::saveFileName(m_p.dialogParent, QString(), start, filter, nullptr, options);
    if (chosen.isEmpty())
        return QString();
    const QString name = savedImageName(chosen, extension, keepPng);
    if (QFileInfo::exists(name)) {
        const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(name).fileName());
        if (dialogs::message(question, MsgIcon::Warning, MsgButtons::YesNo, m_p.dialogParent) != MsgResult::Yes)
            return QString();
    }
    requireFolder(name);
    m_fileName = name;
    return name;
}

void ImageExchange::SaveClipart()
{
    TToteBageImage &clipboard = toteBag(kClipartClip);
    // The first that applies is written, and the dialog offers its type.
    const bool raster = clipboard.HasRaster && !clipboard.RasterHolder.isEmpty();
    const bool held = !raster && clipboard.HasPicture && !clipboard.PictureHolder.isNull();
    const Picture picture = raster ? Picture() : held ? clipboard.PictureHolder : m_p.mainImage->picture();
    if (!raster && picture.isNull())
        return;
    const Picture::Kind kind = raster ? Picture::Kind::Bitmap : picture.kind();
    const QString extension = raster ? QStringLiteral("bmp") : picture.defaultExtension();
    const QString name = askSaveName(extension, filterFor(kind), kind == Picture::Kind::Bitmap);
    if (name.isEmpty())
        return;
    WaitCursor wait;
    if (raster)
        writeRaster(clipboard, name);
    else if (kind == Picture::Kind::Bitmap && isPngName(name))
        writeBitmapFile(name, picture.image());
    else if (held)
        clipboard.SavePictureToFile(name);
    else
        picture.saveToFile(name);
}

void ImageExchange::saveRasterOrRender(TToteBageImage &clipboard, const std::function<bool()> &canRender,
                                       bool metafile, const std::function<void(const QString &)> &render)
{
    const bool raster = clipboard.HasRaster && !clipboard.RasterHolder.isEmpty();
    if (!raster && !canRender())
        return;
    const bool asMetafile = !raster && metafile;
    const QString name = askSaveName(asMetafile ? QStringLiteral("WMF") : QStringLiteral("BMP"),
                                     asMetafile ? kMetafileFilter : kBitmapFilter, !asMetafile);
    if (name.isEmpty())
        return;
    WaitCursor wait;
    if (raster)
        writeRaster(clipboard, name);
    else
        render(name);
}

void ImageExchange::SaveTypedWord()
{
    AlphabetPage *page = m_p.alphabets;
    saveRasterOrRender(
        toteBag(kAlphaClip), [page] { return !page->typingBox()->text().isEmpty() && page->wordDraws(); },
        page->wordKind() == WordKind::Metafile, [page](const QString &name) { page->renderWord(name); });
}

void ImageExchange::SaveComposition()
{
    MixMatchPage *page = m_p.mixMatch;
    saveRasterOrRender(
        toteBag(kMixClip), [page] { return page->drawsSomething(); }, false,
        [page](const QString &name) { page->renderTo(name); });
}

} // namespace vz
