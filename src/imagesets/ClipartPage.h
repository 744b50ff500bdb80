#pragma once

#include "imagesets/ClipartTree.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/Picture.h"

#include <QObject>

class QAbstractButton;
class QComboBox;
class QLabel;
class QListWidget;
class QWidget;

namespace vz {

struct AppState;
class PictureView;
class ThumbnailGrid;

// The clip-art page: the category list, the colour and black-and-white
// buttons, the status line and the thumbnail grid on "VZClipart"; the chosen
// picture, the send and preview buttons and the search on the lower page
// "Clipart".
class ClipartPage : public QObject
{
    Q_OBJECT
public:
    ClipartPage(AppState &state, QWidget *mainPage, QWidget *lowerPage, QObject *parent = nullptr);
    ~ClipartPage() override;

    PictureView *mainImage() const { return m_mainImage; }
    QWidget *panelImageInner() const { return m_panelImageInner; }
    ThumbnailGrid *grid() const { return m_grid; }
    QListWidget *categories() const { return m_list; }
    const ThumbnailDataClip &table() const { return m_table; }
    const SetFolderMap &setFolders() const { return m_setFolders; }
    QString statusText() const;
    QString searchCaption() const;
    QStringList searchWords() const;

    // Hooks to the clipboard and preview window, set by the main window.
    std::function<void()> refreshClipboardPanel;
    std::function<void()> sendToClipboard; // btnSendtoClipartClip
    std::function<void(bool anyKind)> openPreview; // false: the image click, true: the preview button

public Q_SLOTS:
    // Shown by the page button "Clipart" (after the pages are switched).
    void ShowClipart();
    void btnColorClick();
    void btnBWClick();
    // Loads the selected category (also the list click and the window resize).
    void GetClipart();
    void btnRefreshClick();
    void btnSearchClick();
    void reload() { GetClipart(); }
    // Shows the grid's current picture in MainImage, as a click or a key
    // released in the grid does.
    void showCurrentImage();

Q_SIGNALS:
    // A picture was shown in MainImage (its name).
    void imageShown(const QString &name);

private:
    void openTree(bool blackAndWhite);
    void selectRemembered();
    void fitMainImage();
    void rememberState();

    AppState &m_state;
    ThumbnailDataClip m_table;
    SetFolderMap m_setFolders;
    QListWidget *m_list;
    QAbstractButton *m_btnColor;
    QAbstractButton *m_btnBW;
    ThumbnailGrid *m_grid;
    QLabel *m_status;
    QLabel *m_statusRest;
    QLabel *m_searchCaption;
    QWidget *m_panelImageInner;
    PictureView *m_mainImage;
    QComboBox *m_search;
    QAbstractButton *m_btnSearch;
    QAbstractButton *m_btnRefresh;
};

// Reads an image file for display; raises FileError when it cannot be read.
Picture loadClipartImage(const QString &path);

} // namespace vz
