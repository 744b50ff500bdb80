#pragma once

#include "imaging/Picture.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace vz {

class AlphabetPage;
class CharacterMap;
class ClipboardPanel;
class MixMatchPage;
class PictureView;
class TfrmPrint;
class TToteBageImage;

// The name a picture is saved under: `chosen` as the user gave it, with
// `extension` (no dot) added to a bare name and put in place of another
// picture kind's extension (".wmf" for a bitmap, ".BMP" for a metafile), so
// a name never claims a kind it does not hold. A ".png" name stays when
// `keepPng` (a bitmap, written as PNG); a suffix that names no picture kind
// stays as typed.
QString savedImageName(const QString &chosen, const QString &extension, bool keepPng);

// The toolbar's Copy, Open and Save, by the page shown. Every copy also goes
// onto the "Windows" clipboard's thumbnail. Errors of reading and writing are
// raised; the caller reports them.
class ImageExchange : public QObject
{
    Q_OBJECT
public:
    // What the commands work on; the main window owns all of it.
    struct Pages
    {
        // The clip-art page's last metafile file (the main window's state).
        const QString *clipartMetafilePath = nullptr;
        CharacterMap *characters = nullptr;
        AlphabetPage *alphabets = nullptr;
        MixMatchPage *mixMatch = nullptr;
        PictureView *mainImage = nullptr;
        ClipboardPanel *clipboards = nullptr;
        TfrmPrint *print = nullptr;
        QWidget *dialogParent = nullptr;
    };

    explicit ImageExchange(const Pages &pages, QObject *parent = nullptr);

    // `mainPage` and `lowerPage` are the main window's page names.
    void Copy(const QString &mainPage, const QString &lowerPage);
    void Open();
    void Save(const QString &mainPage, const QString &lowerPage);

    // The pieces, by page.
    void CopyTypedWord();
    void CopyComposition();
    void CopyClipart();
    void SaveClipart();
    void SaveTypedWord();
    void SaveComposition();

    // The image save dialog (SaveImgDlg) keeps these between uses: the
    // extension a bare name gets, the filter and the last name written.
    QString defaultExtension() const { return m_defaultExt; }
    QString filter() const { return m_filter; }
    QString fileName() const { return m_fileName; }

private:
    // Asks for the name through the save dialog; empty when cancelled or an
    // existing file is not to be replaced.
    QString askSaveName(const QString &extension, const QString &filter, bool keepPng);
    // A page's clipboard raster (24-bit BMP, or PNG for a ".png" name), or
    // its own result when the clipboard holds none.
    void saveRasterOrRender(TToteBageImage &clipboard, const std::function<bool()> &canRender, bool metafile,
                            const std::function<void(const QString &)> &render);

    Pages m_p;
    QString m_defaultExt;
    QString m_filter;
    QString m_fileName;
};

} // namespace vz
