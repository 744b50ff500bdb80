#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QScrollArea;
class QSpinBox;
class QWidget;

namespace vz {

struct AppState;
class AlphabetPage;
class PictureView;

// The Mix & Match composer's lower page "MixMatch": letters clicked in the
// alphabet grid are appended to a composition of several lines, previewed,
// sent to the Mix & Match clipboard or opened in the preview window.
class MixMatchPage : public QObject
{
    Q_OBJECT
public:
    MixMatchPage(AppState &state, AlphabetPage &alphabets, QWidget *lowerPage, QObject *parent = nullptr);

    QAbstractButton *btnClear() const { return m_btnClear; }
    QAbstractButton *btnBackSpace() const { return m_btnBackSpace; }
    QAbstractButton *btnSpace() const { return m_btnSpace; }
    QAbstractButton *btnNewLine() const { return m_btnNewLine; }
    QWidget *paintBox() const;
    QScrollArea *scrollBox() const { return m_scroll; }
    QWidget *previewPanel() const { return m_panel; }

    const QStringList &composition() const { return m_entries; }
    int lineSpace() const;
    // The composition rendered into a file (BMP); nothing when it is empty.
    void renderTo(const QString &fileName) const;
    // Whether the composition draws anything; raises the loader's error for
    // an entry whose file cannot be read.
    bool drawsSomething() const;

    // Hooks set by the main window: the Mix & Match clipboard and the preview window.
    std::function<void()> sendToClipboard;
    std::function<void()> openPreview;

public Q_SLOTS:
    // A cell of the alphabet grid was clicked while this page is shown.
    void DBAlphaGridMousedown(int index);
    void btnMixClearClick();
    void btnMixBackSpaceClick();
    void MixmatchSpace();
    void btnMixNewlineClick();
    void PaintClip();
    void SendMixToClip();
    void SendToEffects();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString letterPath(int position) const;

    AppState &m_state;
    AlphabetPage &m_alphabets;
    QStringList m_entries;
    QWidget *m_panel;
    QAbstractButton *m_btnClear;
    QAbstractButton *m_btnBackSpace;
    QAbstractButton *m_btnSpace;
    QAbstractButton *m_btnNewLine;
    QSpinBox *m_lineSpace;
    QScrollArea *m_scroll;
    PictureView *m_paintBox;
    QWidget *m_scrollViewport;
};

} // namespace vz
