#pragma once

#include "imagesets/ThumbnailTable.h"
#include "lettering/WordRenderer.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QListWidget;
class QScrollArea;
class QWidget;

namespace vz {

struct AppState;
class CharacterMap;
class TImageStringEdit;
class ThumbnailGrid;
class PictureView;

// The alphabet page: the alphabet list `ListAlpha` and the letter grid
// `DBAlphaGrid` on the main page "VZAlphabet", the typed-word preview and the
// typing box on the lower page "Alpha".
class AlphabetPage : public QObject
{
    Q_OBJECT
public:
    AlphabetPage(AppState &state, CharacterMap &characters, QWidget *mainPage, QWidget *lowerPage,
                 QObject *parent = nullptr);
    ~AlphabetPage() override;

    QListWidget *listAlpha() const { return m_listAlpha; }
    ThumbnailGrid *grid() const { return m_grid; }
    QWidget *paintBox() const;
    QScrollArea *scrollBox() const { return m_scrollBox; }
    TImageStringEdit *typingBox() const { return m_edit; }
    const ThumbnailData &letters() const { return m_thumbs; }
    const QStringList &allowedCodes() const { return m_allowed; }

    // Fills ListAlpha from the tree and appends the fixed "More..." entry.
    void fillAlphabetList(const QString &treeFolder);
    const QStringList &entries() const { return m_entries; }

    // Selects a row and runs its click handler (loads that alphabet).
    void selectAndChoose(int row);
    // Selects the remembered row again without loading.
    void reselectRemembered();
    // Loads the chosen alphabet again (window resized).
    void reload() { AlphaChoose(); }

    // The chosen alphabet's picture kind.
    WordKind wordKind() const;
    // Whether the typed text draws anything with the bound letters.
    bool wordDraws() const;
    // Renders the typed word in that kind into a file.
    void renderWord(const QString &fileName) const;

    // Hooks set by the main window: the Alphabets clipboard and the preview
    // window, a grid click while the lower page is Mix & Match.
    std::function<void()> sendToClipboard;
    std::function<void()> openPreview;
    std::function<void(int index)> gridClickedForMixMatch;

public Q_SLOTS:
    void ListAlphaClick();
    void AlphaChoose();
    void PreviewAlf();
    void ScrollboxToEffecsck();
    void SendToalphaClipBoard();

Q_SIGNALS:
    // After an alphabet was chosen (also when it was loaded again).
    void alphabetChosen(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placePaintBox(int top);
    // DrawWordPreview into PaintBox1 from the typing box's current text.
    void drawPreview();

    AppState &m_state;
    CharacterMap &m_characters;
    ThumbnailData m_thumbs;
    QStringList m_letterFiles;
    QStringList m_allowed;
    QStringList m_entries;
    QListWidget *m_listAlpha;
    ThumbnailGrid *m_grid;
    QScrollArea *m_scrollBox;
    QWidget *m_scrollViewport;
    PictureView *m_preview;
    TImageStringEdit *m_edit;
    QAbstractButton *m_send;
    QString m_previewText; // the text PaintBox1 shows
};

} // namespace vz
