#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QWidget;

namespace vz {

class FlashPlayer;
class PictureView;

// The text effects page "VZFlash": a player, a list of text effects (none
// yet) and a notice pointing to the maker's site. Its page button is hidden,
// so users do not reach it. A click on the list shows "CommingSoon.bmp" of
// the program folder on the enhancements page's picture `imgPlugin`, which
// `pluginImage` finds when asked (it may be null).
class TextEffectsPage : public QObject
{
    Q_OBJECT
public:
    TextEffectsPage(QWidget *flashPage, std::function<PictureView *()> pluginImage, QObject *parent = nullptr);

    FlashPlayer *swfPlayer() const { return m_player; }
    QListWidget *listBox1() const { return m_list; }

    // The player's operations, kept for the controls the page may get.
    void btnLoadClick();   // choose a movie with odlgFlashFile
    void btnPlayClick();   // play when a movie is set
    void btnStopClick();   // stop when playing
    void ListBox2Click();  // the "coming soon" movie of the program folder
    void ListBox1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void centreNotice();

    std::function<PictureView *()> m_pluginImage;
    FlashPlayer *m_player;
    QListWidget *m_list;
    QWidget *m_page;
    QWidget *m_notice;
    QLabel *m_link;
};

} // namespace vz
