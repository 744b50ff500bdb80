#pragma once

#include <QObject>
#include <QPixmap>

class QLabel;
class QWidget;

namespace vz {

// True while the "Windows" clipboard thumbnail holds a picture of its own.
bool copiedImageShown();
void setCopiedImageShown(bool shown);

// The clipboard side panel (label, frame and thumbnail of the current page's
// clipboard) and the four clipboard thumbnails of the lower page "Print".
class ClipboardPanel : public QObject
{
    Q_OBJECT
public:
    ClipboardPanel(QWidget *panelContent, QWidget *printLowerPage, QObject *parent = nullptr);

    QWidget *imgTotebag() const;
    QLabel *imgWidowClip() const { return m_imgWidowClip; }

    // Shows the current page's clipboard in the side panel.
    void RefreshClipboardPanel();
    // Refreshes the four thumbnails of the "Print" page.
    void refreshThumbnails();
    // Fits the clipboard thumbnails into their boxes again.
    void ResiseClipBoardImage();
    // Puts a picture taken from the system clipboard on the "Windows" thumbnail.
    void showWindowsPicture(const QPixmap &picture);

public Q_SLOTS:
    void ClearCurrentClipboard();
    void ClearallClipboards();

private:
    QLabel *m_lblClipboardName;
    QWidget *m_pnlClipColor;
    QWidget *m_pnlClipAll;
    QLabel *m_imgTotebag;
    QLabel *m_imgWidowClip;
    QPixmap m_windowsPicture;
};

} // namespace vz
